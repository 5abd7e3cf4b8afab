// The Driver against a scripted provider: callbacks from another thread,
// refusals, timeouts, --cancel-after and progress polling.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "Driver.h"
#include "ProviderConfig.h"

namespace kvhost {
namespace {

using namespace W;
using std::chrono::milliseconds;

// A provider whose authKV and cancel behave as each test scripts them;
// callbacks come from threads of its own, like the executor's.
class ScriptedProvider : public WKinvaleOAI {
 public:
  ScriptedProvider() : WKinvaleOAI(kinvaleIdentity()) {}
  ~ScriptedProvider() override {
    for (std::thread& t : m_threads) t.join();
  }

  WSTATUS startStatus = 0;
  int completeAfterMs = -1;  // -1: never
  WSTATUS completeStatus = 0;
  WSTATUS cancelResult = 0;
  std::atomic<int> cancelCalls{0};
  std::atomic<int> progressCalls{0};
  std::atomic<bool> cancelIdentityMatched{false};

  WSTATUS authKV(KVAccountCallback callback, VOID* userData) override {
    if (startStatus != 0) return startStatus;
    if (completeAfterMs >= 0) {
      m_threads.emplace_back([=] {
        std::this_thread::sleep_for(milliseconds(completeAfterMs));
        callback(completeStatus, m_provider, userData);
      });
    }
    return 0;
  }
  WSTATUS cancel(const WContentProvider& provider, KVCancelCallback callback,
                 VOID* userData) override {
    ++cancelCalls;
    cancelIdentityMatched = provider.getID() == m_provider.getID();
    if (cancelResult != 0) return cancelResult;
    // The pending command's completion reports the cancel with status 0.
    m_threads.emplace_back([=] { callback(0, m_provider, userData); });
    return 0;
  }
  WSTATUS progressStatus(const WContentProvider&, double& done, double& total, VOID*) override {
    ++progressCalls;
    done = 1;
    total = 2;
    return 0;
  }

  // Everything else is not used by these tests.
  WSTATUS login(const STRING&, const STRING&, KVLoginCallback, VOID*) override { return -15; }
  WSTATUS logout(KVAccountCallback, VOID*) override { return -15; }
  WSTATUS retrieveExceptions(std::list<WException*>&) override { return -15; }
  WSTATUS resolveException(WException*, KVResolveCallback, VOID*) override { return -15; }
  WSTATUS registerKV(KVAccountCallback, VOID*) override { return -15; }
  WSTATUS unregisterKV(KVAccountCallback, VOID*) override { return -15; }
  WSTATUS retrieveGroupList(const WPerson&, KVGroupListCallback, UINT32, UINT32, KV_OPTION_SORT,
                            KV_OPTION_INCLUDE, VOID*) override {
    return -15;
  }
  WSTATUS createGroup(const WGroup&, const WPerson&, KVGroupCallback, VOID*) override {
    return -15;
  }
  WSTATUS deleteGroup(const WGroup&, KVGroupCallback, VOID*) override { return -15; }
  WSTATUS retrieveGroupFeeds(const WGroup&, const STRING&, const STRING&, UINT32, KV_SEARCH_BASE,
                             KV_OPTION_ITEM, KV_OPTION_INCLUDE, KVContentListCallback,
                             VOID*) override {
    return -15;
  }
  WSTATUS retrieveGroupGallery(const WGroup&, KV_CONTENT_TYPE, UINT32, KV_SEARCH_DIRECTION,
                               KV_OPTION_SORT, KV_OPTION_ORDER, KVContentListCallback,
                               VOID*) override {
    return -15;
  }
  WSTATUS createContent(const WGroup&, const WContent&, KV_CONTENT_TYPE, const STRING&,
                        KVContentCreationCallback, VOID*) override {
    return -15;
  }
  WSTATUS deleteContent(const WContent&, KVContentCallback, VOID*) override { return -15; }
  WSTATUS updateContent(const WContent&, const STRING&, KVContentUpdateCallback, VOID*) override {
    return -15;
  }
  WSTATUS viewContent(const WContent&, KVContentCallback, VOID*) override { return -15; }
  WSTATUS createComment(const WContent&, const WComment&, KVCommentTextCallback, VOID*) override {
    return -15;
  }
  WSTATUS deleteComment(const WComment&, KVCommentCallback, VOID*) override { return -15; }
  WSTATUS updateComment(const WComment&, KVCommentCallback, VOID*) override { return -15; }
  WSTATUS viewComment(const WComment&, KVCommentTextCallback, VOID*) override { return -15; }
  WSTATUS download(const WContentProvider&, const STRING&, const STRING&, const STRING&,
                   KVDirectDownloadCallback, VOID*) override {
    return -15;
  }
  WSTATUS retrieveComments(const WContent&, KVCommentListCallback, UINT32, UINT32, VOID*) override {
    return -15;
  }

 private:
  std::vector<std::thread> m_threads;
};

struct DriverTest : ::testing::Test {
  DriverTest() {
    invocation.json = true;
    invocation.timeoutSec = 5;
  }

