// The private state of an HttpRequest and the two steps every transfer goes
// through (prepare, finish), shared by execute() and the executor's worker.
#pragma once

#include <W/HttpRequest.h>

#include "HttpFileSink.h"

#include <curl/curl.h>

#include <atomic>
#include <mutex>

namespace W {

struct HttpRequest::Impl {
  Impl(HttpRequest* owner, HTTP_REQUEST_TYPE type, const std::string& url, const HttpHeader& header,
       const std::string& body, HttpCallback callback, void* arg, const std::string& path);
  ~Impl();

  // Sets the per-transfer options (timeouts, file target, form) right before
  // the transfer starts. Returns SESSION_OK, or the status the request ends
  // with without being started (5 no handle or bad header, 61 no temp file).
  SESSION_STATUS prepare(long defaultConnectMs, long defaultStallMs);

  // Reads the response after the transfer ended with `code` and settles the
  // target file. Returns the status the completion reports.
  SESSION_STATUS finish(CURLcode code);

  // libcurl callbacks; `userdata` is the Impl.
  static size_t onWrite(char* data, size_t size, size_t count, void* userdata);
  static int onProgress(void* userdata, curl_off_t dlTotal, curl_off_t dlNow, curl_off_t ulTotal,
                        curl_off_t ulNow);
  // Opens the transfer's sockets close-on-exec.
  static curl_socket_t openSocket(void* unused, curlsocktype purpose, curl_sockaddr* address);

  // Fixed at construction.
  HttpRequest* const owner;
  const HTTP_REQUEST_TYPE type;
  const std::string url;
  const HttpHeader header;
  const std::string body;
  const HttpCallback callback;
  void* const arg;
  const std::string path;

  CURL* easy = nullptr;              // owned; null when curl_easy_init failed
  curl_slist* headerList = nullptr;  // owned
  curl_httppost* form = nullptr;     // owned, from setFormPost

  // Set by the owner before queueing or executing.
  unsigned long long id = 0;
  long connectTimeoutMs = 0;
  long stallTimeoutMs = 0;
  long totalTimeoutMs = 0;
  long long maxBodyBytes = 0;
  long long maxFileBytes = 0;
  bool headersOnly = false;
  bool followRedirects = false;
  std::string caFile;
  unsigned fileMode = 0644;

  // Written by the thread running the transfer, read in the completion.
  HttpResponse response;
  detail::HttpFileSink sink;
  bool fileFailed = false;
  bool tooLarge = false;       // the body passed its limit (or could not be kept)
  bool stoppedAtBody = false;  // headersOnly: ended at the first body byte

  std::atomic<bool> cancelled{false};
  std::atomic<bool> completed{false};

  std::mutex progressMutex;  // guards progressDone and progressTotal
  double progressDone = 0;
  double progressTotal = 0;

  // Executor bookkeeping, guarded by the executor's mutex.
  bool dropped = false;
};

}  // namespace W
