// The session's list of pending service exceptions (captchas).
#include <W/WCaptchaException.h>

#include <new>

#include "service/KVLog.h"
#include "service/KVService.h"

namespace W {

WSTATUS KVService::setException(const WContentProvider& provider, ExceptionType_enum type,
                                const STRING& /*text1*/, const STRING& /*text2*/,
                                const HttpResponse& /*response*/) {
  if (type != EXCEPTION_CAPTCHA) return KV_LOG_SERVICE(WSTATUS_FAILURE);
  WCaptchaException* e = new (std::nothrow) WCaptchaException();
  if (e == nullptr) return KV_LOG_SERVICE(WSTATUS_OUT_OF_MEMORY);
  e->setContentProvider(provider);
  std::lock_guard<std::mutex> lock(m_exceptionLock);
  m_exceptions.push_back(e);
  return WSTATUS_SUCCESS;
}

WException* KVService::getException() {
  std::lock_guard<std::mutex> lock(m_exceptionLock);
  return m_exceptions.empty() ? nullptr : m_exceptions.back();
}

void KVService::flushException(WException* exception) {
  std::lock_guard<std::mutex> lock(m_exceptionLock);
  for (auto it = m_exceptions.begin(); it != m_exceptions.end(); ++it) {
    if (*it == exception) {
      m_exceptions.erase(it);
      delete exception;
      return;
    }
  }
}

}  // namespace W
