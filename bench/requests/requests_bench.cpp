// Request overhead: sequential group lists through the plug-in and the host
// executor against the same requests made with one reused libcurl handle,
// both against a kvsim process on loopback.
#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <W/HttpDelegator.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "KvsimProcess.h"
#include "PluginSession.h"
#include "RatioReport.h"

namespace {

// kvsim is installed next to the benchmark.
std::string siblingPath(const char* name) {
  char exe[4096];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0) return std::string();
  const std::string path(exe, static_cast<size_t>(n));
  return path.substr(0, path.rfind('/') + 1) + name;
}

// Operations per benchmark run; KV_BENCH_REQUESTS makes the smoke run short.
long operationCount() {
  const char* text = std::getenv("KV_BENCH_REQUESTS");
  const long n = text != nullptr ? std::strtol(text, nullptr, 10) : 0;
  return n > 0 ? n : 1000;
}

kvbench::PluginSession* g_session = nullptr;
const kvbench::CapturedRequest* g_request = nullptr;
std::string g_body;  // a group list answer, for the parse figure

void BM_PluginGroupList(benchmark::State& state) {
  for (auto _ : state) {
    size_t groups = 0;
    const int status = g_session->listGroups(groups);
    if (status != 0 || groups == 0) {
      state.SkipWithError(("group list failed with status " + std::to_string(status)).c_str());
      break;
    }
  }
}

size_t keepBody(char* data, size_t size, size_t count, void* body) {
  static_cast<std::string*>(body)->append(data, size * count);
  return size * count;
}

// The floor's handle: the plug-in's own URL and signed headers, keep-alive,
// receiving the whole body and parsing nothing.
class PlainClient {
 public:
  explicit PlainClient(const kvbench::CapturedRequest& request) : m_easy(curl_easy_init()) {
    for (const auto& entry : request.header.entries())
      m_headers = curl_slist_append(m_headers, (entry.first + ": " + entry.second).c_str());
    curl_easy_setopt(m_easy, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(m_easy, CURLOPT_HTTPHEADER, m_headers);
    curl_easy_setopt(m_easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(m_easy, CURLOPT_WRITEFUNCTION, &keepBody);
    curl_easy_setopt(m_easy, CURLOPT_WRITEDATA, &m_body);
  }
  ~PlainClient() {
    curl_easy_cleanup(m_easy);
    curl_slist_free_all(m_headers);
  }
  PlainClient(const PlainClient&) = delete;
  PlainClient& operator=(const PlainClient&) = delete;

  // One request. Returns an empty string when kvsim answered 200 with an
  // envelope, else what went wrong.
  std::string get() {
    m_body.clear();
    const CURLcode rc = curl_easy_perform(m_easy);
    long code = 0;
    curl_easy_getinfo(m_easy, CURLINFO_RESPONSE_CODE, &code);
    if (rc == CURLE_OK && code == 200 && m_body.find("<rsp") != std::string::npos) return "";
    return "plain request failed: curl " + std::to_string(rc) + ", HTTP " + std::to_string(code);
  }
  const std::string& body() const { return m_body; }

 private:
  CURL* m_easy;
  curl_slist* m_headers = nullptr;
  std::string m_body;
};

void BM_CurlGroupList(benchmark::State& state) {
  PlainClient client(*g_request);
  client.get();  // the plug-in's connection is open already, too
  for (auto _ : state) {
    const std::string failure = client.get();
    if (!failure.empty()) {
      state.SkipWithError(failure.c_str());
      break;
    }
  }
}

// The host executor alone: the same request as a W::HttpRequest, waiting
// for its completion, no plug-in around it.
void onExecutorDone(W::SESSION_STATUS status, W::HttpRequest* request, void* arg) {
  const bool ok = status == 0 && request->getResponse().getHttpResponseCode() == 200;
  delete request;
  static_cast<kvbench::Completion*>(arg)->finish(ok ? 0 : -1, 0);
}

void BM_ExecutorGroupList(benchmark::State& state) {
  kvbench::Completion completion;
  W::HttpDelegator* executor = W::HttpDelegator::getInstance();
  for (auto _ : state) {
    completion.reset();
    W::HttpRequest* request = new W::HttpRequest(W::HTTP_GET, g_request->url, g_request->header,
                                                 std::string(), &onExecutorDone, &completion);
    int status = executor->addRequest(request);
    if (status != 0) delete request;
    size_t items = 0;
    if (status == 0 && !completion.wait(10000, status, items)) status = -1;
    if (status != 0) {
      state.SkipWithError("executor request failed");
      break;
    }
  }
}

// How much of the plug-in's time is reading the answer: its parser over the
// body kvsim sends.
void BM_ParseGroupList(benchmark::State& state) {
  for (auto _ : state) {
    size_t groups = 0;
    if (g_session->parseGroupList(g_body, groups) != 0 || groups == 0) {
      state.SkipWithError("the group list answer did not parse");
      break;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  curl_global_init(CURL_GLOBAL_DEFAULT);
  const long ops = operationCount();

  // Stops by itself after ten minutes should this process die first.
  kvtest::KvsimProcess::Options options;
  options.flags = {"--exit-after", "600"};
  kvtest::KvsimProcess kvsim(siblingPath("kvsim"), options);
  if (!kvsim.running()) {
    std::fprintf(stderr, "kv_bench_requests: %s\n", kvsim.error().c_str());
    return 2;
  }
  kvbench::PluginSession session;
  const int connected = session.connect(kvsim.baseUrl());
  if (connected != 0) {
    std::fprintf(stderr, "kv_bench_requests: authentication failed: %d\n", connected);
    return 2;
  }
  kvbench::CapturedRequest request;
  if (!session.captureGroupList(request)) {
    std::fprintf(stderr, "kv_bench_requests: the group list request did not reach the executor\n");
    return 2;
  }
  // kvsim must take the captured headers as they are; the answer is what
  // the parse figure reads.
  {
    PlainClient probe(request);
    const std::string failure = probe.get();
    if (!failure.empty()) {
      std::fprintf(stderr, "kv_bench_requests: %s\n", failure.c_str());
      return 2;
    }
    g_body = probe.body();
  }
  g_session = &session;
  g_request = &request;
  std::printf("group list: GET %s\n", request.url.c_str());

  const std::string suffix = "/iterations:" + std::to_string(ops) + "/real_time";
  benchmark::RegisterBenchmark("BM_PluginGroupList", BM_PluginGroupList)
      ->Iterations(ops)
      ->UseRealTime()
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("BM_ExecutorGroupList", BM_ExecutorGroupList)
      ->Iterations(ops)
      ->UseRealTime()
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("BM_CurlGroupList", BM_CurlGroupList)
      ->Iterations(ops)
      ->UseRealTime()
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("BM_ParseGroupList", BM_ParseGroupList)
      ->Unit(benchmark::kMicrosecond);
  kvbench::RatioCheck overhead{};
  overhead.label = "requests_group_list_vs_curl";
  overhead.numerator = "BM_PluginGroupList" + suffix;
  overhead.denominator = "BM_CurlGroupList" + suffix;
  overhead.limit = 1.3;
  overhead.atMost = true;
  const std::vector<kvbench::RatioCheck> checks = {overhead};
  return kvbench::runWithRatios(argc, argv, checks);
}
