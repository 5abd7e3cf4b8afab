// Session state of KVService: construction, the argument list, text
// helpers, and the cancel and progress fields of the cancellable transfer.
#include "service/KVService.h"

#include <W/WConfigManager.h>

#include "frame/KVServiceCMD.h"

namespace W {

const char* const KVService::kDefaultBaseURL = "http://127.0.0.1:8380";

KVService::KVService(const STRING& name, const WContentProvider& provider)
    : m_serviceName(name),
      m_requestID(static_cast<unsigned long long>(provider.getID())),
      m_provider(provider) {
  m_pDelegator = HttpDelegator::getInstance();
  std::lock_guard<std::mutex> lock(m_reqLock);
  m_inFlight = false;
  m_pCurrent = nullptr;
  m_current = 0.0;
  m_total = 0.0;
}

KVService::~KVService() {
  // Flush first: the executor then runs no completion of ours any more, so
  // the argument records below can be freed without racing one.
  flushHttpRequests();
  {
    std::lock_guard<std::mutex> lock(m_exceptionLock);
    for (WException* e : m_exceptions) delete e;
    m_exceptions.clear();
  }
  {
    std::lock_guard<std::mutex> lock(m_listLock);
    for (KVServiceArgs* args : m_args) releaseArgs(args);
    m_args.clear();
  }
  std::lock_guard<std::mutex> lock(m_reqLock);
  m_current = 0.0;
  m_total = 0.0;
  m_pCurrent = nullptr;
  m_pCurrentCmd = nullptr;
  m_inFlight = false;
}

void KVService::releaseArgs(KVServiceArgs* args) {
  if (args == nullptr) return;
  delete args->pCmd;
  delete args;
}

void KVService::addARGS(KVServiceArgs* args) {
  std::lock_guard<std::mutex> lock(m_listLock);
  m_args.push_back(args);
}

void KVService::cleanupARGS(KVServiceArgs* args) {
  if (unlinkARGS(args)) releaseArgs(args);
}

bool KVService::unlinkARGS(const KVServiceArgs* args) {
  std::lock_guard<std::mutex> lock(m_listLock);
  auto it = m_args.begin();
  while (it != m_args.end() && *it != args) ++it;
  if (it == m_args.end()) return false;
  m_args.erase(it);
  return true;
}

size_t KVService::pendingArgs() const {
  std::lock_guard<std::mutex> lock(m_listLock);
  return m_args.size();
}

STRING KVService::int2str(UINT32 value) {
  return std::to_string(value);
}

STRING KVService::space2Char(STRING& text) {
  for (char& c : text) {
    if (c == ' ') c = '+';
  }
  return text;
}

STRING KVService::option(const STRING& key) const {
  return WConfigManager::getInstance().getCPOption(m_provider, key).toString();
}

KVLimits KVService::limits() const {
  KVLimits limits;
  limits.maxAnswerBytes =
      limitOption("max_answer_bytes", option("max_answer_bytes"), KVLimits::kDefaultMaxAnswerBytes);
  limits.requestTimeoutSeconds = limitOption("request_timeout", option("request_timeout"),
                                             KVLimits::kDefaultRequestTimeoutSeconds);
  limits.caFile = option("ca_file");
  limits.maxAnswerElements = limitOption("max_answer_elements", option("max_answer_elements"),
                                         KVLimits::kDefaultMaxAnswerElements);
  limits.maxAnswerRecords = limitOption("max_answer_records", option("max_answer_records"),
                                        KVLimits::kDefaultMaxAnswerRecords);
  limits.maxDownloadBytes = limitOption("max_download_bytes", option("max_download_bytes"),
                                        KVLimits::kDefaultMaxDownloadBytes);
  return limits;
}

bool KVService::isSecure() const {
  return serviceURL(STRING()).compare(0, 8, "https://") == 0;
}

// --- credentials ---

KVCredentials KVService::credentials() const {
  std::lock_guard<std::mutex> lock(m_credLock);
  return m_credentials;
}

void KVService::setUserID(const STRING& userID) {
  std::lock_guard<std::mutex> lock(m_credLock);
  m_credentials.userID = userID;
}

bool KVService::isLoggedIn() const {
  std::lock_guard<std::mutex> lock(m_credLock);
  return !m_credentials.authToken.empty();
}

STRING KVService::serviceURL(const STRING& resource) const {
  STRING base = option("base_url");
  if (base.empty()) base = kDefaultBaseURL;
  while (!base.empty() && base.back() == '/') base.pop_back();
  return base + "/" + "openapi/service/kinvale" + "/" + resource;
}

// --- the cancellable transfer ---

void KVService::setCancel() {
  std::lock_guard<std::mutex> lock(m_reqLock);
  if (m_pCurrent != nullptr && m_inFlight) {
    m_inFlight = false;
    m_pCurrent->setCancel();
  }
}

void KVService::getProgressStatus(double& done, double& total) {
  std::lock_guard<std::mutex> lock(m_reqLock);
  if (m_pCurrent != nullptr && m_inFlight) {
    double a = 0.0;
    double b = 0.0;
    m_pCurrent->getProgressStatus(a, b);
    m_current = a;
    m_total = b;
  }
  done = m_current;
  total = m_total;
}

void KVService::updateProgressStatus() {
  std::lock_guard<std::mutex> lock(m_reqLock);
  if (m_pCurrent != nullptr) m_current = m_total;
}

void KVService::updateProgressStatus(const KVServiceCMD* cmd) {
  std::lock_guard<std::mutex> lock(m_reqLock);
  if (m_pCurrent != nullptr && m_pCurrentCmd == cmd) m_current = m_total;
}

void KVService::resetProgressStatus(const KVServiceCMD* cmd) {
  std::lock_guard<std::mutex> lock(m_reqLock);
  if (m_pCurrentCmd != cmd) return;
  m_current = 0.0;
  m_total = 0.0;
}

void KVService::resetReqStatus(const KVServiceCMD* cmd) {
  std::lock_guard<std::mutex> lock(m_reqLock);
  if (m_pCurrentCmd == cmd) m_inFlight = false;
}

void KVService::resetProgressStatus() {
  std::lock_guard<std::mutex> lock(m_reqLock);
  m_current = 0.0;
  m_total = 0.0;
}

void KVService::resetReqStatus() {
  std::lock_guard<std::mutex> lock(m_reqLock);
  m_inFlight = false;
}

void KVService::flushHttpRequests() {
  if (m_pDelegator != nullptr) m_pDelegator->flushHttpRequests(m_requestID);
  std::lock_guard<std::mutex> lock(m_reqLock);
  m_pCurrent = nullptr;
  m_pCurrentCmd = nullptr;
}

void KVService::beginTransfer(HttpRequest* request, const KVServiceCMD* cmd) {
  std::lock_guard<std::mutex> lock(m_reqLock);
  if (m_inFlight) return;
  m_pCurrent = request;
  m_pCurrentCmd = cmd;
  m_inFlight = true;
  m_current = 0.0;
  m_total = 0.0;
}

void KVService::abandonTransfer(HttpRequest* request) {
  std::lock_guard<std::mutex> lock(m_reqLock);
  if (m_pCurrent != request) return;
  m_pCurrent = nullptr;
  m_pCurrentCmd = nullptr;
  m_inFlight = false;
  m_current = 0.0;
  m_total = 0.0;
}

void KVService::forgetRequest(HttpRequest* request) {
  // The request is about to be destroyed: nothing may reach it through the
  // current-request pointer any more.
  std::lock_guard<std::mutex> lock(m_reqLock);
  if (m_pCurrent != request) return;
  m_pCurrent = nullptr;
  m_pCurrentCmd = nullptr;
  m_inFlight = false;
}

}  // namespace W
