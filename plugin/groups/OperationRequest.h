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

// The entry check of every operation after the account ones. Returns 0 when
// the session is logged in; otherwise logs and returns -202.
WSTATUS requireLogin(const WKVOAI& oai);

// Resets the provider's cancel flag and creates the command of a new
// operation with its key, the caller's callback and user data, and the
// provider as `pOAI`. The caller fills in the inputs.
template <class Cmd, class Callback>
std::unique_ptr<Cmd> newCommand(WKVOAI& oai, UINT32 key, Callback callback, VOID* userData) {
  oai.cancelFlagReset();
  std::unique_ptr<Cmd> cmd(new Cmd(oai.getContentProvider()));
  cmd->setCMDKey(key);
  cmd->callback = callback;
  cmd->userData = userData;
  cmd->pOAI = &oai;
  return cmd;
}

// Registers `cmd` with the provider and queues it with the session as a GET
// or a POST of `body` to the service resource `resource` (path and query).
// The transport owns the command from here on. Returns 0, or the
// transport's negative status (already logged there) after the command has
// been unregistered.
WSTATUS submitCommand(WKVOAI& oai, KVMethod method, const STRING& resource,
                      const KVHeaderMap& headers, const STRING& body,
                      std::unique_ptr<KVServiceCMD> cmd);

// The request of an operation on one existing record (view and deletion of
// contents and comments): "<uid>/<action>", signed, without body; `fill`
// copies the record into the command. Returns what submitCommand returns;
// -202 when not logged in and -1 for an empty UID, both logged, nothing
// queued.
template <class Cmd, class Callback, class Fill>
WSTATUS requestOnRecord(WKVOAI& oai, UINT32 key, KVMethod method, const STRING& uid,
                        const char* action, Callback callback, VOID* userData, Fill fill) {
  WSTATUS status = requireLogin(oai);
  if (status != 0) return status;
  if (uid.empty()) {
    KV_LOG_OAI(-1);
    return -1;
  }
  auto cmd = newCommand<Cmd>(oai, key, callback, userData);
  fill(*cmd);
  return submitCommand(oai, method, percentEncode(uid) + "/" + action,
                       oai.getService()->sessionHeaders(), STRING(), std::move(cmd));
}

// The query word of an option value: `words[value]`, or `words[0]` (the
// fallback) for values outside the table.
template <size_t N>
const char* optionWord(int value, const char* const (&words)[N]) {
  return value > 0 && static_cast<size_t>(value) < N ? words[value] : words[0];
}

// The session's "Authorization" and "DATE" plus "appToken" (the session's
// app token), for the operations that carry it.
KVHeaderMap headersWithAppToken(const KVService& service);

}  // namespace W
