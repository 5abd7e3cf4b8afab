// Completion handlers of the account commands (keys 0, 1, 2, 3 and 5).
#include <W/WCaptchaException.h>

#include "account/AccountCommands.h"
#include "account/AccountCompletion.h"

namespace W {

namespace {

constexpr AccountFlow kRegisterFlow{false, false};
constexpr AccountFlow kAuthFlow{true, true};
constexpr AccountFlow kLoginFlow{false, true};
constexpr AccountFlow kResolveFlow{false, false};

}  // namespace

void WKVOAI::cbRegisterDone(SESSION_STATUS status, const HttpResponse& response,
                            RegisterKVCMD* cmd) {
  completeAccount(kRegisterFlow, status, response, cmd,
                  [&](const STRING& payload) { return parseRegisterStatus(payload, cmd); });
}

void WKVOAI::cbAuthDone(SESSION_STATUS status, const HttpResponse& response, AuthKVCMD* cmd) {
  completeAccount(kAuthFlow, status, response, cmd,
                  [&](const STRING& payload) { return parseAuthStatus(payload, cmd); });
}

void WKVOAI::cbLoginDone(SESSION_STATUS status, const HttpResponse& response, KVLoginCMD* cmd) {
  completeAccount(kLoginFlow, status, response, cmd,
                  [&](const STRING& payload) { return parseLoginStatus(payload, cmd); });
}

void WKVOAI::cbLogoutDone(SESSION_STATUS, const HttpResponse&, KVLogoutCMD* cmd) {
  // The local logout request only drives this completion; its answer means
  // nothing, so the outcome is always success.
  WKVOAI& oai = completingProvider(cmd);
  oai.getService()->setUserCredential(nullptr, oai.getContentProvider());
  oai.reportOutcome(
      cmd, [&] { cmd->callback(WSTATUS_SUCCESS, oai.getContentProvider(), cmd->userData); });
  oai.cleanupCMD(cmd);
}

void WKVOAI::cbExceptionResolveDone(SESSION_STATUS status, const HttpResponse& response,
                                    KVExceptionResolveCMD* cmd) {
  WKVOAI& oai = completingProvider(cmd);
  const WSTATUS result = decideAccountStatus(
      oai, kResolveFlow, status, response, [](const STRING&) { return WSTATUS_SUCCESS; },
      [&] {
        // A new captcha carries the identifiers of the one being resolved.
        const WCaptchaException* captcha = dynamic_cast<const WCaptchaException*>(cmd->exception);
        const STRING text1 = captcha != nullptr ? captcha->data()[0] : STRING();
        const STRING text2 = captcha != nullptr ? captcha->data()[1] : STRING();
        return forbiddenStatus(oai, response, text1, text2);
      });
  oai.reportOutcome(cmd, [&] { cmd->callback(result, cmd->exception, cmd->userData); });
  // Resolved or not, the exception has had its answer.
  oai.getService()->flushException(cmd->exception);
  oai.cleanupCMD(cmd);
}

}  // namespace W
