// The comment operations: list a content's comments, create, view and
// delete one. Their answers are comment lists (CommentParser.cpp),
// completed in CommentHandlers.cpp.
#include "common/OperationRequest.h"
#include "content/ContentCommands.h"
#include "service/KVCatchAll.h"
#include "service/KVLog.h"
#include "service/KVUrlEncode.h"

namespace W {

namespace {

WSTATUS refuse() {
  return KV_LOG_OAI(WSTATUS_INVALID_ARGUMENT);
}

}  // namespace

WSTATUS WKVOAI::retrieveComments(const WContent& content, KVCommentListCallback callback,
                                 UINT32 searchIndex, UINT32 searchCount, VOID* userData) try {
  WSTATUS status = requireLogin(*this);
  if (status != WSTATUS_SUCCESS) return status;
  if (refusesPathUID(content.getUID())) return WSTATUS_INVALID_ARGUMENT;
  auto cmd = newCommand<CommentsRetrievalCMD>(*this, KV_CMD_COMMENT_LIST, callback, userData);
  cmd->content = content;
  cmd->searchIndex = searchIndex;
  cmd->searchCount = searchCount;
  // Without a count the service picks the page size; the "&" stays.
  STRING resource = percentEncode(content.getUID()) +
                    "/comment.list?search_index=" + KVService::int2str(searchIndex) + "&";
  if (searchCount != 0) resource += "search_count=" + KVService::int2str(searchCount);
  return submitCommand(*this, KVMethod::Get, resource, KVHeaderSet::Session, STRING(),
                       std::move(cmd));
} catch (...) {
  return KV_CAUGHT_OAI();
}

WSTATUS WKVOAI::createComment(const WContent& content, const WComment& comment,
                              KVCommentTextCallback callback, VOID* userData) try {
  WSTATUS status = requireLogin(*this);
  if (status != WSTATUS_SUCCESS) return status;
  if (comment.getComment().empty()) return refuse();
  if (refusesPathUID(content.getUID())) return WSTATUS_INVALID_ARGUMENT;
  auto cmd = newCommand<CommentCreationCMD>(*this, KV_CMD_COMMENT_CREATE, callback, userData);
  cmd->content = content;
  cmd->comment = comment;
  // This resource takes the app token alone, without signature or date.
  return submitCommand(*this, KVMethod::Post, percentEncode(content.getUID()) + "/comment",
                       KVHeaderSet::AppTokenOnly,
                       "commentText=" + percentEncode(comment.getComment()), std::move(cmd));
} catch (...) {
  return KV_CAUGHT_OAI();
}

WSTATUS WKVOAI::deleteComment(const WComment& comment, KVCommentCallback callback,
                              VOID* userData) try {
  return requestOnRecord<CommentDeletionCMD>(
      *this, KV_CMD_COMMENT_DELETE, KVMethod::Post, comment.getUID(), "delete", callback, userData,
      [&](CommentDeletionCMD& cmd) { cmd.comment = comment; });
} catch (...) {
  return KV_CAUGHT_OAI();
}

WSTATUS WKVOAI::viewComment(const WComment& comment, KVCommentTextCallback callback,
                            VOID* userData) try {
  return requestOnRecord<CommentViewCMD>(*this, KV_CMD_COMMENT_VIEW, KVMethod::Get,
                                         comment.getUID(), "view", callback, userData,
                                         [&](CommentViewCMD& cmd) { cmd.comment = comment; });
} catch (...) {
  return KV_CAUGHT_OAI();
}

}  // namespace W
