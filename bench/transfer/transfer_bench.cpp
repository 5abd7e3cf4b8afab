// Transfer throughput: a download to a file and a multipart upload through
// the host executor against plain libcurl doing the same, all against one
// in-process server on loopback.
#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <unistd.h>

#include <W/HttpDelegator.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <string>

#include "BlobServer.h"
#include "RatioReport.h"
#include "TestFiles.h"

namespace {

// Bytes each way; KV_BENCH_TRANSFER_MIB makes the smoke run small.
size_t transferBytes() {
  const char* text = std::getenv("KV_BENCH_TRANSFER_MIB");
  const long mib = text != nullptr ? std::strtol(text, nullptr, 10) : 0;
  return static_cast<size_t>(mib > 0 ? mib : 64) << 20;
}

constexpr auto kTransferTimeout = std::chrono::seconds(60);
const char* const kUploadType = "video/mp4";

size_t g_bytes = 0;
std::string g_baseUrl;
const kvtest::TempDir* g_dir = nullptr;

// "" when the file at `path` holds exactly the blob's bytes, else what differs.
std::string blobMismatch(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return "no downloaded file";
  std::string chunk(1 << 20, '\0');
  size_t total = 0;
  bool same = true;
  for (size_t n; same && (n = std::fread(&chunk[0], 1, chunk.size(), file)) > 0; total += n)
    same = kvbench::matchesPattern(total, chunk.data(), n);
  std::fclose(file);
  if (!same) return "downloaded bytes differ from the blob near byte " + std::to_string(total);
  if (total != g_bytes) return "downloaded file has " + std::to_string(total) + " bytes";
  return "";
}

// What a finished executor request reported.
struct Outcome {
  unsigned status = 0;
  long code = 0;
  std::string payload;
};

void onExecutorDone(W::SESSION_STATUS status, W::HttpRequest* request, void* arg) {
  Outcome outcome{status, request->getResponse().getHttpResponseCode(),
                  request->getResponse().getPayload()};
  delete request;
  static_cast<std::promise<Outcome>*>(arg)->set_value(outcome);
}

// Queues `request` (its callback must be onExecutorDone with `done`) and
// waits for it. False when it was refused or timed out.
bool runOnExecutor(W::HttpRequest* request, std::promise<Outcome>& done, Outcome& outcome) {
  std::future<Outcome> result = done.get_future();
  if (W::HttpDelegator::getInstance()->addRequest(request) != 0) {
    delete request;
    return false;
  }
  if (result.wait_for(kTransferTimeout) != std::future_status::ready) return false;
  outcome = result.get();
  return true;
}

// Checks the downloaded file's bytes, then removes it, untimed, so that
// every iteration writes a new file.
bool settleDownload(benchmark::State& state, const std::string& path) {
  state.PauseTiming();
  const std::string mismatch = blobMismatch(path);
  unlink(path.c_str());
  state.ResumeTiming();
  if (mismatch.empty()) return true;
  state.SkipWithError(mismatch.c_str());
  return false;
}

bool checkUploadAnswer(benchmark::State& state, long code, const std::string& body) {
  if (code == 200 && body == "received " + std::to_string(g_bytes) + "\n") return true;
  state.SkipWithError(("upload answered HTTP " + std::to_string(code) + ": " + body).c_str());
  return false;
}

void BM_ExecutorDownload(benchmark::State& state) {
  const std::string path = g_dir->file("executor.bin");
  for (auto _ : state) {
    std::promise<Outcome> done;
    Outcome outcome;
    auto* request = new W::HttpRequest(W::HTTP_GET, g_baseUrl + "/blob", W::HttpHeader(),
                                       &onExecutorDone, &done, path);
    if (!runOnExecutor(request, done, outcome) || outcome.status != 0 || outcome.code != 200) {
      state.SkipWithError(("download failed, status " + std::to_string(outcome.status)).c_str());
      break;
    }
    if (!settleDownload(state, path)) break;
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * g_bytes));
}

size_t writeToFile(char* data, size_t size, size_t count, void* file) {
  return std::fwrite(data, size, count, static_cast<std::FILE*>(file)) * size;
}

size_t keepBody(char* data, size_t size, size_t count, void* body) {
  static_cast<std::string*>(body)->append(data, size * count);
  return size * count;
}

void BM_CurlDownload(benchmark::State& state) {
  const std::string path = g_dir->file("curl.bin");
  const std::string url = g_baseUrl + "/blob";
  CURL* easy = curl_easy_init();
  curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &writeToFile);
  for (auto _ : state) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
      state.SkipWithError("cannot create the download file");
      break;
    }
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, file);
    const CURLcode rc = curl_easy_perform(easy);
    const bool closed = std::fclose(file) == 0;
    long code = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &code);
    if (rc != CURLE_OK || code != 200 || !closed) {
      state.SkipWithError(("plain download failed: curl " + std::to_string(rc)).c_str());
      break;
    }
    if (!settleDownload(state, path)) break;
  }
  curl_easy_cleanup(easy);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * g_bytes));
}