  // Runs "auth" through the driver and returns the outcome; `stdoutText`
  // gets what it printed.
  Outcome runAuth(RunMode mode = RunMode()) {
    Driver driver(provider, context, invocation, stdout);
    ::testing::internal::CaptureStdout();
    Outcome outcome = driver.run(
        "auth", [&](void* ud) { return provider.authKV(&callbacks::onAccount, ud); }, mode);
    stdoutText = ::testing::internal::GetCapturedStdout();
    return outcome;
  }

  CallContext context;  // outlives the provider's callback threads
  ScriptedProvider provider;
  Invocation invocation;
  std::string stdoutText;
};

TEST_F(DriverTest, CallbackFromAnotherThreadIsPrintedAndDecidesTheOutcome) {
  provider.completeAfterMs = 20;
  provider.completeStatus = 100;
  const Outcome outcome = runAuth();
  EXPECT_EQ(outcome.kind, Outcome::kCompleted);
  EXPECT_EQ(outcome.status, 100);
  EXPECT_EQ(exitCodeOf(outcome), 0);
  EXPECT_EQ(stdoutText,
            "{\"op\":\"auth\",\"status\":100,\"status_name\":\"WSTATUS_MORE_ITEMS\"}\n");
}

TEST_F(DriverTest, ImmediateRefusalIsReportedWithoutWaiting) {
  provider.startStatus = -202;
  const Outcome outcome = runAuth();
  EXPECT_EQ(outcome.kind, Outcome::kRefused);
  EXPECT_EQ(exitCodeOf(outcome), 1);
  EXPECT_EQ(stdoutText,
            "{\"op\":\"auth\",\"status\":-202,\"status_name\":\"WSTATUS_NOT_LOGGED_IN\","
            "\"stage\":\"start\"}\n");
}

TEST_F(DriverTest, MissingCallbackEndsAfterTheTimeout) {
  invocation.timeoutSec = 1;
  const auto start = std::chrono::steady_clock::now();
  const Outcome outcome = runAuth();
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(outcome.kind, Outcome::kTimedOut);
  EXPECT_EQ(exitCodeOf(outcome), 1);
  EXPECT_GE(took, milliseconds(1000));
  EXPECT_LT(took, milliseconds(4000));
  EXPECT_EQ(stdoutText, "");
}

TEST_F(DriverTest, CancelAfterReportsTheCancelCallbackInsteadOfTheOperation) {
  invocation.cancelAfterMs = 30;
  const Outcome outcome = runAuth();
  EXPECT_EQ(provider.cancelCalls, 1);
  EXPECT_TRUE(provider.cancelIdentityMatched);
  EXPECT_EQ(outcome.kind, Outcome::kCompleted);
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(stdoutText,
            "{\"op\":\"cancel\",\"status\":0,\"status_name\":\"WSTATUS_SUCCESS\","
            "\"cancelled\":\"auth\"}\n");
}

TEST_F(DriverTest, NoCancelWhenTheOperationEndsFirst) {
  invocation.cancelAfterMs = 3000;
  provider.completeAfterMs = 0;
  const auto start = std::chrono::steady_clock::now();
  runAuth();
  EXPECT_LT(std::chrono::steady_clock::now() - start, milliseconds(2000));
  EXPECT_EQ(provider.cancelCalls, 0);
}

TEST_F(DriverTest, NotCancellableOperationIgnoresCancelAfter) {
  invocation.cancelAfterMs = 0;
  provider.completeAfterMs = 50;
  RunMode login;
  login.cancellable = false;
  const Outcome outcome = runAuth(login);
  EXPECT_EQ(provider.cancelCalls, 0);
  EXPECT_EQ(outcome.status, 0);
}

TEST_F(DriverTest, RefusedCancelLeavesTheOperationToFinish) {
  invocation.cancelAfterMs = 10;
  provider.cancelResult = -14;
  provider.completeAfterMs = 80;
  provider.completeStatus = -205;
  const Outcome outcome = runAuth();
  EXPECT_EQ(provider.cancelCalls, 1);
  EXPECT_EQ(outcome.kind, Outcome::kCompleted);
  EXPECT_EQ(outcome.status, -205);
  EXPECT_EQ(exitCodeOf(outcome), 1);
}

TEST_F(DriverTest, TransferPollsProgressWhileItRuns) {
  invocation.forceProgress = true;
  provider.completeAfterMs = 600;
  RunMode transfer;
  transfer.transfer = true;
  runAuth(transfer);
  EXPECT_GE(provider.progressCalls, 2);
  EXPECT_LE(provider.progressCalls, 7) << "polled every 100 ms, not in a busy loop";
  const int after = provider.progressCalls;
  std::this_thread::sleep_for(milliseconds(150));
  EXPECT_EQ(provider.progressCalls, after);  // polling stopped with the operation
}

TEST(ExitCode, ZeroOnlyForSuccessAndMoreItems) {
  const struct {
    Outcome outcome;
    int code;
  } cases[] = {
      {{Outcome::kCompleted, 0}, 0},   {{Outcome::kCompleted, 100}, 0},
      {{Outcome::kCompleted, -16}, 1}, {{Outcome::kCompleted, 1}, 1},
      {{Outcome::kRefused, -1}, 1},    {{Outcome::kTimedOut, 0}, 1},
      {{Outcome::kFailed, 0}, 1},
  };
  for (const auto& c : cases) EXPECT_EQ(exitCodeOf(c.outcome), c.code);
}

}  // namespace
}  // namespace kvhost
