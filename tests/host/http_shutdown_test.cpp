// Shutting the process-wide executor down: in its own executable, because
// nothing can be queued in this process afterwards.
#include <W/HttpDelegator.h>
#include <W/HttpRequest.h>

#include "http_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using namespace httptest;
using W::HttpDelegator;
using W::HttpHeader;
using W::HttpRequest;

TEST(HttpShutdownTest, ShutdownDropsTransfersInFlightAndRefusesLaterRequests) {
  HttpDelegator* executor = HttpDelegator::getInstance();
  SilentServer server;
  CountedRequest::Counter counter;
  Completion never;
  ASSERT_EQ(0, executor->addRequest(new CountedRequest(&counter, server.url("/held"),
                                                       &Completion::callback, &never)));
  ASSERT_TRUE(server.acceptConnections(1));

  executor->shutdown();
  EXPECT_EQ(1, counter.value());  // destroyed by the time shutdown returns
  EXPECT_TRUE(server.clientClosed(0));
  EXPECT_EQ(0, never.callCount());

  auto* late = new CountedRequest(&counter, server.url("/late"), &Completion::callback, &never);
  EXPECT_EQ(HttpDelegator::REFUSED_SHUTDOWN, executor->addRequest(late));
  delete late;  // refused requests stay with the caller
  EXPECT_EQ(2, counter.value());
  executor->shutdown();  // idempotent
}

void failIfCompleted(W::SESSION_STATUS, HttpRequest*, void*) {
  std::_Exit(3);
}

// Says on stderr that the executor destroyed it.
class ReportingRequest : public HttpRequest {
 public:
  explicit ReportingRequest(const std::string& url)
      : HttpRequest(W::HTTP_GET, url, HttpHeader(), "", &failIfCompleted, nullptr) {}
  ~ReportingRequest() override { std::fputs("in-flight request destroyed\n", stderr); }
};

void exitWithTransferInFlight() {
  // Constructed before the executor, so it is destroyed after the executor stopped.
  static SilentServer server;
  if (HttpDelegator::getInstance()->addRequest(new ReportingRequest(server.url("/held"))) != 0) {
    std::_Exit(4);
  }
  if (!server.acceptConnections(1)) std::_Exit(5);
  std::exit(0);  // static destruction with the transfer still in flight
}

TEST(HttpShutdownTest, ProcessExitWithTransferInFlightDestroysItWithoutCompletion) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // Under ASan a leak or a use after free at exit would change the exit code.
  EXPECT_EXIT(exitWithTransferInFlight(), ::testing::ExitedWithCode(0),
              "in-flight request destroyed");
}

}  // namespace
