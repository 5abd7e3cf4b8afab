// The transfer benchmark's server: cpp-httplib on 127.0.0.1 with a free
// port, in-process, serving one generated blob and counting uploads without
// keeping them, so that the server costs the same for every client.
#pragma once

#include <httplib.h>

#include <cstddef>
#include <string>
#include <thread>

namespace kvbench {

class BlobServer {
 public:
  // Serves `GET /blob` (`size` bytes, application/octet-stream) and
  // `POST /upload` (a multipart form whose part "filename" is counted; the
  // answer is 200 "received N", or 400 without such a part).
  explicit BlobServer(size_t size);
  // Stops listening and joins the thread.
  ~BlobServer();

  BlobServer(const BlobServer&) = delete;
  BlobServer& operator=(const BlobServer&) = delete;

  // "http://127.0.0.1:PORT", or empty when no port could be bound.
  const std::string& baseUrl() const { return m_baseUrl; }

 private:
  httplib::Server m_http;
  std::string m_pattern;  // 1 MiB the blob repeats
  size_t m_size;
  std::string m_baseUrl;
  std::thread m_thread;
};

}  // namespace kvbench
