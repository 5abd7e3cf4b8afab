// HttpDelegator: the process's HTTP executor. One worker thread drives
// libcurl's multi interface and runs every completion; flushes and cancels
// reach it from other threads through flags and curl_multi_wakeup.
#include "HttpDelegatorImpl.h"

#include "HttpCurlGlobal.h"
#include "HttpRequestImpl.h"

#include <algorithm>
#include <system_error>

namespace W {

namespace {

// Upper bound of one wait in curl_multi_poll; wakeups normally end it sooner.
constexpr int kPollMs = 1000;

// Shuts the executor down during static destruction. Constructed after
// curl_global_init, so it runs before anything libcurl's TLS backend
// registered for process exit.
struct ExitShutdown {
  explicit ExitShutdown(HttpDelegator* executor) : m_executor(executor) {}
  ~ExitShutdown() { m_executor->shutdown(); }
  HttpDelegator* m_executor;
};

}  // namespace

HttpDelegator* HttpDelegator::getInstance() {
  // Never deleted: requests and completions may reach it until the very end.
  static HttpDelegator* const instance = [] {
    detail::ensureCurlGlobalInit();
    return new HttpDelegator();
  }();
  static ExitShutdown exitShutdown(instance);
  return instance;
}

HttpDelegator::HttpDelegator() : m_impl(new Impl()) {}

HttpDelegator::~HttpDelegator() {
  shutdown();
  delete m_impl;
}

int HttpDelegator::addRequest(HttpRequest* request) {
  if (request == nullptr || request->getHeader().hasLineBreak()) return REFUSED_INVALID;
  std::function<int(HttpRequest*)> onAdd;
  {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    if (m_impl->stopping) return REFUSED_SHUTDOWN;
    if (m_impl->hook.onAdd) {
      onAdd = m_impl->hook.onAdd;
    } else {
      if (!m_impl->startLocked()) return REFUSED_SHUTDOWN;
      m_impl->queue.push_back(request);
      m_impl->wakeLocked();
      return 0;
    }
  }
  return onAdd(request);  // outside the lock: test code may call back in
}

void HttpDelegator::flushHttpRequests(unsigned long long id) {
  std::function<void(unsigned long long)> onFlush;
  std::vector<HttpRequest*> queued;
  {
    std::unique_lock<std::mutex> lock(m_impl->mutex);
    if (m_impl->hook.onFlush) {
      onFlush = m_impl->hook.onFlush;
    } else {
      auto& queue = m_impl->queue;
      for (auto it = queue.begin(); it != queue.end();) {
        if ((*it)->getID() == id) {
          queued.push_back(*it);
          it = queue.erase(it);
        } else {
          ++it;
        }
      }
      // Attached transfers can only be detached by the worker; it destroys
      // them at its next turn and never completes them.
      for (HttpRequest* request : m_impl->inFlight) {
        if (request->getID() == id) request->impl().dropped = true;
      }
      m_impl->wakeLocked();
      // The worker itself never waits: the running completion may be ours.
      if (std::this_thread::get_id() != m_impl->workerId) {
        m_impl->completionIdle.wait(
            lock, [&] { return !(m_impl->completing && m_impl->completingId == id); });
      }
    }
  }
  if (onFlush) onFlush(id);
  for (HttpRequest* request : queued) delete request;
}

void HttpDelegator::shutdown() {
  std::vector<HttpRequest*> queued;
  {
    std::lock_guard<std::mutex> lock(m_impl->mutex);
    m_impl->stopping = true;
    m_impl->wakeLocked();
    // Without a worker nobody else empties the queue.
    if (m_impl->multi == nullptr) {
      queued.assign(m_impl->queue.begin(), m_impl->queue.end());
      m_impl->queue.clear();
    }
  }
  for (HttpRequest* request : queued) delete request;
  std::lock_guard<std::mutex> join(m_impl->joinMutex);
  // From inside a completion the worker cannot join itself; it stops after
  // the completion returns and a later call (at exit at the latest) joins.
  if (m_impl->worker.joinable() && m_impl->worker.get_id() != std::this_thread::get_id()) {
    m_impl->worker.join();
  }
}

void HttpDelegator::setDefaultTimeouts(long connectMs, long stallMs) {
  m_impl->connectMs.store(connectMs);
  m_impl->stallMs.store(stallMs);
}

long HttpDelegator::defaultConnectTimeout() const {
  return m_impl->connectMs.load();
}
long HttpDelegator::defaultStallTimeout() const {
  return m_impl->stallMs.load();
}

void HttpDelegator::Impl::setTestHook(const HttpTestHook& hook) {
  Impl* self = getInstance()->m_impl;
  std::lock_guard<std::mutex> lock(self->mutex);
  self->hook = hook;
}

void setHttpTestHook(const HttpTestHook& hook) {
  HttpDelegator::Impl::setTestHook(hook);
}

void HttpDelegator::Impl::wakeWorker() {
  Impl* self = getInstance()->m_impl;
  std::lock_guard<std::mutex> lock(self->mutex);
  self->wakeLocked();
}

void HttpDelegator::Impl::wakeLocked() {
  if (multi != nullptr) curl_multi_wakeup(multi);
}

bool HttpDelegator::Impl::startLocked() {
  if (multi != nullptr) return true;
  if (!detail::ensureCurlGlobalInit()) return false;
  multi = curl_multi_init();
  if (multi == nullptr) return false;
  try {
    worker = std::thread(&Impl::run, this);
  } catch (const std::system_error&) {
    curl_multi_cleanup(multi);
    multi = nullptr;
    return false;
  }
  workerId = worker.get_id();
  return true;
}

void HttpDelegator::Impl::run() {
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      if (stopping) break;
    }
    startQueued();
    reapDropped();
    finishCancelled();
    int running = 0;
    curl_multi_perform(multi, &running);
    finishDone();
    reapDropped();
    curl_multi_poll(multi, nullptr, 0, kPollMs, nullptr);
  }
  destroyAll();
}

