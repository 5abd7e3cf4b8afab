// The completion sequence of the account answers (register, authenticate,
// session login), written once: decide the status, tell the caller or the
// cancel callback, unregister. The handlers supply the parser and the
// differences of their flow.
#pragma once

#include "frame/WKVOAICompletion.h"
#include "service/KVLog.h"

namespace W {

// What sets one account flow apart from the others.
struct AccountFlow {
  // A 500 answer taken without a pending cancel is parsed like a 200 one
  // (authentication: the service reports a refused device that way).
  bool parsesServerError;
  // A command without callback clears the session's credentials.
  bool clearsCredentialsWithoutCallback;
};

// The status of a 403 answer: its plain-text "Error=" code mapped. A code
// that stands for a captcha also records a captcha exception in the
// session, given `text1` and `text2` (the table of service codes maps none
// to it today; the branch stays for a service that does).
WSTATUS forbiddenStatus(WKVOAI& oai, const HttpResponse& response, const STRING& text1,
                        const STRING& text2);

// The status of an account completion: a 403 answer says in its body why
// the service refused, and `forbidden()` reads that; a 500 answer taken
// without a pending cancel is parsed like a 200 one when the flow says so;
// everything else follows decideStatus.
template <class Parse, class Forbidden>
WSTATUS decideAccountStatus(WKVOAI& oai, const AccountFlow& flow, SESSION_STATUS status,
                            const HttpResponse& response, Parse parse, Forbidden forbidden) {
  if (status == SESSION_OK) {
    const int code = response.getHttpResponseCode();
    if (code == 403) return forbidden();
    if (code == 500 && flow.parsesServerError && !oai.isCancelRequested()) {
      return parse(response.getPayload());
    }
  }
  return oai.decideStatus(status, response, parse);
}

// Completes an account command. `parse(payload)` reads the answer and
// returns WSTATUS_SUCCESS only when the service said "ok".
template <class Cmd, class Parse>
void completeAccount(const AccountFlow& flow, SESSION_STATUS status, const HttpResponse& response,
                     Cmd* cmd, Parse parse) {
  WKVOAI& oai = completingProvider(cmd);
  const WSTATUS result = decideAccountStatus(oai, flow, status, response, parse, [&] {
    return forbiddenStatus(oai, response, cmd->token, cmd->appId);
  });
  if (cmd->callback == nullptr && flow.clearsCredentialsWithoutCallback) {
    oai.getService()->setUserCredential(nullptr, oai.getContentProvider());
  }
  oai.reportOutcome(cmd, [&] { cmd->callback(result, oai.getContentProvider(), cmd->userData); });
  oai.cleanupCMD(cmd);
}

}  // namespace W
