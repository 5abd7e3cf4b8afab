// The provider object: construction and destruction, the command registry,
// and the operations this provider does not support.
#include "frame/WKVOAI.h"

#include <libxml/parser.h>

#include <memory>
#include <new>

#include "frame/LiveProviders.h"
#include "service/KVCompletionScope.h"
#include "service/KVLog.h"

namespace W {

namespace {
// The host file name and line that the unsupported operations report.
constexpr const char* kOAIFile = "src/WKVOAI";
}  // namespace

WKVOAI::WKVOAI()
    : WKinvaleOAI(WContentProvider("Kinvale", 12)),
      m_pService(nullptr),
      m_cmdList(),
      m_cancelFlag(false),
      m_cancelCb(nullptr) {
  // libxml2 must be initialised once before parsers run on other threads.
  xmlInitParser();
  // Freed here should the construction fail after it.
  std::unique_ptr<KVService> service(new (std::nothrow) KVService("Kinvale", m_provider));
  if (service != nullptr) service->setFnCallbackPtr(&WKVOAI::cbFnRequestCompleted);
  cancelFlagReset();
  m_cancelCb = nullptr;
  LiveProviders::enter(this);
  m_pService = service.release();
}

WKVOAI::~WKVOAI() {
  // First: no record's downloader, nor an operation still returning on a
  // host thread, reaches this provider from here on.
  LiveProviders::leave(this);
  // After the flush no completion of ours runs or will run.
  if (m_pService != nullptr) m_pService->flushHttpRequests();
  cancelFlagReset();
  cleanupCMD();
  delete m_pService;
  m_pService = nullptr;
  std::lock_guard<std::mutex> lock(m_cancelLock);
  m_cancelCb = nullptr;
}

KVLimits WKVOAI::answerLimits() const {
  return m_pService != nullptr ? m_pService->limits() : KVLimits();
}

bool WKVOAI::deferDestroyToCompletion() {
  if (m_pService == nullptr) return false;
  return KVCompletionScope::deferDestroy(
      m_pService, [](void* self) { delete static_cast<WKVOAI*>(self); }, this);
}

void WKVOAI::addCMD(KVServiceCMD* cmd) {
  std::lock_guard<std::mutex> lock(m_cmdLock);
  m_cmdList.push_back(cmd);
}

void WKVOAI::cleanupCMD(KVServiceCMD* cmd) {
  if (cmd == nullptr) return;
  std::lock_guard<std::mutex> lock(m_cmdLock);
  for (auto it = m_cmdList.begin(); it != m_cmdList.end(); ++it) {
    if (*it == cmd) {
      m_cmdList.erase(it);
      return;
    }
  }
}

void WKVOAI::cleanupCMD() {
  std::lock_guard<std::mutex> lock(m_cmdLock);
  m_cmdList.clear();
}

size_t WKVOAI::pendingCommands() const {
  std::lock_guard<std::mutex> lock(m_cmdLock);
  return m_cmdList.size();
}

// ---- unsupported operations: each answers WSTATUS_NOT_SUPPORTED at once ----

WSTATUS WKVOAI::login(const STRING&, const STRING&, KVLoginCallback, VOID*) {
  return kvLogError(WSTATUS_NOT_SUPPORTED, kOAIFile, 371);
}

WSTATUS WKVOAI::logout(KVAccountCallback, VOID*) {
  return kvLogError(WSTATUS_NOT_SUPPORTED, kOAIFile, 493);
}

WSTATUS WKVOAI::unregisterKV(KVAccountCallback, VOID*) {
  return kvLogError(WSTATUS_NOT_SUPPORTED, kOAIFile, 655);
}

WSTATUS WKVOAI::retrieveExceptions(std::list<WException*>&) {
  return kvLogError(WSTATUS_NOT_SUPPORTED, kOAIFile, 790);
}

WSTATUS WKVOAI::resolveException(WException*, KVResolveCallback, VOID*) {
  return kvLogError(WSTATUS_NOT_SUPPORTED, kOAIFile, 815);
}

WSTATUS WKVOAI::retrieveGroupGallery(const WGroup&, KV_CONTENT_TYPE, UINT32, KV_SEARCH_DIRECTION,
                                     KV_OPTION_SORT, KV_OPTION_ORDER, KVContentListCallback,
                                     VOID*) {
  return kvLogError(WSTATUS_NOT_SUPPORTED, kOAIFile, 1641);
}

WSTATUS WKVOAI::updateContent(const WContent&, const STRING&, KVContentUpdateCallback, VOID*) {
  return kvLogError(WSTATUS_NOT_SUPPORTED, kOAIFile, 1989);
}

WSTATUS WKVOAI::updateComment(const WComment&, KVCommentCallback, VOID*) {
  return kvLogError(WSTATUS_NOT_SUPPORTED, kOAIFile, 2485);
}

}  // namespace W
