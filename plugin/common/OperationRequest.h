// The request sequence shared by the group, feed, content and comment
// operations: the login check, the command record, and the hand-over of the
// command to the transport with its unregistering on failure.
#pragma once

#include <memory>

#include "frame/WKVOAI.h"
#include "service/KVLog.h"
#include "service/KVUrlEncode.h"

namespace W {

enum class KVMethod { Get, Post };

// The entry check of every operation after the account ones. Returns
// WSTATUS_SUCCESS when the session is logged in; otherwise logs and returns
// WSTATUS_NOT_LOGGED_IN.
WSTATUS requireLogin(const WKVOAI& oai);

// Creates the command of a new operation with its key, the caller's
// callback and user data, and the provider as `pOAI`. The caller fills in
// the inputs.
template <class Cmd, class Callback>
std::unique_ptr<Cmd> makeCommand(WKVOAI& oai, UINT32 key, Callback callback, VOID* userData) {
  std::unique_ptr<Cmd> cmd(new Cmd(oai.getContentProvider()));
  cmd->setCMDKey(key);
  cmd->callback = callback;
  cmd->userData = userData;
  cmd->pOAI = &oai;
  return cmd;
}

// The same after resetting the provider's cancel flag, as every operation
// but the downloads does at this point.
template <class Cmd, class Callback>
std::unique_ptr<Cmd> newCommand(WKVOAI& oai, UINT32 key, Callback callback, VOID* userData) {
  oai.cancelFlagReset();
  return makeCommand<Cmd>(oai, key, callback, userData);
}

// A UID that cannot stand as a path segment: empty, or "." or ".." (which
// would rewrite the signed path to another resource). Logs WSTATUS_INVALID_ARGUMENT.
bool refusesPathUID(const STRING& uid);

// Gives `cmd`, already registered with the provider, to `send`: a transport
// starter, which owns the command from the call on, also when it fails or
// throws. A negative status (returned as it is) or an exception unregisters
// the command again; WSTATUS_SUCCESS is returned otherwise. After a successful hand-over
// nothing of the provider is touched: the completion may have run already,
// and its callback may have destroyed the provider.
template <class Send>
WSTATUS handOverCommand(WKVOAI& oai, std::unique_ptr<KVServiceCMD> cmd, Send send) {
  KVServiceCMD* handedOver = cmd.release();
  WSTATUS status;
  try {
    status = send(handedOver);
  } catch (...) {
    oai.cleanupCMD(handedOver);  // the pointer is compared, not followed
    throw;
  }
  if (status < 0) oai.cleanupCMD(handedOver);
  return status < 0 ? status : WSTATUS_SUCCESS;
}

// Registers `cmd` with the provider and queues it with the session as a GET
// or a POST of `body` to the service resource `resource` (path and query),
// with the headers of `headers`. The transport owns the command from here
// on. Returns WSTATUS_SUCCESS, or a negative status (already logged) after
// the command has been unregistered and deleted: the transport's, or
// WSTATUS_FAILURE when the request cannot be signed (nothing is sent).
WSTATUS submitCommand(WKVOAI& oai, KVMethod method, const STRING& resource, KVHeaderSet headers,
                      const STRING& body, std::unique_ptr<KVServiceCMD> cmd);

// The request of an operation on one existing record (view and deletion of
// contents and comments): "<uid>/<action>", signed, without body; `fill`
// copies the record into the command. Returns what submitCommand returns;
// WSTATUS_NOT_LOGGED_IN when not logged in and WSTATUS_INVALID_ARGUMENT for a UID refused by
// refusesPathUID, both logged, nothing queued.
template <class Cmd, class Callback, class Fill>
WSTATUS requestOnRecord(WKVOAI& oai, UINT32 key, KVMethod method, const STRING& uid,
                        const char* action, Callback callback, VOID* userData, Fill fill) {
  WSTATUS status = requireLogin(oai);
  if (status != WSTATUS_SUCCESS) return status;
  if (refusesPathUID(uid)) return WSTATUS_INVALID_ARGUMENT;
  auto cmd = newCommand<Cmd>(oai, key, callback, userData);
  fill(*cmd);
  return submitCommand(oai, method, percentEncode(uid) + "/" + action, KVHeaderSet::Session,
                       STRING(), std::move(cmd));
}

// The query word of an option value: `words[value]`, or `words[0]` (the
// fallback) for values outside the table.
template <size_t N>
const char* optionWord(int value, const char* const (&words)[N]) {
  return value > 0 && static_cast<size_t>(value) < N ? words[value] : words[0];
}

}  // namespace W
