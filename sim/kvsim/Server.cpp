// Request pipeline: route, authenticate, inject faults, answer, log.
#include "Server.h"

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <memory>

#include "AuthHeader.h"
#include "HttpDate.h"
#include "Routes.h"
#include "Seed.h"
#include "SocketDrop.h"
#include "XmlWriter.h"

namespace kvsim {

namespace {

const std::string kServicePrefix = "/openapi/service/kinvale/";

// Which credentials a resource asks for.
enum class Guard {
  Signed,    // Authorization of a known account with its own signature, and DATE
  Account,   // as Signed, but the empty-key signature is accepted too
  AppToken,  // only the appToken header (comment creation)
  None,      // media files and admin
};

using Handler = Reply (*)(Context&, const Call&);

// One row of the service's resource table. `first` is "*" for any UID, a
// single letter for UIDs starting with it, else the exact segment.
struct Route {
  const char* first;
  const char* second;  // "" for one-segment paths
  const char* method;
  Guard guard;
  Handler handler;
};

const Route kRoutes[] = {
    {"register", "", "POST", Guard::Account, handleRegister},
    {"auth", "", "POST", Guard::Account, handleAuth},
    {"*", "group.list", "GET", Guard::Signed, handleGroupList},
    {"*", "group.create", "POST", Guard::Signed, handleGroupCreate},
    {"*", "group.delete", "POST", Guard::Signed, handleGroupDelete},
    {"*", "feeds", "GET", Guard::Signed, handleFeeds},
    {"*", "upload", "POST", Guard::Signed, handleUploadSlot},
    {"m", "view", "GET", Guard::Signed, handleCommentView},
    {"*", "view", "GET", Guard::Signed, handleContentView},
    {"m", "delete", "POST", Guard::Signed, handleCommentDelete},
    {"*", "delete", "POST", Guard::Signed, handleContentDelete},
    {"*", "comment", "POST", Guard::AppToken, handleCommentCreate},
    {"*", "comment.list", "GET", Guard::Signed, handleCommentList},
};

const Route kUploadRoute = {"*", "", "POST", Guard::Signed, handleUploadTarget};
const Route kMediaRoute = {"*", "", "GET", Guard::None, handleMedia};

bool startsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

std::vector<std::string> splitPath(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

bool firstMatches(const char* pattern, const std::string& segment) {
  std::string p(pattern);
  if (segment.empty()) return false;
  if (p == "*") return true;
  if (p.size() == 1) return segment[0] == p[0];
  return segment == p;
}

// Finds the route of a request; `status` becomes 404 or 405 when there is none.
const Route* findRoute(const std::string& method, const std::string& path,
                       std::vector<std::string>& segments, int& status) {
  status = 404;
  if (startsWith(path, "/media/")) {
    if (method != "GET") status = 405;
    return method == "GET" ? &kMediaRoute : nullptr;
  }
  if (startsWith(path, "/upload/")) {
    segments = {path.substr(8)};
    if (segments[0].empty() || segments[0].find('/') != std::string::npos) return nullptr;
    if (method != "POST") status = 405;
    return method == "POST" ? &kUploadRoute : nullptr;
  }
  if (!startsWith(path, kServicePrefix)) return nullptr;
  segments = splitPath(path.substr(kServicePrefix.size()));
  if (segments.empty() || segments.size() > 2) return nullptr;
  const std::string second = segments.size() == 2 ? segments[1] : "";
  for (const Route& r : kRoutes) {
    if (second != r.second || !firstMatches(r.first, segments[0])) continue;
    if (method == r.method) return &r;
    status = 405;
  }
  return nullptr;
}

// The query as sent, without the "?".
std::string rawQuery(const httplib::Request& req) {
  size_t q = req.target.find('?');
  return q == std::string::npos ? std::string() : req.target.substr(q + 1);
}

// The log line's fields that the request alone gives.
LogEntry entryOf(const httplib::Request& req) {
  LogEntry entry;
  entry.method = req.method;
  entry.path = req.path;
  entry.query = rawQuery(req);
  entry.appToken = req.has_header("appToken");
  entry.bodySize = req.has_header("Content-Length")
                       ? std::strtoull(req.get_header_value("Content-Length").c_str(), nullptr, 10)
                       : req.body.size();
  entry.scheme = req.ssl != nullptr ? "https" : "http";
  return entry;
}

bool isLoopback(const std::string& addr) {
  return startsWith(addr, "127.") || addr == "::1" || startsWith(addr, "::ffff:127.");
}

void sleepUnlessStopping(int ms, const std::atomic<bool>& stopping) {
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!stopping && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

// The call as the handlers see it, before routing and authentication.
Call callOf(const httplib::Request& req) {
  Call call;
  call.method = req.method;
  call.path = req.path;
  call.request = &req;
  call.rawBody = req.body;
  return call;
}

Reply adminReply(Context& ctx, const Call& call, const httplib::Request& req) {
  return isLoopback(req.remote_addr) ? handleAdmin(ctx, call)
                                     : textReply(403, "admin is for loopback only\n");
}

// Credentials are read for every request so that the log shows them.
AuthResult readCredentials(const AccountList& accounts, const httplib::Request& req,
                           const Route* route, LogEntry& entry) {
  AuthResult auth = accounts.check(req.get_header_value("Authorization"),
                                   route != nullptr && route->guard == Guard::Account);
  entry.appId = auth.appId;
  entry.duid = auth.duid;
  entry.signature = !req.has_header("Authorization") ? "none" : auth.account ? "ok" : "bad";
  return auth;
}

// Whether the fault's own answer takes the place of the resource's.
bool replacesAnswer(const FaultPlan& plan) {
  FaultKind kind = plan.hasAction ? plan.action.kind : FaultKind::Latency;
  return kind == FaultKind::Status || kind == FaultKind::Error || kind == FaultKind::Malformed;
}

// Sets the account the call acts for, as the route's guard asks; returns why
// the credentials are refused, or "" when they pass.
std::string refusal(Guard guard, const httplib::Request& req, const AuthResult& auth,
                    const AccountList& accounts, Call& call) {
  const std::string appToken = req.get_header_value("appToken");
  if (guard == Guard::Signed || guard == Guard::Account) {
    call.account = auth.account;
    if (auth.account == nullptr) return auth.reason;
    if (!isValidDateHeader(req.get_header_value("DATE"))) return "missing or unreadable DATE";
    if (!appToken.empty() && appToken != auth.account->appToken) return "wrong appToken";
    return "";
  }
  if (guard != Guard::AppToken) return "";
  // The plug-in sends only "appToken", which its session leaves empty;
  // an empty or missing value stands for the account without an app token.
  const bool hasAuthorization = req.has_header("Authorization");
  call.account = hasAuthorization ? auth.account : accounts.byAppToken(appToken);
  if (call.account == nullptr) return hasAuthorization ? auth.reason : "unknown appToken";
  if (!appToken.empty() && appToken != call.account->appToken) return "wrong appToken";
  return "";
}

// The resource's answer, or 401 when the credentials do not pass its guard.
Reply routedReply(const Route& route, Context& ctx, Call& call, const AuthResult& auth,
                  const std::string& query) {
  const httplib::Request& req = *call.request;
  const std::string deny = refusal(route.guard, req, auth, ctx.accounts, call);
  if (!deny.empty()) return textReply(401, "unauthorized: " + deny + "\n");
  call.query = Form::parse(query);
  if (!req.is_multipart_form_data()) call.form = Form::parse(req.body);
  try {
    return route.handler(ctx, call);
  } catch (const std::exception& e) {
    return textReply(500, std::string("internal error: ") + e.what() + "\n");
  }
}

Reply faultReply(const FaultRule& rule) {
  switch (rule.kind) {
    case FaultKind::Status: {
      Reply r;
      r.status = rule.code;
      r.contentType = kXmlContentType;
      r.body = envelope(false, "injected status " + std::to_string(rule.code), "");
      return r;
    }
    case FaultKind::Error:
      return refusedReply(rule.error, "injected error");
    case FaultKind::Malformed: {
      Reply r;
      r.contentType = kXmlContentType;
      r.body = rule.body == "text" ? "this is not XML\n"
                                   : "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rsp><result>";
      return r;
    }
    default:
      break;
  }
  return textReply(500, "no answer for this fault\n");
}

// Puts a reply on the response, broken or slowed down as the fault says.
void sendReply(const Reply& reply, const FaultPlan& plan, httplib::Response& res,
               const std::atomic<bool>& stopping) {
  res.status = reply.status;
  std::shared_ptr<const std::string> payload =
      reply.bytes ? reply.bytes : std::make_shared<const std::string>(reply.body);
  FaultKind kind = plan.hasAction ? plan.action.kind : FaultKind::Latency;
  if (kind == FaultKind::Truncated) {
    res.set_content_provider(
        payload->size(), reply.contentType,
        [payload](size_t offset, size_t, httplib::DataSink& sink) {
          size_t half = payload->size() / 2;
          if (offset < half) sink.write(payload->data() + offset, half - offset);
          return false;  // the library closes the connection short of Content-Length
        });
    return;
  }
  if (kind == FaultKind::Slow) {
    size_t step = static_cast<size_t>(plan.action.bytes);
    int interval = plan.action.intervalMs;
    res.set_content_provider(payload->size(), reply.contentType,
                             [payload, step, interval, &stopping](size_t offset, size_t length,
                                                                  httplib::DataSink& sink) {
                               size_t n = length < step ? length : step;
                               if (!sink.write(payload->data() + offset, n)) return false;
                               if (offset + n < payload->size())
                                 sleepUnlessStopping(interval, stopping);
                               return !stopping;
                             });
    return;
  }
  if (reply.bytes) {
    res.set_content_provider(payload->size(), reply.contentType,
                             [payload](size_t offset, size_t length, httplib::DataSink& sink) {
                               return sink.write(payload->data() + offset, length);
                             });
    return;
  }
  res.set_content(reply.body, reply.contentType);
}

}  // namespace

Server::Server(ServerConfig config)
    : m_accounts(std::move(config.accounts)),
      m_logPath(std::move(config.logPath)),
      m_tlsCertPath(std::move(config.tlsCertPath)),
      m_tlsKeyPath(std::move(config.tlsKeyPath)),
      m_maxBodyBytes(config.maxBodyBytes) {
  if (m_accounts.empty()) m_accounts.add(AccountList::defaultAccount());
  for (FaultRule& rule : config.faults) m_faults.add(rule);
  const bool seed = config.seed;
  m_store.with([&](StoreData& d) {
    if (seed) seedFamily(d);
    // Every account acts as a person; give the ones the seed lacks a record.
    for (const Account& a : m_accounts.all()) {
      if (d.person(a.userId) == nullptr) addPerson(d, a.userId, a.userName, "");
    }
    return 0;
  });
}

Server::~Server() {
  stop();
}

int Server::start(int port, std::string& error) {
  if (!m_log.open(m_logPath)) {
    error = "cannot open log file " + m_logPath;
    return -1;
  }
  // A client that goes away mid-answer must not kill the process.
  std::signal(SIGPIPE, SIG_IGN);
  const bool tls = !m_tlsCertPath.empty() || !m_tlsKeyPath.empty();
  if (tls) {
    auto https = std::make_unique<httplib::SSLServer>(m_tlsCertPath.c_str(), m_tlsKeyPath.c_str());
    if (!https->is_valid()) {
      error = "cannot load TLS certificate " + m_tlsCertPath + " with key " + m_tlsKeyPath;
      return -1;
    }
    m_http = std::move(https);
  } else {
    m_http = std::make_unique<httplib::Server>();
  }
  m_http->new_task_queue = [] { return new httplib::ThreadPool(16); };
  m_http->set_keep_alive_timeout(2);
  // Headers and body go out in separate writes; with Nagle the body waits
  // for the client's delayed ACK (tens of milliseconds per request).
  m_http->set_tcp_nodelay(true);
  // Bodies over the cap, or of unknown length, are refused before a byte of
  // them is read: at "Expect: 100-continue" (so a client such as curl never
  // sends them), else before routing. The library's own cap stays as a floor.
  m_http->set_payload_max_length(m_maxBodyBytes);
  m_http->set_expect_100_continue_handler(
      [this](const httplib::Request& req, httplib::Response& res) {
        return refuseBody(req, res) ? res.status : 100;
      });
  m_http->set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
    return refuseBody(req, res) ? httplib::Server::HandlerResponse::Handled
                                : httplib::Server::HandlerResponse::Unhandled;
  });
  auto handler = [this](const httplib::Request& req, httplib::Response& res) { handle(req, res); };
  m_http->Get(".*", handler);
  m_http->Post(".*", handler);
  m_http->Put(".*", handler);
  m_http->Delete(".*", handler);
  m_http->Patch(".*", handler);
  if (port == 0) {
    m_port = m_http->bind_to_any_port("127.0.0.1");
  } else {
    m_port = m_http->bind_to_port("127.0.0.1", port) ? port : -1;
  }
  if (m_port <= 0) {
    error = "cannot bind 127.0.0.1:" + std::to_string(port);
    m_http.reset();
    return -1;
  }
  m_base = (tls ? "https://127.0.0.1:" : "http://127.0.0.1:") + std::to_string(m_port);
  // The socket already queues connections; the port is reported once the
  // accept loop runs, and an accept loop that ended before it ran is a
  // failure, however long the thread took to start.
  auto ended = std::make_shared<std::atomic<bool>>(false);
  m_thread = std::thread([this, ended] {
    m_http->listen_after_bind();
    *ended = true;
  });
  while (!m_http->is_running()) {
    if (*ended) {
      error = "the listener on 127.0.0.1:" + std::to_string(m_port) + " did not start";
      stop();
      m_port = -1;
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return m_port;
}

void Server::stop() {
  m_stopping = true;
  if (m_http) m_http->stop();
  if (m_thread.joinable()) m_thread.join();
}

bool Server::refuseBody(const httplib::Request& req, httplib::Response& res) {
  // The library reads a body that comes without a Content-Length (chunked,
  // or up to the end of the connection) with no limit at all.
  const bool carriesBody = req.method == "POST" || req.method == "PUT" || req.method == "PATCH" ||
                           req.method == "DELETE";
  const bool unknownLength =
      carriesBody && (req.has_header("Transfer-Encoding") || !req.has_header("Content-Length"));
  const unsigned long long length =
      std::strtoull(req.get_header_value("Content-Length").c_str(), nullptr, 10);
  if (!unknownLength && length <= m_maxBodyBytes) return false;
  Reply reply =
      unknownLength
          ? textReply(411, "a request body needs a Content-Length\n")
          : textReply(413, "request body over " + std::to_string(m_maxBodyBytes) + " bytes\n");
  if (!startsWith(req.path, "/admin/")) {
    LogEntry entry = entryOf(req);
    entry.code = std::to_string(reply.status);
    m_log.write(entry);
  }
  // The body stays unread, so the connection must not carry another request:
  // a provider that returns false after the whole answer makes the library
  // close it.
  res.status = reply.status;
  auto text = std::make_shared<const std::string>(reply.body);
  res.set_content_provider(text->size(), reply.contentType,
                           [text](size_t offset, size_t, httplib::DataSink& sink) {
                             sink.write(text->data() + offset, text->size() - offset);
                             return false;
                           });
  return true;
}

void Server::handle(const httplib::Request& req, httplib::Response& res) {
  Context ctx{m_store, m_accounts, m_faults, m_log, m_base};
  Call call = callOf(req);
  if (startsWith(req.path, "/admin/")) {
    sendReply(adminReply(ctx, call, req), FaultPlan(), res, m_stopping);
    return;
  }

  LogEntry entry = entryOf(req);
  int routeStatus = 404;
  const Route* route = findRoute(req.method, req.path, call.segments, routeStatus);
  const AuthResult auth = readCredentials(m_accounts, req, route, entry);

  FaultPlan plan = m_faults.take(req.method, req.path);
  entry.fault = plan.names;
  if (plan.latencyMs > 0) sleepUnlessStopping(plan.latencyMs, m_stopping);
  if (plan.hasAction && plan.action.kind == FaultKind::Drop) {
    // Logged first: the client sees the close at once and may look at the log.
    entry.code = "drop";
    m_log.write(entry);
    shutdownConnection(req.local_port, req.remote_port);
    res.status = 500;
    return;
  }

  Reply reply;
  if (replacesAnswer(plan)) {
    reply = faultReply(plan.action);
  } else if (route == nullptr) {
    reply = textReply(routeStatus, routeStatus == 405 ? "method not allowed\n" : "not found\n");
  } else {
    reply = routedReply(*route, ctx, call, auth, entry.query);
  }
  entry.code = std::to_string(reply.status);
  m_log.write(entry);
  sendReply(reply, plan, res, m_stopping);
}

}  // namespace kvsim
