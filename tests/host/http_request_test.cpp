// HttpRequest and HttpDelegator without the network: header wire form,
// header refusal, the once-only completion, the test seam and the status
// each libcurl result ends a transfer with.
#include <W/HttpDelegator.h>
#include <W/HttpRequest.h>

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "HttpStatusMap.h"
#include "HttpTestHook.h"

namespace {

using W::HttpDelegator;
using W::HttpHeader;
using W::HttpRequest;

// Nothing listens on port 1 of the loopback; no test here reaches it anyway.
const char* const kUnusedUrl = "http://127.0.0.1:1/api";

std::vector<std::string> listLines(curl_slist* list) {
  std::vector<std::string> lines;
  for (; list != nullptr; list = list->next) lines.push_back(list->data);
  return lines;
}

TEST(HttpRequestTest, HeaderListKeepsInsertionOrderAsNameColonValue) {
  HttpHeader header;
  header.add("X-Zulu", "z");
  header.add("Authorization", "KV app:sig=");
  header.add("DATE", "Tue, 08 Dec 2026 00:00:00 GMT");
  HttpRequest request(W::HTTP_GET, kUnusedUrl, header, "", nullptr, nullptr);
  EXPECT_EQ((std::vector<std::string>{
                "X-Zulu: z", "Authorization: KV app:sig=", "DATE: Tue, 08 Dec 2026 00:00:00 GMT"}),
            listLines(request.getHeaderList()));
  EXPECT_NE(nullptr, request.getHandle());
}

TEST(HttpRequestTest, LineBreakAnywhereInHeaderIsDetected) {
  struct Case {
    const char* name;
    const char* value;
    bool lineBreak;
  };
  const Case cases[] = {
      {"X-Plain", "value with spaces: and colons", false},
      {"X-Cr\r", "v", true},
      {"X-Lf", "a\nb", true},
      {"X-Split", "a\r\nInjected: 1", true},
      {"X-Tail", "value\r", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HttpHeader header;
    header.add("X-First", "ok");
    header.add(c.name, c.value);
    EXPECT_EQ(c.lineBreak, header.hasLineBreak());
  }
}

TEST(HttpRequestTest, ExecuteRefusesHeaderWithLineBreakWithoutConnecting) {
  HttpHeader header;
  header.add("X-Evil", "a\r\nHost: elsewhere");
  HttpRequest request(W::HTTP_GET, kUnusedUrl, header, "", nullptr, nullptr);
  EXPECT_EQ(static_cast<int>(W::SESSION_NOT_STARTED), request.execute());
  EXPECT_EQ(0, request.getResponse().getHttpResponseCode());
}

struct Calls {
  int count = 0;
  W::SESSION_STATUS status = 9999;
  HttpRequest* request = nullptr;
  int code = 0;
};

void recordWithoutDelete(W::SESSION_STATUS status, HttpRequest* request, void* arg) {
  Calls* calls = static_cast<Calls*>(arg);
  ++calls->count;
  calls->status = status;
  calls->request = request;
  calls->code = request->response().getHttpResponseCode();
}

TEST(HttpRequestTest, CompleteRunsCallbackOnceWithStoredResponse) {
  Calls calls;
  HttpRequest request(W::HTTP_GET, kUnusedUrl, HttpHeader(), "", &recordWithoutDelete, &calls);
  W::HttpResponse response;
  response.setHttpResponseCode(404);
  request.setResponse(response);
  request.complete(W::SESSION_OK);
  request.complete(W::SESSION_BROKEN);
  EXPECT_EQ(1, calls.count);
  EXPECT_EQ(W::SESSION_OK, calls.status);
  EXPECT_EQ(&request, calls.request);
  EXPECT_EQ(404, calls.code);
}

TEST(HttpRequestTest, CompleteWithoutCallbackLeavesRequestWithCaller) {
  auto* request = new HttpRequest(W::HTTP_GET, kUnusedUrl, HttpHeader(), "", nullptr, nullptr);
  request->complete(W::SESSION_OK);
  EXPECT_EQ(kUnusedUrl, request->getURL());  // still alive: ASan would object otherwise
  delete request;
}

class HttpDelegatorHookTest : public ::testing::Test {
 protected:
  void TearDown() override { W::setHttpTestHook(W::HttpTestHook()); }
  HttpDelegator* executor = HttpDelegator::getInstance();
};

TEST_F(HttpDelegatorHookTest, HookReceivesRequestsAndFlushes) {
  std::vector<HttpRequest*> added;
  std::vector<unsigned long long> flushed;
  W::HttpTestHook hook;
  hook.onAdd = [&](HttpRequest* request) {
    added.push_back(request);
    return 0;
  };
  hook.onFlush = [&](unsigned long long id) { flushed.push_back(id); };
  W::setHttpTestHook(hook);

  Calls calls;
  auto* request =
      new HttpRequest(W::HTTP_POST, kUnusedUrl, HttpHeader(), "a=1", &recordWithoutDelete, &calls);
  request->setID(0x1234);
  ASSERT_EQ(0, executor->addRequest(request));
  executor->flushHttpRequests(0x1234);
  ASSERT_EQ(1u, added.size());
  EXPECT_EQ(request, added[0]);
  EXPECT_EQ((std::vector<unsigned long long>{0x1234}), flushed);
  EXPECT_EQ("a=1", added[0]->getBody());
  EXPECT_EQ(0, calls.count);  // the hook decides when it completes

  W::HttpResponse response;
  response.setHttpResponseCode(200);
  response.setPayload("<ok/>");
  added[0]->setResponse(response);
  added[0]->complete(W::SESSION_OK);
  EXPECT_EQ(1, calls.count);
  EXPECT_EQ(200, calls.code);
  delete request;
}

TEST_F(HttpDelegatorHookTest, RefusalsComeBeforeHookAndLeaveRequestWithCaller) {
  int hookCalls = 0;
  W::HttpTestHook hook;
  hook.onAdd = [&](HttpRequest*) {
    ++hookCalls;
    return static_cast<int>(HttpDelegator::REFUSED_SHUTDOWN);
  };
  W::setHttpTestHook(hook);

  EXPECT_EQ(HttpDelegator::REFUSED_INVALID, executor->addRequest(nullptr));
  for (const char* value : {"a\rb", "a\nb"}) {
    HttpHeader header;
    header.add("X-Value", value);
    HttpRequest request(W::HTTP_GET, kUnusedUrl, header, "", nullptr, nullptr);
    EXPECT_EQ(HttpDelegator::REFUSED_INVALID, executor->addRequest(&request));
  }
  EXPECT_EQ(0, hookCalls);

  HttpRequest plain(W::HTTP_GET, kUnusedUrl, HttpHeader(), "", nullptr, nullptr);
  EXPECT_EQ(HttpDelegator::REFUSED_SHUTDOWN, executor->addRequest(&plain));
  EXPECT_EQ(1, hookCalls);
}

// Every libcurl result: resolve, connect and TLS failures are 41, timeouts
// 42, requests that could not start 5, file and size limits 61 and 47,
// anything else a broken transfer (43). A cancel, then a file failure, win.
TEST(SessionStatusMap, MapsEveryCurlResult) {
  const std::map<int, unsigned> listed = {
      {CURLE_OK, 0},
      {CURLE_COULDNT_RESOLVE_PROXY, 41},
      {CURLE_COULDNT_RESOLVE_HOST, 41},
      {CURLE_COULDNT_CONNECT, 41},
      {CURLE_SSL_CONNECT_ERROR, 41},
      {CURLE_PEER_FAILED_VERIFICATION, 41},
      {CURLE_SSL_CACERT_BADFILE, 41},
      {CURLE_SSL_CERTPROBLEM, 41},
      {CURLE_SSL_CIPHER, 41},
      {CURLE_OPERATION_TIMEDOUT, 42},
      {CURLE_UNSUPPORTED_PROTOCOL, 5},
      {CURLE_FAILED_INIT, 5},
      {CURLE_URL_MALFORMAT, 5},
      {CURLE_NOT_BUILT_IN, 5},
      {CURLE_OUT_OF_MEMORY, 5},
      {CURLE_BAD_FUNCTION_ARGUMENT, 5},
      {CURLE_WRITE_ERROR, 61},
      {CURLE_FILESIZE_EXCEEDED, 47},
  };
  for (int code = CURLE_OK; code < CURL_LAST; ++code) {
    const auto row = listed.find(code);
    const CURLcode curl = static_cast<CURLcode>(code);
    EXPECT_EQ(W::detail::sessionStatusOf(curl, false, false),
              row != listed.end() ? row->second : 43u)
        << curl_easy_strerror(curl);
    EXPECT_EQ(W::detail::sessionStatusOf(curl, true, true), 81u) << curl_easy_strerror(curl);
    EXPECT_EQ(W::detail::sessionStatusOf(curl, false, true), 61u) << curl_easy_strerror(curl);
  }
}

}  // namespace
