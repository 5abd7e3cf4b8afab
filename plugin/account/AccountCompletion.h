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

// Completes an account command. `parse(payload)` reads the answer and
// returns WSTATUS_SUCCESS only when the service said "ok".
template <class Cmd, class Parse>
void completeAccount(WKVOAI& oai, const AccountFlow& flow, SESSION_STATUS status,
                     const HttpResponse& response, Cmd* cmd, Parse parse) {
  WKVOAI* pOAI = cmd->pOAI;
  KV_ASSERT_NOT_NULL(pOAI);
  KVService* service = oai.getService();
  WSTATUS result;
  if (status != SESSION_OK) {
    result = KVService::getSessionWSTATUS(status);
  } else {
    // A finished request is already out of the executor's queue, so nothing
    // is flushed here.
    const int code = response.getHttpResponseCode();
    const bool parses = code == 200 || (code == 500 && flow.parsesServerError);
    if (parses && !oai.isCancelRequested()) {
      result = parse(response.getPayload());
    } else if (code == 403) {
      result = forbiddenStatus(oai, response, cmd->token, cmd->appId);
    } else {
      result = KVService::getWlibSTATUS(KVService::getKVSTATUS(code));
    }
  }
  if (cmd->callback == nullptr && flow.clearsCredentialsWithoutCallback) {
    service->setUserCredential(nullptr, oai.getContentProvider());
  }
  oai.reportOutcome(cmd, [&] { cmd->callback(result, oai.getContentProvider(), cmd->userData); });
  oai.cleanupCMD(cmd);
}

}  // namespace W