// The form the plug-in's upload builds: one file part named "filename".
curl_httppost* uploadForm(const std::string& path) {
  curl_httppost* first = nullptr;
  curl_httppost* last = nullptr;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (curl_formadd(&first, &last, CURLFORM_COPYNAME, "filename", CURLFORM_FILE, path.c_str(),
                   CURLFORM_CONTENTTYPE, kUploadType, CURLFORM_END) != CURL_FORMADD_OK) {
    curl_formfree(first);
    return nullptr;
  }
#pragma GCC diagnostic pop
  return first;
}

void BM_ExecutorUpload(benchmark::State& state) {
  const std::string source = g_dir->file("source.bin");
  for (auto _ : state) {
    std::promise<Outcome> done;
    Outcome outcome;
    auto* request = new W::HttpRequest(W::HTTP_POST, g_baseUrl + "/upload", W::HttpHeader(),
                                       &onExecutorDone, &done, source);
    request->setFormPost(uploadForm(source));
    if (!runOnExecutor(request, done, outcome) || outcome.status != 0) {
      state.SkipWithError(("upload failed, status " + std::to_string(outcome.status)).c_str());
      break;
    }
    if (!checkUploadAnswer(state, outcome.code, outcome.payload)) break;
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * g_bytes));
}

void BM_CurlUpload(benchmark::State& state) {
  const std::string source = g_dir->file("source.bin");
  const std::string url = g_baseUrl + "/upload";
  CURL* easy = curl_easy_init();
  curl_mime* mime = curl_mime_init(easy);
  curl_mimepart* part = curl_mime_addpart(mime);
  curl_mime_name(part, "filename");
  curl_mime_filedata(part, source.c_str());
  curl_mime_type(part, kUploadType);
  std::string body;
  curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_MIMEPOST, mime);
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &keepBody);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &body);
  for (auto _ : state) {
    body.clear();
    const CURLcode rc = curl_easy_perform(easy);
    long code = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &code);
    if (rc != CURLE_OK) {
      state.SkipWithError(("plain upload failed: curl " + std::to_string(rc)).c_str());
      break;
    }
    if (!checkUploadAnswer(state, code, body)) break;
  }
  curl_easy_cleanup(easy);
  curl_mime_free(mime);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * g_bytes));
}

// The upload source: `bytes` of the blob's pattern, which the server checks.
bool writeSource(const std::string& path, size_t bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const std::string& chunk = kvbench::blobPattern();
  bool ok = true;
  for (size_t done = 0; ok && done < bytes; done += chunk.size()) {
    const size_t n = std::min(chunk.size(), bytes - done);
    ok = std::fwrite(chunk.data(), 1, n, file) == n;
  }
  return std::fclose(file) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  curl_global_init(CURL_GLOBAL_DEFAULT);
  g_bytes = transferBytes();
  kvtest::TempDir dir("kv-bench-transfer");
  if (dir.path().empty() || !writeSource(dir.file("source.bin"), g_bytes)) {
    std::fprintf(stderr, "kv_bench_transfer: cannot prepare the temporary files\n");
    return 2;
  }
  kvbench::BlobServer server(g_bytes);
  if (server.baseUrl().empty()) {
    std::fprintf(stderr, "kv_bench_transfer: the loopback server did not start\n");
    return 2;
  }
  g_dir = &dir;
  g_baseUrl = server.baseUrl();
  std::printf("transfer size: %zu MiB each way, server %s\n", g_bytes >> 20, g_baseUrl.c_str());

  for (auto* bench : {benchmark::RegisterBenchmark("BM_ExecutorDownload", BM_ExecutorDownload),
                      benchmark::RegisterBenchmark("BM_CurlDownload", BM_CurlDownload),
                      benchmark::RegisterBenchmark("BM_ExecutorUpload", BM_ExecutorUpload),
                      benchmark::RegisterBenchmark("BM_CurlUpload", BM_CurlUpload)})
    bench->UseRealTime()->Unit(benchmark::kMillisecond);
  // Throughput ratios: floor time over executor time, at least 0.9.
  std::vector<kvbench::RatioCheck> checks;
  for (const char* way : {"Download", "Upload"}) {
    kvbench::RatioCheck check{};
    check.label = std::string("transfer_") + (way[0] == 'D' ? "download" : "upload") + "_vs_curl";
    check.numerator = std::string("BM_Curl") + way + "/real_time";
    check.denominator = std::string("BM_Executor") + way + "/real_time";
    check.limit = 0.9;
    check.atMost = false;
    checks.push_back(check);
  }
  const int result = kvbench::runWithRatios(argc, argv, checks);
  // The executor's worker ends before the server and the directory go.
  W::HttpDelegator::getInstance()->shutdown();
  return result;
}
