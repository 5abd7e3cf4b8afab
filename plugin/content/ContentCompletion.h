// The completion sequence of the content and comment operations: parse the
// answer into a fresh list and tell the caller. Written once; a handler
// supplies the record type, whether it is a transfer with progress, and how
// it calls its caller's callback.
#pragma once

#include "common/ListCompletion.h"

namespace W {

enum class KVProgress { None, Tracked };

// Completes `cmd`: a 200 answer taken without a pending cancel is parsed
// with the provider's list parser for `Record`, and the parser's status is
// the status (a failure empties the list; a list cut at max_answer_records
// gives WSTATUS_MORE_ITEMS); other answers give the mapped HTTP code or
// session status. Then `report(status, records)` runs, unless a cancel is
// pending (the cancel callback is told instead) or the command has no
// callback; finally the command is unregistered. A tracked transfer also
// ends the session's in-flight state first, marks a successful transfer
// complete, and zeroes the progress before unregistering.
template <class Record, class Cmd, class Report>
void completeContent(KVProgress progress, SESSION_STATUS status, const HttpResponse& response,
                     Cmd* cmd, Report report) {
  WKVOAI& oai = completingProvider(cmd);
  KVService* service = oai.getService();
  const bool tracked = progress == KVProgress::Tracked;
  WContainer<Record> records;
  if (tracked) service->resetReqStatus(cmd);
  const WSTATUS result = oai.decideStatus(status, response, [&](const STRING& payload) {
    if (tracked) service->updateProgressStatus(cmd);
    UINT32 count = 0;
    WSTATUS parsed = oai.parseString(payload, records, count);
    if (parsed < 0) records.clear();
    return parsed;
  });
  oai.reportOutcome(cmd, [&] { report(result, records); });
  if (tracked) service->resetProgressStatus(cmd);
  oai.cleanupCMD(cmd);
}

}  // namespace W
