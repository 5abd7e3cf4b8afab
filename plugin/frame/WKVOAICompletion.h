// The completion skeleton every handler is built from: decide the status,
// tell the caller (or the cancel callback), unregister the command.
#pragma once

#include "frame/WKVOAI.h"
#include "service/KVCompletionScope.h"
#include "service/KVLog.h"

namespace W {

// The provider a command completes on: its own. The dispatcher hands a
// handler only commands that have one, so a null here is a fault.
template <class Cmd>
WKVOAI& completingProvider(const Cmd* cmd) {
  WKVOAI* pOAI = cmd->pOAI;
  KV_ASSERT_NOT_NULL(pOAI);
  return *pOAI;
}

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
  // A finished request is already out of the executor's queue, so nothing
  // is flushed here.
  const int code = response.getHttpResponseCode();
  if (code == 200 && !isCancelRequested()) return parse(response.getPayload());
  return KVService::getWlibSTATUS(KVService::getKVSTATUS(code));
}

template <class Cmd, class Parse, class Report>
void WKVOAI::completeCommand(SESSION_STATUS status, const HttpResponse& response, Cmd* cmd,
                             Parse parse, Report report) {
  WKVOAI& oai = completingProvider(cmd);
  const WSTATUS result = oai.decideStatus(status, response, parse);
  oai.reportOutcome(cmd, [&] { report(result); });
  oai.cleanupCMD(cmd);
}

}  // namespace W
