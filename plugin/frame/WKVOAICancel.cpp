// Cancel and progress of the provider. Lock order: the cancel lock, then
// (inside KVService::setCancel) the session's request lock; never reversed.
#include "frame/WKVOAI.h"
#include "service/KVCatchAll.h"
#include "service/KVLog.h"

namespace W {

WSTATUS WKVOAI::cancel(const WContentProvider& provider, KVCancelCallback callback, VOID*) try {
  KV_ASSERT_NOT_NULL(m_pService);
  if (!m_pService->isLoggedIn()) return KV_LOG_OAI(WSTATUS_NOT_LOGGED_IN);
  if (provider.getID() != m_provider.getID()) return KV_LOG_OAI(WSTATUS_FAILURE);
  std::unique_lock<std::mutex> lock(m_cancelLock);
  if (m_cancelFlag) {
    lock.unlock();
    return KV_LOG_OAI(WSTATUS_ALREADY_CANCELLING);
  }
  if (callback != nullptr) m_cancelCb = callback;
  m_cancelFlag = true;
  m_pService->setCancel();
  return WSTATUS_SUCCESS;
} catch (...) {
  return KV_CAUGHT_OAI();
}

WSTATUS WKVOAI::progressStatus(const WContentProvider& provider, double& done, double& total,
                               VOID*) try {
  KV_ASSERT_NOT_NULL(m_pService);
  if (!m_pService->isLoggedIn()) return KV_LOG_OAI(WSTATUS_NOT_LOGGED_IN);
  if (provider.getID() != m_provider.getID()) {
    done = 0.0;
    total = 0.0;
    return KV_LOG_OAI(WSTATUS_FAILURE);
  }
  m_pService->getProgressStatus(done, total);
  return WSTATUS_SUCCESS;
} catch (...) {
  return KV_CAUGHT_OAI();
}

void WKVOAI::cbCancelDone(int status, void* userData) {
  KVCancelCallback callback;
  {
    // Taken under the lock: cancel() may store a new callback meanwhile.
    std::lock_guard<std::mutex> lock(m_cancelLock);
    callback = m_cancelCb;
    // A cancel accepted after this one was taken needs the callback for its
    // own report; only an idle provider forgets it.
    if (!m_cancelFlag) m_cancelCb = nullptr;
  }
  if (callback != nullptr) callback(status, m_provider, userData);
}

void WKVOAI::cancelFlagReset() {
  std::lock_guard<std::mutex> lock(m_cancelLock);
  m_cancelFlag = false;
}

bool WKVOAI::isCancelRequested() const {
  std::lock_guard<std::mutex> lock(m_cancelLock);
  return m_cancelFlag;
}

bool WKVOAI::takeCancelRequest() {
  std::lock_guard<std::mutex> lock(m_cancelLock);
  if (!m_cancelFlag) return false;
  m_cancelFlag = false;
  return true;
}

}  // namespace W
