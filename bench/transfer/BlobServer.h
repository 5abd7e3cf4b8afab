// The transfer benchmark's server: cpp-httplib on 127.0.0.1 with a free
// port, in-process, serving one generated blob and counting uploads without
// keeping them, so that the server costs the same for every client.
#pragma once

#include <httplib.h>

#include <cstddef>
#include <string>
#include <thread>

namespace kvbench {

// The 1 MiB that every blob and upload source repeats.
const std::string& blobPattern();
// True when `data` holds the repeated pattern's bytes from `offset` on.
bool matchesPattern(size_t offset, const char* data, size_t length);

class BlobServer {
 public:
  // Serves `GET /blob` (`size` bytes of the pattern, application/octet-stream)
  // and `POST /upload` (a multipart form whose part "filename" is counted and
  // compared with the pattern; the answer is 200 "received N", or 400
  // without such a part or when its bytes differ).
  explicit BlobServer(size_t size);
  // Stops listening and joins the thread.
  ~BlobServer();

  BlobServer(const BlobServer&) = delete;
  BlobServer& operator=(const BlobServer&) = delete;

  // "http://127.0.0.1:PORT", or empty when no port could be bound.
  const std::string& baseUrl() const { return m_baseUrl; }

 private:
  httplib::Server m_http;
  size_t m_size;
  std::string m_baseUrl;
  std::thread m_thread;
};

}  // namespace kvbench
