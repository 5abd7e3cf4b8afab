// Readers shared by the parsers of the service's list and record answers:
// the walk over the response envelope, the cancel test of the walks over
// their children, and numbers and dates of entries.
#pragma once

#include <W/WDateTime.h>

#include <libxml++/nodes/element.h>

#include <functional>

#include "frame/WKVOAI.h"
#include "service/KVXmlNode.h"

namespace W {

// Parses `payload` as a response envelope under `limits` (service/
// KVXmlAnswer.h) and walks the root's children in document order: a
// "result" whose status word is "fail" ends the walk with WSTATUS_FAILURE
// (logged); every "data" child goes to `onData`, whose negative result ends
// the walk and is returned as it is. Returns WSTATUS_SUCCESS after a full
// walk, or WSTATUS_MORE_ITEMS when an `onData` returned it (a list cut at
// max_answer_records); WSTATUS_FAILURE (logged) for a document that is not
// an "rsp" envelope or whose records took more text than the limits allow.
WSTATUS walkEnvelope(const KVLimits& limits, const STRING& payload,
                     const std::function<WSTATUS(const xmlpp::Node* data)>& onData);

// `text` as a base-10 number as strtol reads it (leading blanks and a sign,
// then the leading digits; no digits read as 0), held to the range of int:
// a value past it reads as INT_MAX or INT_MIN, on a 64-bit host as on the
// 32-bit target, where long is no wider than int.
int decimalNumber(const char* text);

// The entry `name` of `node` as a base-10 number (decimalNumber): leading
// digits count, anything else (also an absent entry) reads as 0.
int entryNumber(const char* name, const xmlpp::Node* node);

// The entry `name` of `node` as a service date (format 0, time zone 1).
WDateTime entryDate(const char* name, const xmlpp::Node* node);

// The stop test of kvxml::walkChildren for the list readers: a cancel
// raised while a long answer is read (the provider's flag, read under its
// lock before each child) ends the walk.
inline auto cancelRequested(const WKVOAI& oai) {
  return [&oai] { return oai.isCancelRequested(); };
}

// The stop test of a walk over a list answer's records: a cancel, or a list
// that `cap` has closed (max_answer_records), ends it.
inline auto stopWhenCutOrCancelled(const WKVOAI& oai, const KVRecordCap& cap) {
  return [&oai, &cap] { return cap.cut() || oai.isCancelRequested(); };
}

// The read after a walk: true when the gathered records must be dropped.
// A walk stopped by a cancel reads the flag once more, so a cancel that was
// cleared in between (its command completed) keeps what was gathered; a
// finished walk still drops its records for a cancel that came during it.
inline bool cancelledAfterWalk(const WKVOAI& oai) {
  return oai.isCancelRequested();
}

}  // namespace W
