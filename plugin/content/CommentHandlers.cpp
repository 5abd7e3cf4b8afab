// Completion handlers of the comment operations, built on the content
// completion sequence with comment lists.
#include "content/ContentCommands.h"
#include "content/ContentCompletion.h"

namespace W {

void WKVOAI::cbCommentRetrievalDone(SESSION_STATUS status, const HttpResponse& response,
                                    CommentsRetrievalCMD* cmd) {
  completeContent<WComment>(KVProgress::None, status, response, cmd,
                            [&](WSTATUS result, const WContainer<WComment>& comments) {
                              cmd->callback(result, m_provider, comments, cmd->userData);
                            });
}

void WKVOAI::cbCommentCreationDone(SESSION_STATUS status, const HttpResponse& response,
                                   CommentCreationCMD* cmd) {
  completeContent<WComment>(
      KVProgress::None, status, response, cmd, [&](WSTATUS result, const WContainer<WComment>&) {
        cmd->callback(result, m_provider, cmd->comment, cmd->comment.getUID(), cmd->userData);
      });
}

void WKVOAI::cbCommentDeletionDone(SESSION_STATUS status, const HttpResponse& response,
                                   CommentDeletionCMD* cmd) {
  completeContent<WComment>(KVProgress::None, status, response, cmd,
                            [&](WSTATUS result, const WContainer<WComment>&) {
                              cmd->callback(result, m_provider, cmd->comment, cmd->userData);
                            });
}

void WKVOAI::cbCommentUpdateDone(SESSION_STATUS status, const HttpResponse& response,
                                 CommentUpdateCMD* cmd) {
  completeContent<WComment>(KVProgress::None, status, response, cmd,
                            [&](WSTATUS result, const WContainer<WComment>&) {
                              cmd->callback(result, m_provider, cmd->comment, cmd->userData);
                            });
}

void WKVOAI::cbCommentViewDone(SESSION_STATUS status, const HttpResponse& response,
                               CommentViewCMD* cmd) {
  completeContent<WComment>(KVProgress::None, status, response, cmd,
                            [&](WSTATUS result, const WContainer<WComment>& comments) {
                              cmd->callback(result, m_provider, firstOr(comments, cmd->comment),
                                            cmd->comment.getUID(), cmd->userData);
                            });
}

}  // namespace W
