// Shared fixtures of the plug-in tests: a capturing executor that holds
// queued requests until the test completes them, provider options, login,
// and a recorder for caller callbacks.
#pragma once

#include <W/HttpDelegator.h>
#include <W/WConfigManager.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "frame/WKVOAI.h"

namespace kvtest {

// The headers of a signed request.
inline const std::vector<std::string> kSigned = {"Authorization", "DATE"};

// Installs the executor's test hook for its lifetime: queued requests are
// captured instead of sent, and flushes are counted.
class CapturingExecutor {
 public:
  CapturingExecutor();
  ~CapturingExecutor();

  // Refuse the next addRequest() calls with `status` (negative).
  void refuseNext(int status) { m_refuse = status; }
  // From now on complete every request inside addRequest() itself, with
  // this answer, before the caller gets its status back.
  void completeOnAdd(int httpCode, const std::string& payload);

  size_t size() const;
  W::HttpRequest* at(size_t i) const;
  W::HttpRequest* last() const;
  int flushes() const;

  // Completes captured request `i` with a response and a session status;
  // the plug-in's callback then deletes it.
  void complete(size_t i, W::SESSION_STATUS status, int httpCode, const std::string& payload,
                const std::string& contentType = "text/xml");
  void completeLast(W::SESSION_STATUS status, int httpCode, const std::string& payload,
                    const std::string& contentType = "text/xml");

  // Removes the last captured request and gives it that response, for the
  // caller to complete (HttpRequest::complete); null when none is captured.
  W::HttpRequest* answerLast(int httpCode, const std::string& payload,
                             const std::string& contentType = "text/xml");

  // Deletes captured requests without completing them (their commands
  // belong to the session, which frees them when destroyed).
  void dropAll();

 private:
  W::HttpRequest* answer(size_t i, int httpCode, const std::string& payload,
                         const std::string& contentType);

  mutable std::mutex m_mutex;
  std::vector<W::HttpRequest*> m_requests;
  int m_flushes = 0;
  int m_refuse = 0;
  bool m_completeOnAdd = false;
  int m_addCode = 0;
  std::string m_addPayload;
};

// Sets the provider's options used by the account flows and the base URL.
void configure(const std::string& appId = "app-1", const std::string& token = "token-1",
               const std::string& duid = "duid-1", const std::string& baseUrl = "http://kv.test");
void clearConfiguration();

// Loads the session's credentials as a successful authentication does.
void logIn(W::WKVOAI& oai);

// The provider identity every test compares against.
const W::WContentProvider& provider();

// The header value of `name` in a captured request, or "<absent>".
std::string headerOf(const W::HttpRequest* request, const std::string& name);
// Header names in wire order.
std::vector<std::string> headerNames(const W::HttpRequest* request);

// Records caller callbacks: status and a free-form description per call.
struct CallbackLog {
  struct Entry {
    int status;
    std::string detail;
    void* userData;
  };
  std::mutex mutex;
  std::vector<Entry> entries;
  void add(int status, const std::string& detail, void* userData) {
    std::lock_guard<std::mutex> lock(mutex);
    entries.push_back({status, detail, userData});
  }
  size_t size() {
    std::lock_guard<std::mutex> lock(mutex);
    return entries.size();
  }
};

// A process-wide log the plain-function callbacks write to.
CallbackLog& callbacks();
CallbackLog& cancels();
void resetLogs();

// Callback functions matching the provider's callback types.
void onAccount(W::WSTATUS status, const W::WContentProvider&, void* userData);
void onCancel(W::WSTATUS status, const W::WContentProvider&, void* userData);

}  // namespace kvtest
