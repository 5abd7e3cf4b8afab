// The completion skeleton every handler is built from: decide the status,
// tell the caller (or the cancel callback), unregister the command.
#pragma once

#include "frame/WKVOAI.h"
#include "service/KVCompletionScope.h"
#include "service/KVLog.h"

namespace W {

template <class Cmd, class Report>
void WKVOAI::reportOutcome(Cmd* cmd, Report report) {
  if (cmd->callback == nullptr) {
    cancelFlagReset();
    return;
  }
  if (takeCancelRequest()) {
    KVCompletionScope::markReported();
    cbCancelDone(WSTATUS_SUCCESS, cmd->userData);
    return;
  }
  KVCompletionScope::markReported();
  report();
}

template <class Parse>
WSTATUS WKVOAI::decideStatus(SESSION_STATUS status, const HttpResponse& response, Parse parse) {
  if (status != SESSION_OK) return KVService::getSessionWSTATUS(status);
  int code = response.getHttpResponseCode();
  if (code == 200 && !isCancelRequested()) return parse(response.getPayload());
  return KVService::getWlibSTATUS(KVService::getKVSTATUS(code));
}

template <class Cmd, class Parse, class Report>
void WKVOAI::completeCommand(SESSION_STATUS status, const HttpResponse& response, Cmd* cmd,
                             Parse parse, Report report) {
  WKVOAI* pOAI = cmd->pOAI;
  KV_ASSERT_NOT_NULL(pOAI);
  WSTATUS result = decideStatus(status, response, parse);
  reportOutcome(cmd, [&] { report(result); });
  cleanupCMD(cmd);
}

}  // namespace W
