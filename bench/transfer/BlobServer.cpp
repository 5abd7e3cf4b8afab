// The blob and upload routes of the transfer benchmark's server.
#include "BlobServer.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace kvbench {

namespace {

constexpr size_t kPatternBytes = 1 << 20;

}  // namespace

const std::string& blobPattern() {
  static const std::string pattern = [] {
    std::string bytes(kPatternBytes, '\0');
    for (size_t i = 0; i < kPatternBytes; ++i) bytes[i] = static_cast<char>(i * 131 + 7);
    return bytes;
  }();
  return pattern;
}

bool matchesPattern(size_t offset, const char* data, size_t length) {
  const std::string& pattern = blobPattern();
  while (length > 0) {
    const size_t start = offset % kPatternBytes;
    const size_t n = std::min(length, kPatternBytes - start);
    if (std::memcmp(pattern.data() + start, data, n) != 0) return false;
    offset += n;
    data += n;
    length -= n;
  }
  return true;
}

BlobServer::BlobServer(size_t size) : m_size(size) {
  m_http.Get("/blob", [this](const httplib::Request&, httplib::Response& res) {
    res.set_content_provider(m_size, "application/octet-stream",
                             [](size_t offset, size_t length, httplib::DataSink& sink) {
                               const size_t start = offset % kPatternBytes;
                               const size_t n = std::min(length, kPatternBytes - start);
                               return sink.write(blobPattern().data() + start, n);
                             });
  });
  m_http.Post("/upload", [](const httplib::Request& req, httplib::Response& res,
                            const httplib::ContentReader& reader) {
    size_t received = 0;
    bool inFile = false;
    bool sawFile = false;
    bool same = true;
    if (req.is_multipart_form_data()) {
      reader(
          [&](const httplib::MultipartFormData& part) {
            inFile = part.name == "filename";
            sawFile = sawFile || inFile;
            return true;
          },
          [&](const char* data, size_t length) {
            if (!inFile) return true;
            same = same && matchesPattern(received, data, length);
            received += length;
            return true;
          });
    }
    if (!sawFile || !same) {
      res.status = 400;
      res.set_content(sawFile ? "the uploaded bytes differ from the source\n"
                              : "expected a multipart part named \"filename\"\n",
                      "text/plain");
      return;
    }
    res.set_content("received " + std::to_string(received) + "\n", "text/plain");
  });

  // Headers and a short body go out in two writes; without this the body
  // waits for the client's delayed ACK.
  m_http.set_tcp_nodelay(true);
  const int port = m_http.bind_to_any_port("127.0.0.1");
  if (port <= 0) return;
  m_thread = std::thread([this] { m_http.listen_after_bind(); });
  // stop() only reaches a server that runs; a bounded wait for it.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!m_http.is_running() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  if (m_http.is_running()) m_baseUrl = "http://127.0.0.1:" + std::to_string(port);
}

BlobServer::~BlobServer() {
  m_http.stop();
  if (m_thread.joinable()) m_thread.join();
}

}  // namespace kvbench
