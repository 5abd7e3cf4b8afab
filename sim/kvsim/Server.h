// kvsim's HTTP server: binds 127.0.0.1, authenticates each request, applies
// injected faults, routes it to its resource handler and logs it. Tests start
// one in-process; main.cpp runs one until a signal or --exit-after.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "Accounts.h"
#include "Faults.h"
#include "RequestLog.h"
#include "Store.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace kvsim {

// Largest request body kvsim reads (--max-body-bytes): ample for any photo,
// small enough that a runaway client cannot take the host's memory.
constexpr size_t kDefaultMaxBodyBytes = size_t{64} << 20;

struct ServerConfig {
  AccountList accounts;           // empty: the default account
  bool seed = true;               // start with the default family
  std::string logPath;            // "" keeps the log in memory only
  std::vector<FaultRule> faults;  // rules active from the start
  std::string tlsCertPath;        // with tlsKeyPath (PEM files): serve https
  std::string tlsKeyPath;
  size_t maxBodyBytes = kDefaultMaxBodyBytes;  // larger bodies answer 413 unread
};

class Server {
 public:
  explicit Server(ServerConfig config);
  ~Server();  // stops the server
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Binds 127.0.0.1:`port` (0: a free port) and serves http, or https with
  // the configured certificate, on a thread of its own. Ignores SIGPIPE
  // process-wide. Returns the bound port, or -1 when the certificate or key
  // cannot be loaded, or binding or opening the log fails (`error` says why).
  int start(int port, std::string& error);
  // Stops serving and waits for the server thread; safe to call twice.
  void stop();

  // "http://127.0.0.1:PORT" or "https://127.0.0.1:PORT" once started; the
  // base of every URL written into answers.
  const std::string& baseUrl() const { return m_base; }
  Store& store() { return m_store; }
  Faults& faults() { return m_faults; }
  RequestLog& log() { return m_log; }
  const AccountList& accounts() const { return m_accounts; }

 private:
  void handle(const httplib::Request& req, httplib::Response& res);
  // Answers 413 (body over the cap) or 411 (body of unknown length) before
  // the library reads the body; true when it did.
  bool refuseBody(const httplib::Request& req, httplib::Response& res);

  AccountList m_accounts;
  Store m_store;
  Faults m_faults;
  RequestLog m_log;
  std::string m_logPath;
  std::string m_tlsCertPath;
  std::string m_tlsKeyPath;
  size_t m_maxBodyBytes;
  std::string m_base;
  int m_port = -1;
  std::atomic<bool> m_stopping{false};
  std::unique_ptr<httplib::Server> m_http;
  std::thread m_thread;
};

}  // namespace kvsim
