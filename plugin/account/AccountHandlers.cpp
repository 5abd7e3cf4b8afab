// Completion handlers of the account commands (keys 0, 1, 2, 3 and 5).
#include <W/WCaptchaException.h>

#include "account/AccountCommands.h"
#include "account/AccountCompletion.h"

namespace W {

namespace {

constexpr AccountFlow kRegisterFlow{false, false};
constexpr AccountFlow kAuthFlow{true, true};
constexpr AccountFlow kLoginFlow{false, true};

}  // namespace

void WKVOAI::cbRegisterDone(SESSION_STATUS status, const HttpResponse& response,
                            RegisterKVCMD* cmd) {
  completeAccount(*this, kRegisterFlow, status, response, cmd,
                  [&](const STRING& payload) { return parseRegisterStatus(payload, cmd); });
}

void WKVOAI::cbAuthDone(SESSION_STATUS status, const HttpResponse& response, AuthKVCMD* cmd) {
  completeAccount(*this, kAuthFlow, status, response, cmd,
                  [&](const STRING& payload) { return parseAuthStatus(payload, cmd); });
}

void WKVOAI::cbLoginDone(SESSION_STATUS status, const HttpResponse& response, KVLoginCMD* cmd) {
  completeAccount(*this, kLoginFlow, status, response, cmd,
                  [&](const STRING& payload) { return parseLoginStatus(payload, cmd); });
}

void WKVOAI::cbLogoutDone(SESSION_STATUS, const HttpResponse&, KVLogoutCMD* cmd) {
  // The local logout request only drives this completion; its answer means
  // nothing, so the outcome is always success.
  WKVOAI* pOAI = cmd->pOAI;
  KV_ASSERT_NOT_NULL(pOAI);
  m_pService->setUserCredential(nullptr, m_provider);
  reportOutcome(cmd, [&] { cmd->callback(WSTATUS_SUCCESS, m_provider, cmd->userData); });
  cleanupCMD(cmd);
}

void WKVOAI::cbExceptionResolveDone(SESSION_STATUS status, const HttpResponse& response,
                                    KVExceptionResolveCMD* cmd) {
  WKVOAI* pOAI = cmd->pOAI;
  KV_ASSERT_NOT_NULL(pOAI);
  WSTATUS result;
  if (status != SESSION_OK) {
    result = KVService::getSessionWSTATUS(status);
  } else if (response.getHttpResponseCode() == 200) {
    result = WSTATUS_SUCCESS;
  } else if (response.getHttpResponseCode() == 403) {
    // A new captcha carries the identifiers of the one being resolved.
    const WCaptchaException* captcha = dynamic_cast<const WCaptchaException*>(cmd->exception);
    const STRING text1 = captcha != nullptr ? captcha->data()[0] : STRING();
    const STRING text2 = captcha != nullptr ? captcha->data()[1] : STRING();
    result = forbiddenStatus(*this, response, text1, text2);
  } else {
    result = KVService::getWlibSTATUS(KVService::getKVSTATUS(response.getHttpResponseCode()));
  }
  reportOutcome(cmd, [&] { cmd->callback(result, cmd->exception, cmd->userData); });
  // Resolved or not, the exception has had its answer.
  m_pService->flushException(cmd->exception);
  cleanupCMD(cmd);
}

}  // namespace W
