// Viewing and deleting an existing content: the requests. Their answers are
// content lists (ContentParser.cpp), completed in ContentHandlers.cpp.
#include "common/OperationRequest.h"
#include "content/ContentCommands.h"
#include "service/KVCatchAll.h"

namespace W {

WSTATUS WKVOAI::viewContent(const WContent& content, KVContentCallback callback,
                            VOID* userData) try {
  return requestOnRecord<ContentViewCMD>(*this, KV_CMD_CONTENT_VIEW, KVMethod::Get,
                                         content.getUID(), "view", callback, userData,
                                         [&](ContentViewCMD& cmd) { cmd.content = content; });
} catch (...) {
  return KV_CAUGHT_OAI();
}

WSTATUS WKVOAI::deleteContent(const WContent& content, KVContentCallback callback,
                              VOID* userData) try {
  return requestOnRecord<ContentDeletionCMD>(
      *this, KV_CMD_CONTENT_DELETE, KVMethod::Post, content.getUID(), "delete", callback, userData,
      [&](ContentDeletionCMD& cmd) { cmd.content = content; });
} catch (...) {
  return KV_CAUGHT_OAI();
}

}  // namespace W
