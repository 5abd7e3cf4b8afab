// Routes a finished request to its completion handler by command key.
#include "account/AccountCommands.h"
#include "content/ContentCommands.h"
#include "download/DownloadCommands.h"
#include "frame/WKVOAI.h"
#include "groups/GroupCommands.h"
#include "service/KVLog.h"

namespace W {

namespace {

typedef void (*Route)(SESSION_STATUS, const HttpResponse&, KVServiceCMD*);

// Calls `Handler` on the command's provider. A record whose class does not
// match its key, or that has no provider, reaches no handler. A handler cut
// short by an exception has not unregistered its command yet; that is done
// here, and the transport's boundary reports the failure.
template <class Cmd, void (WKVOAI::*Handler)(SESSION_STATUS, const HttpResponse&, Cmd*)>
void route(SESSION_STATUS status, const HttpResponse& response, KVServiceCMD* pCmd) {
  Cmd* cmd = dynamic_cast<Cmd*>(pCmd);
  if (cmd == nullptr || cmd->pOAI == nullptr) return;
  WKVOAI* oai = cmd->pOAI;
  try {
    (oai->*Handler)(status, response, cmd);
  } catch (...) {
    oai->cleanupCMD(cmd);
    throw;
  }
}

const Route kRoutes[KV_CMD_COUNT] = {
    &route<KVLoginCMD, &WKVOAI::cbLoginDone>,
    &route<KVLogoutCMD, &WKVOAI::cbLogoutDone>,
    &route<KVExceptionResolveCMD, &WKVOAI::cbExceptionResolveDone>,
    &route<RegisterKVCMD, &WKVOAI::cbRegisterDone>,
    nullptr,  // key 4 is not dispatched
    &route<AuthKVCMD, &WKVOAI::cbAuthDone>,
    &route<GroupListRetrievalCMD, &WKVOAI::cbGroupListRetrievalDone>,
    &route<GroupCreationCMD, &WKVOAI::cbGroupCreationDone>,
    &route<GroupDeletionCMD, &WKVOAI::cbGroupDeletionDone>,
    &route<GroupFeedsRetrievalCMD, &WKVOAI::cbGroupFeedsRetrievalDone>,
    &route<GroupGalleryRetrievalCMD, &WKVOAI::cbGroupGalleryRetrievalDone>,
    &route<ContentCreationCMD, &WKVOAI::cbContentCreationDone>,
    &route<ContentDeletionCMD, &WKVOAI::cbContentDeletionDone>,
    &route<ContentUpdateCMD, &WKVOAI::cbContentUpdateDone>,
    &route<ContentViewCMD, &WKVOAI::cbContentViewDone>,
    &route<KVDownloadCMD, &WKVOAI::cbDownloadDone>,
    &route<CommentsRetrievalCMD, &WKVOAI::cbCommentRetrievalDone>,
    &route<CommentCreationCMD, &WKVOAI::cbCommentCreationDone>,
    &route<CommentDeletionCMD, &WKVOAI::cbCommentDeletionDone>,
    &route<CommentUpdateCMD, &WKVOAI::cbCommentUpdateDone>,
    &route<CommentViewCMD, &WKVOAI::cbCommentViewDone>,
    &route<KVDirectDownloadCMD, &WKVOAI::cbKVDownloadDone>,
};

}  // namespace

void WKVOAI::cbFnRequestCompleted(SESSION_STATUS status, const HttpResponse& response,
                                  KVServiceCMD* pCmd) {
  KV_ASSERT_NOT_NULL(pCmd);
  UINT32 key = pCmd->getCMDKey();
  if (key >= KV_CMD_COUNT || kRoutes[key] == nullptr) return;
  kRoutes[key](status, response, pCmd);
}

}  // namespace W
