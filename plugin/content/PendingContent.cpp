// Placeholders until the content and comment operations land.
#include "content/ContentCommands.h"
#include "frame/WKVOAI.h"

namespace W {

WSTATUS WKVOAI::createContent(const WGroup&, const WContent&, KV_CONTENT_TYPE, const STRING&,
                              KVContentCreationCallback, VOID*) {
  return -15;
}
WSTATUS WKVOAI::deleteContent(const WContent&, KVContentCallback, VOID*) { return -15; }
WSTATUS WKVOAI::viewContent(const WContent&, KVContentCallback, VOID*) { return -15; }
WSTATUS WKVOAI::retrieveComments(const WContent&, KVCommentListCallback, UINT32, UINT32, VOID*) {
  return -15;
}
WSTATUS WKVOAI::createComment(const WContent&, const WComment&, KVCommentTextCallback, VOID*) {
  return -15;
}
WSTATUS WKVOAI::deleteComment(const WComment&, KVCommentCallback, VOID*) { return -15; }
WSTATUS WKVOAI::viewComment(const WComment&, KVCommentTextCallback, VOID*) { return -15; }
void WKVOAI::cbContentCreationDone(SESSION_STATUS, const HttpResponse&, ContentCreationCMD* c) {
  cleanupCMD(c);
}
void WKVOAI::cbContentDeletionDone(SESSION_STATUS, const HttpResponse&, ContentDeletionCMD* c) {
  cleanupCMD(c);
}
void WKVOAI::cbContentUpdateDone(SESSION_STATUS, const HttpResponse&, ContentUpdateCMD* c) {
  cleanupCMD(c);
}
void WKVOAI::cbContentViewDone(SESSION_STATUS, const HttpResponse&, ContentViewCMD* c) {
  cleanupCMD(c);
}
void WKVOAI::cbCommentRetrievalDone(SESSION_STATUS, const HttpResponse&, CommentsRetrievalCMD* c) {
  cleanupCMD(c);
}
void WKVOAI::cbCommentCreationDone(SESSION_STATUS, const HttpResponse&, CommentCreationCMD* c) {
  cleanupCMD(c);
}
void WKVOAI::cbCommentDeletionDone(SESSION_STATUS, const HttpResponse&, CommentDeletionCMD* c) {
  cleanupCMD(c);
}
void WKVOAI::cbCommentUpdateDone(SESSION_STATUS, const HttpResponse&, CommentUpdateCMD* c) {
  cleanupCMD(c);
}
void WKVOAI::cbCommentViewDone(SESSION_STATUS, const HttpResponse&, CommentViewCMD* c) {
  cleanupCMD(c);
}
int WKVOAI::parseString(STRING, WContainer<WContent>&, UINT32&) { return -16; }
int WKVOAI::parseContents(const xmlpp::Node*, WContainer<WContent>&, UINT32&) { return 0; }
int WKVOAI::parseContent(const xmlpp::Node*, WContent&) { return 0; }
int WKVOAI::parseString(STRING, WContent&) { return -16; }
WSTATUS WKVOAI::getUploadUrlDone(const HttpResponse&, WContent&) { return -16; }
int WKVOAI::parseString(STRING, WContainer<WComment>&, UINT32&) { return -16; }
int WKVOAI::parseComments(const xmlpp::Node*, WContainer<WComment>&, UINT32&) { return 0; }
int WKVOAI::parseComment(const xmlpp::Node*, WComment&) { return 0; }

}  // namespace W
