// Completion handlers of the content operations (creation, deletion,
// update, view), built on the content completion sequence.
#include "content/ContentCommands.h"
#include "content/ContentCompletion.h"

namespace W {

void WKVOAI::cbContentCreationDone(SESSION_STATUS status, const HttpResponse& response,
                                   ContentCreationCMD* cmd) {
  completeContent<WContent>(KVProgress::Tracked, status, response, cmd,
                            [&](WSTATUS result, const WContainer<WContent>& contents) {
                              cmd->callback(result, m_provider, cmd->group,
                                            firstOr(contents, cmd->content), cmd->filePath,
                                            cmd->userData);
                            });
}

void WKVOAI::cbContentDeletionDone(SESSION_STATUS status, const HttpResponse& response,
                                   ContentDeletionCMD* cmd) {
  completeContent<WContent>(KVProgress::None, status, response, cmd,
                            [&](WSTATUS result, const WContainer<WContent>&) {
                              cmd->callback(result, m_provider, cmd->content, cmd->userData);
                            });
}

void WKVOAI::cbContentUpdateDone(SESSION_STATUS status, const HttpResponse& response,
                                 ContentUpdateCMD* cmd) {
  completeContent<WContent>(
      KVProgress::Tracked, status, response, cmd, [&](WSTATUS result, const WContainer<WContent>&) {
        cmd->callback(result, m_provider, cmd->content, cmd->text, cmd->userData);
      });
}

void WKVOAI::cbContentViewDone(SESSION_STATUS status, const HttpResponse& response,
                               ContentViewCMD* cmd) {
  completeContent<WContent>(KVProgress::None, status, response, cmd,
                            [&](WSTATUS result, const WContainer<WContent>& contents) {
                              cmd->callback(result, m_provider, firstOr(contents, cmd->content),
                                            cmd->userData);
                            });
}

}  // namespace W
