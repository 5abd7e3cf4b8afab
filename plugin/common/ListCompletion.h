// The completion sequence of the list operations (group list, feeds,
// galleries, and group creation and deletion): parse the answer into a
// fresh container, rate it against the page that was asked for, and tell
// the caller. Written once; a handler supplies the record type, its rule
// for WSTATUS_MORE_ITEMS and how it calls its caller's callback.
#pragma once

#include "frame/WKVOAICompletion.h"

namespace W {

// The first record of `records`, or `fallback` when there is none.
template <class T>
const T& firstOr(const WContainer<T>& records, const T& fallback) {
  return records.getData().empty() ? fallback : records.getData().front();
}

// Completes `cmd`: a 200 answer taken without a pending cancel is parsed
// with the provider's list parser for `Record`; a parser failure empties the
// container and is the status; otherwise the status is WSTATUS_MORE_ITEMS
// when `more(parsedCount)` holds or the parser cut the list at
// max_answer_records, else WSTATUS_SUCCESS. Other answers give the mapped
// HTTP code or session status with an empty container. Then
// `report(status, container)` runs, unless a cancel is pending (the cancel
// callback is told instead) or the command has no callback; finally the
// command is unregistered.
template <class Record, class Cmd, class More, class Report>
void completeList(SESSION_STATUS status, const HttpResponse& response, Cmd* cmd, More more,
                  Report report) {
  WKVOAI& oai = completingProvider(cmd);
  WContainer<Record> records;
  oai.completeCommand(
      status, response, cmd,
      [&](const STRING& payload) -> WSTATUS {
        UINT32 count = 0;
        const WSTATUS result = oai.parseString(payload, records, count);
        if (result < 0) {
          records.clear();
          return result;
        }
        // A list cut at max_answer_records has more to come as well.
        return result == WSTATUS_MORE_ITEMS || more(count) ? WSTATUS_MORE_ITEMS : WSTATUS_SUCCESS;
      },
      [&](WSTATUS result) { report(result, records); });
}

// The WSTATUS_MORE_ITEMS rule of the operations that report only the
// parser's status (group creation and deletion).
inline bool noFurtherPages(UINT32) {
  return false;
}

}  // namespace W