void HttpDelegator::Impl::startQueued() {
  for (;;) {
    HttpRequest* request = nullptr;
    {
      std::lock_guard<std::mutex> lock(mutex);
      if (queue.empty() || stopping) return;
      request = queue.front();
      queue.pop_front();
      inFlight.push_back(request);
    }
    HttpRequest::Impl& r = request->impl();
    SESSION_STATUS status = r.cancelled.load() ? SESSION_CANCELLED : SESSION_OK;
    if (status == SESSION_OK) status = r.prepare(connectMs.load(), stallMs.load());
    if (status == SESSION_OK && curl_multi_add_handle(multi, r.easy) != CURLM_OK) {
      status = SESSION_NOT_STARTED;
    }
    if (status != SESSION_OK) finishOne(request, false, CURLE_OK, status);
  }
}

void HttpDelegator::Impl::finishDone() {
  int left = 0;
  while (CURLMsg* msg = curl_multi_info_read(multi, &left)) {
    if (msg->msg != CURLMSG_DONE) continue;
    CURL* easy = msg->easy_handle;
    const CURLcode code = msg->data.result;
    HttpRequest* request = nullptr;
    curl_easy_getinfo(easy, CURLINFO_PRIVATE, &request);
    curl_multi_remove_handle(multi, easy);
    finishOne(request, true, code, SESSION_OK);
  }
}

void HttpDelegator::Impl::finishCancelled() {
  for (;;) {
    HttpRequest* request = nullptr;
    {
      std::lock_guard<std::mutex> lock(mutex);
      for (HttpRequest* candidate : inFlight) {
        if (candidate->impl().cancelled.load() && !candidate->impl().dropped) {
          request = candidate;
          break;
        }
      }
    }
    if (request == nullptr) return;
    curl_multi_remove_handle(multi, request->getHandle());
    finishOne(request, true, CURLE_ABORTED_BY_CALLBACK, SESSION_CANCELLED);
  }
}

void HttpDelegator::Impl::reapDropped() {
  std::vector<HttpRequest*> dropped;
  {
    std::lock_guard<std::mutex> lock(mutex);
    auto firstDropped = std::stable_partition(inFlight.begin(), inFlight.end(),
                                              [](HttpRequest* r) { return !r->impl().dropped; });
    dropped.assign(firstDropped, inFlight.end());
    inFlight.erase(firstDropped, inFlight.end());
  }
  for (HttpRequest* request : dropped) {
    if (request->getHandle() != nullptr) curl_multi_remove_handle(multi, request->getHandle());
    delete request;
  }
}

void HttpDelegator::Impl::finishOne(HttpRequest* request, bool transferred, CURLcode code,
                                    SESSION_STATUS status) {
  bool drop = false;
  {
    std::lock_guard<std::mutex> lock(mutex);
    inFlight.erase(std::remove(inFlight.begin(), inFlight.end(), request), inFlight.end());
    drop = request->impl().dropped || stopping;
    if (!drop) {
      completing = true;
      completingId = request->getID();
    }
  }
  if (drop) {
    delete request;
    return;
  }
  if (transferred) status = request->impl().finish(code);
  // Without a callback nobody else takes the request over.
  if (request->getCallback() != nullptr) {
    request->complete(status);
  } else {
    delete request;
  }
  {
    std::lock_guard<std::mutex> lock(mutex);
    completing = false;
  }
  completionIdle.notify_all();
}

void HttpDelegator::Impl::destroyAll() {
  std::vector<HttpRequest*> doomed;
  CURLM* handle = nullptr;
  {
    std::lock_guard<std::mutex> lock(mutex);
    doomed.assign(inFlight.begin(), inFlight.end());
    doomed.insert(doomed.end(), queue.begin(), queue.end());
    inFlight.clear();
    queue.clear();
    handle = multi;
    multi = nullptr;  // no more wakeups from here on
  }
  for (HttpRequest* request : doomed) {
    if (request->getHandle() != nullptr) curl_multi_remove_handle(handle, request->getHandle());
    delete request;
  }
  curl_multi_cleanup(handle);
}

}  // namespace W
