// Loopback servers and completion recorders shared by the HTTP tests. Every
// server binds a free port of 127.0.0.1 and every wait is bounded.
#pragma once

#include <W/HttpRequest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "CallLog.h"

namespace httptest {

constexpr std::chrono::milliseconds kWait = kvtest::kWatchdog;

// A one-way latch a server handler waits on; the wait is bounded so that a
// failing test cannot keep a server thread forever.
class Gate {
 public:
  void open() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_open = true;
    m_cv.notify_all();
  }
  bool wait(std::chrono::milliseconds timeout = kWait) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_cv.wait_for(lock, timeout, [this] { return m_open; });
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_cv;
  bool m_open = false;
};

// cpp-httplib server on a free loopback port, listening on its own thread.
// `release` is opened before the server stops, so held handlers end.
class LoopbackServer {
 public:
  // One request per connection: an idle kept-alive connection would hold
  // stop() for the whole keep-alive timeout.
  LoopbackServer() { m_server.set_keep_alive_max_count(1); }

  httplib::Server& http() { return m_server; }
  Gate release;

  bool start() {
    m_port = m_server.bind_to_any_port("127.0.0.1");
    if (m_port <= 0) return false;
    m_thread = std::thread([this] { m_server.listen_after_bind(); });
    const auto deadline = std::chrono::steady_clock::now() + kWait;
    while (!m_server.is_running() && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return m_server.is_running();
  }

  ~LoopbackServer() {
    release.open();
    m_server.stop();
    if (m_thread.joinable()) m_thread.join();
  }

  std::string url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
  }

 private:
  httplib::Server m_server;
  std::thread m_thread;
  int m_port = 0;
};

inline int listenLoopback(int* port, int backlog = 16) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof(addr);
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 || listen(fd, backlog) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    close(fd);
    return -1;
  }
  *port = ntohs(addr.sin_port);
  return fd;
}

// A loopback port that refuses connections for the rest of the process: a
// socket bound to it never listens and stays open, so no other process can
// take the port meanwhile (as it could after a bind and close).
inline int closedPort() {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return 0;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof(addr);
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    close(fd);
    return 0;
  }
  return ntohs(addr.sin_port);  // fd is kept open on purpose
}

inline bool readable(int fd, std::chrono::milliseconds timeout) {
  pollfd p{fd, POLLIN, 0};
  return poll(&p, 1, static_cast<int>(timeout.count())) == 1;
}

// A listener whose accept queue is full and never drained: Linux drops
// further SYNs, so a connect to it hangs until the client gives up.
class FullListener {
 public:
  FullListener() {
    m_listen = listenLoopback(&m_port, 0);
    if (m_listen < 0) return;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(m_port));
    m_filler = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_filler >= 0) connect(m_filler, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
  }
  ~FullListener() {
    if (m_filler >= 0) close(m_filler);
    if (m_listen >= 0) close(m_listen);
  }
  std::string url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
  }

 private:
  int m_listen = -1;
  int m_filler = -1;
  int m_port = 0;
};

// Serves exactly one connection: records the raw request bytes as they came
// over the wire, then sends `response` and closes. cpp-httplib sorts the
// headers it parses, so header order can only be seen here.
class RawOnceServer {
 public:
  explicit RawOnceServer(std::string response) : m_response(std::move(response)) {
    m_listen = listenLoopback(&m_port);
    if (m_listen >= 0) m_thread = std::thread([this] { serve(); });
  }
  ~RawOnceServer() {
    if (m_thread.joinable()) m_thread.join();
    if (m_listen >= 0) close(m_listen);
  }
  bool ok() const { return m_listen >= 0; }
  std::string url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
  }
  // Waits for the exchange to end and returns what the client sent.
  std::string request() {
    if (m_thread.joinable()) m_thread.join();
    return m_request;
  }

 private:
  void serve() {
    if (!readable(m_listen, kWait)) return;
    const int fd = accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return;
    size_t wanted = std::string::npos;
    char buf[4096];
    while (m_request.size() < wanted && readable(fd, kWait)) {
      const ssize_t n = recv(fd, buf, sizeof(buf), 0);
      if (n <= 0) break;
      m_request.append(buf, static_cast<size_t>(n));
      const size_t end = m_request.find("\r\n\r\n");
      if (end != std::string::npos && wanted == std::string::npos) {
        wanted = end + 4 + contentLength(m_request.substr(0, end));
      }
    }
    if (!m_response.empty()) send(fd, m_response.data(), m_response.size(), MSG_NOSIGNAL);
    close(fd);
  }

  static size_t contentLength(const std::string& head) {
    const std::string key = "\r\nContent-Length: ";
    const size_t at = head.find(key);
    return at == std::string::npos ? 0 : std::stoul(head.substr(at + key.size()));
  }

  std::string m_response;
  std::string m_request;
  int m_listen = -1;
  int m_port = 0;
  std::thread m_thread;
};

// Accepts connections and never answers, so transfers stay in flight for as
// long as the test wants.
class SilentServer {
 public:
  SilentServer() { m_listen = listenLoopback(&m_port); }
  ~SilentServer() {
    for (int fd : m_accepted) close(fd);
    if (m_listen >= 0) close(m_listen);
  }
  std::string url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
  }
  // Accepts until `count` connections are open in total. Returns false on timeout.
  bool acceptConnections(size_t count) {
    while (m_accepted.size() < count) {
      if (!readable(m_listen, kWait)) return false;
      const int fd = accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) return false;
      m_accepted.push_back(fd);
    }
    return true;
  }
  // True when the client closed accepted connection `i` (it read the request first).
  bool clientClosed(size_t i) {
    char buf[4096];
    while (readable(m_accepted.at(i), kWait)) {
      const ssize_t n = recv(m_accepted[i], buf, sizeof(buf), 0);
      if (n <= 0) return true;
    }
    return false;
  }

 private:
  int m_listen = -1;
  int m_port = 0;
  std::vector<int> m_accepted;
};

// Records the one completion of a queued request; the callback deletes the
// request as the executor's contract requires.
struct Completion : kvtest::CallLog {
  W::SESSION_STATUS status = 9999;
  W::HttpResponse response;
  double progressDone = -1;
  double progressTotal = -1;
  std::thread::id thread;

  static void callback(W::SESSION_STATUS status, W::HttpRequest* request, void* arg) {
    Completion* self = static_cast<Completion*>(arg);
    const W::HttpResponse response = request->response();
    double done = 0;
    double total = 0;
    request->getProgressStatus(done, total);
    delete request;
    self->record([&] {
      self->status = status;
      self->response = response;
      self->progressDone = done;
      self->progressTotal = total;
      self->thread = std::this_thread::get_id();
    });
  }
};

// A request that counts its destruction, to see what the executor destroys.
class CountedRequest : public W::HttpRequest {
 public:
  // The calls it counts are destructions.
  struct Counter : kvtest::CallLog {
    bool waitFor(int count) { return waitCalls(count); }
    int value() { return callCount(); }
  };

  CountedRequest(Counter* counter, const std::string& url, W::HttpCallback callback, void* arg)
      : W::HttpRequest(W::HTTP_GET, url, W::HttpHeader(), std::string(), callback, arg),
        m_counter(counter) {}
  ~CountedRequest() override {
    m_counter->record([] {});
  }

 private:
  Counter* m_counter;
};

}  // namespace httptest
