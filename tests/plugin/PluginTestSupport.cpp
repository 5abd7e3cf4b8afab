// Shared fixtures of the plug-in tests.
#include "PluginTestSupport.h"

#include "HttpTestHook.h"
#include "XmlTestDoc.h"

namespace kvtest {

CapturingExecutor::CapturingExecutor() {
  W::HttpTestHook hook;
  hook.onAdd = [this](W::HttpRequest* request) {
    W::HttpResponse response;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      if (m_refuse < 0) {
        int status = m_refuse;
        m_refuse = 0;
        return status;
      }
      if (!m_completeOnAdd) {
        m_requests.push_back(request);
        return 0;
      }
      response.setHttpResponseCode(m_addCode);
      response.setPayload(m_addPayload);
    }
    // Outside the lock: the completion may queue or flush in turn.
    request->setResponse(response);
    request->complete(W::SESSION_OK);
    return 0;
  };
  hook.onFlush = [this](unsigned long long) {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_flushes;
  };
  W::setHttpTestHook(hook);
}

CapturingExecutor::~CapturingExecutor() {
  W::setHttpTestHook(W::HttpTestHook());
  dropAll();
}

void CapturingExecutor::completeOnAdd(int httpCode, const std::string& payload) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_completeOnAdd = true;
  m_addCode = httpCode;
  m_addPayload = payload;
}

size_t CapturingExecutor::size() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_requests.size();
}

W::HttpRequest* CapturingExecutor::at(size_t i) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return i < m_requests.size() ? m_requests[i] : nullptr;
}

W::HttpRequest* CapturingExecutor::last() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_requests.empty() ? nullptr : m_requests.back();
}

int CapturingExecutor::flushes() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_flushes;
}

W::HttpRequest* CapturingExecutor::answer(size_t i, int httpCode, const std::string& payload,
                                          const std::string& contentType) {
  W::HttpRequest* request = nullptr;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (i >= m_requests.size()) return nullptr;
    request = m_requests[i];
    m_requests.erase(m_requests.begin() + static_cast<long>(i));
  }
  W::HttpResponse response;
  response.setHttpResponseCode(httpCode);
  response.setPayload(payload);
  response.setContentType(contentType);
  request->setResponse(response);
  return request;
}

void CapturingExecutor::complete(size_t i, W::SESSION_STATUS status, int httpCode,
                                 const std::string& payload, const std::string& contentType) {
  W::HttpRequest* request = answer(i, httpCode, payload, contentType);
  ASSERT_NE(request, nullptr) << "no captured request " << i;
  request->complete(status);
}

W::HttpRequest* CapturingExecutor::answerLast(int httpCode, const std::string& payload,
                                              const std::string& contentType) {
  const size_t n = size();
  return n == 0 ? nullptr : answer(n - 1, httpCode, payload, contentType);
}

void CapturingExecutor::completeLast(W::SESSION_STATUS status, int httpCode,
                                     const std::string& payload, const std::string& contentType) {
  size_t n = size();
  ASSERT_GT(n, 0u);
  complete(n - 1, status, httpCode, payload, contentType);
}

void CapturingExecutor::dropAll() {
  std::vector<W::HttpRequest*> requests;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    requests.swap(m_requests);
  }
  for (W::HttpRequest* r : requests) delete r;
}

const W::WContentProvider& provider() {
  static const W::WContentProvider kProvider("Kinvale", 12);
  return kProvider;
}

void configure(const std::string& appId, const std::string& token, const std::string& duid,
               const std::string& baseUrl) {
  W::WConfigManager& config = W::WConfigManager::getInstance();
  config.clearCPOptions(provider());
  config.setCPOption(provider(), "app_id", appId);
  config.setCPOption(provider(), "AuthToken", token);
  config.setCPOption(provider(), "duid", duid);
  config.setCPOption(provider(), "base_url", baseUrl);
}

void clearConfiguration() {
  W::WConfigManager::getInstance().clearCPOptions(provider());
}

void logIn(W::WKVOAI& oai) {
  XmlDoc doc("<result><stat>ok</stat></result>");
  oai.getService()->setUserCredential(doc.root(), provider());
}

std::string headerOf(const W::HttpRequest* request, const std::string& name) {
  for (const auto& entry : request->getHeader().entries()) {
    if (entry.first == name) return entry.second;
  }
  return "<absent>";
}

std::vector<std::string> headerNames(const W::HttpRequest* request) {
  std::vector<std::string> names;
  for (const auto& entry : request->getHeader().entries()) names.push_back(entry.first);
  return names;
}

CallbackLog& callbacks() {
  static CallbackLog log;
  return log;
}

CallbackLog& cancels() {
  static CallbackLog log;
  return log;
}

void resetLogs() {
  {
    std::lock_guard<std::mutex> lock(callbacks().mutex);
    callbacks().entries.clear();
  }
  std::lock_guard<std::mutex> lock(cancels().mutex);
  cancels().entries.clear();
}

void onAccount(W::WSTATUS status, const W::WContentProvider&, void* userData) {
  callbacks().add(status, "account", userData);
}

void onCancel(W::WSTATUS status, const W::WContentProvider&, void* userData) {
  cancels().add(status, "cancel", userData);
}

}  // namespace kvtest
