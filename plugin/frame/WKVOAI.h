// The Kinvale provider: implements every operation of the host interface,
// keeps the registry of pending commands and the cancel state, and owns the
// session (KVService). Operations run on host threads; completions, their
// parsers and readers run on the executor's thread.
#pragma once

#include <W/HttpResponse.h>
#include <W/WKVGallery.h>
#include <W/WMediaResource.h>

#include <list>
#include <memory>
#include <mutex>

#include "frame/KVServiceCMD.h"
#include "frame/WKinvaleOAI.h"
#include "service/KVService.h"

namespace xmlpp {
class Node;
}

namespace W {

struct RegisterKVCMD;
struct AuthKVCMD;
struct KVLoginCMD;
struct KVLogoutCMD;
struct KVExceptionResolveCMD;
struct GroupListRetrievalCMD;
struct GroupCreationCMD;
struct GroupDeletionCMD;
struct GroupFeedsRetrievalCMD;
struct GroupGalleryRetrievalCMD;
struct ContentCreationCMD;
struct ContentDeletionCMD;
struct ContentUpdateCMD;
struct ContentViewCMD;
struct KVDownloadCMD;
struct CommentsRetrievalCMD;
struct CommentCreationCMD;
struct CommentDeletionCMD;
struct CommentUpdateCMD;
struct CommentViewCMD;
struct KVDirectDownloadCMD;

class WKVOAI : public WKinvaleOAI {
 public:
  WKVOAI();
  ~WKVOAI() override;

  WKVOAI(const WKVOAI&) = delete;
  WKVOAI& operator=(const WKVOAI&) = delete;

  // ---- host interface (slot order is WKinvaleOAI's) ----
  WSTATUS login(const STRING& user, const STRING& password, KVLoginCallback callback,
                VOID* userData) override;
  WSTATUS logout(KVAccountCallback callback, VOID* userData) override;
  WSTATUS retrieveExceptions(std::list<WException*>& exceptions) override;
  WSTATUS resolveException(WException* exception, KVResolveCallback callback,
                           VOID* userData) override;
  WSTATUS registerKV(KVAccountCallback callback, VOID* userData) override;
  WSTATUS unregisterKV(KVAccountCallback callback, VOID* userData) override;
  WSTATUS authKV(KVAccountCallback callback, VOID* userData) override;
  WSTATUS retrieveGroupList(const WPerson& person, KVGroupListCallback callback, UINT32 searchIndex,
                            UINT32 searchCount, KV_OPTION_SORT sort, KV_OPTION_INCLUDE include,
                            VOID* userData) override;
  WSTATUS createGroup(const WGroup& group, const WPerson& person, KVGroupCallback callback,
                      VOID* userData) override;
  WSTATUS deleteGroup(const WGroup& group, KVGroupCallback callback, VOID* userData) override;
  WSTATUS retrieveGroupFeeds(const WGroup& group, const STRING& before, const STRING& after,
                             UINT32 count, KV_SEARCH_BASE base, KV_OPTION_ITEM item,
                             KV_OPTION_INCLUDE include, KVContentListCallback callback,
                             VOID* userData) override;
  WSTATUS retrieveGroupGallery(const WGroup& group, KV_CONTENT_TYPE type, UINT32 count,
                               KV_SEARCH_DIRECTION direction, KV_OPTION_SORT sort,
                               KV_OPTION_ORDER order, KVContentListCallback callback,
                               VOID* userData) override;
  WSTATUS createContent(const WGroup& group, const WContent& content, KV_CONTENT_TYPE type,
                        const STRING& filePath, KVContentCreationCallback callback,
                        VOID* userData) override;
  WSTATUS deleteContent(const WContent& content, KVContentCallback callback,
                        VOID* userData) override;
  WSTATUS updateContent(const WContent& content, const STRING& text,
                        KVContentUpdateCallback callback, VOID* userData) override;
  WSTATUS viewContent(const WContent& content, KVContentCallback callback, VOID* userData) override;
  WSTATUS createComment(const WContent& content, const WComment& comment,
                        KVCommentTextCallback callback, VOID* userData) override;
  WSTATUS deleteComment(const WComment& comment, KVCommentCallback callback,
                        VOID* userData) override;
  WSTATUS updateComment(const WComment& comment, KVCommentCallback callback,
                        VOID* userData) override;
  WSTATUS viewComment(const WComment& comment, KVCommentTextCallback callback,
                      VOID* userData) override;
  WSTATUS cancel(const WContentProvider& provider, KVCancelCallback callback,
                 VOID* userData) override;
  WSTATUS download(const WContentProvider& provider, const STRING& url, const STRING& directory,
                   const STRING& fileName, KVDirectDownloadCallback callback,
                   VOID* userData) override;
  WSTATUS progressStatus(const WContentProvider& provider, double& done, double& total,
                         VOID* userData) override;
  WSTATUS retrieveComments(const WContent& content, KVCommentListCallback callback,
                           UINT32 searchIndex, UINT32 searchCount, VOID* userData) override;

  // ---- command registry (the list does not own the records) ----
  void addCMD(KVServiceCMD* cmd);
  // Removes the first entry equal to `cmd`; null matches nothing.
  void cleanupCMD(KVServiceCMD* cmd);
  // Empties the registry; deletes nothing.
  void cleanupCMD();
  size_t pendingCommands() const;

  // ---- cancel ----
  // Calls the stored cancel callback once with (status, identity, userData).
  void cbCancelDone(int status, void* userData);
  void cancelFlagReset();
  // The cancel flag, read under the cancel lock (parsers poll it).
  bool isCancelRequested() const;

  // ---- completion dispatch ----
  static void cbFnRequestCompleted(SESSION_STATUS status, const HttpResponse& response,
                                   KVServiceCMD* cmd);

  KVService* getService() const { return m_pService; }
  // The session's limits, read from the options when called (the defaults
  // without a session).
  KVLimits answerLimits() const;

  // For destroyPlugin: when the calling thread runs one of this provider's
  // completions, the provider is deleted once that completion has returned,
  // and true is returned; otherwise false (the caller deletes it at once).
  bool deferDestroyToCompletion();

  // ---- completion handlers, by command key ----
  void cbLoginDone(SESSION_STATUS, const HttpResponse&, KVLoginCMD*);
  void cbLogoutDone(SESSION_STATUS, const HttpResponse&, KVLogoutCMD*);
  void cbExceptionResolveDone(SESSION_STATUS, const HttpResponse&, KVExceptionResolveCMD*);
  void cbRegisterDone(SESSION_STATUS, const HttpResponse&, RegisterKVCMD*);
  void cbAuthDone(SESSION_STATUS, const HttpResponse&, AuthKVCMD*);
  void cbGroupListRetrievalDone(SESSION_STATUS, const HttpResponse&, GroupListRetrievalCMD*);
  void cbGroupCreationDone(SESSION_STATUS, const HttpResponse&, GroupCreationCMD*);
  void cbGroupDeletionDone(SESSION_STATUS, const HttpResponse&, GroupDeletionCMD*);
  void cbGroupFeedsRetrievalDone(SESSION_STATUS, const HttpResponse&, GroupFeedsRetrievalCMD*);
  void cbGroupGalleryRetrievalDone(SESSION_STATUS, const HttpResponse&, GroupGalleryRetrievalCMD*);
  void cbContentCreationDone(SESSION_STATUS, const HttpResponse&, ContentCreationCMD*);
  void cbContentDeletionDone(SESSION_STATUS, const HttpResponse&, ContentDeletionCMD*);
  void cbContentUpdateDone(SESSION_STATUS, const HttpResponse&, ContentUpdateCMD*);
  void cbContentViewDone(SESSION_STATUS, const HttpResponse&, ContentViewCMD*);
  void cbDownloadDone(SESSION_STATUS, const HttpResponse&, KVDownloadCMD*);
  void cbCommentRetrievalDone(SESSION_STATUS, const HttpResponse&, CommentsRetrievalCMD*);
  void cbCommentCreationDone(SESSION_STATUS, const HttpResponse&, CommentCreationCMD*);
  void cbCommentDeletionDone(SESSION_STATUS, const HttpResponse&, CommentDeletionCMD*);
  void cbCommentUpdateDone(SESSION_STATUS, const HttpResponse&, CommentUpdateCMD*);
  void cbCommentViewDone(SESSION_STATUS, const HttpResponse&, CommentViewCMD*);
  void cbKVDownloadDone(SESSION_STATUS, const HttpResponse&, KVDirectDownloadCMD*);

  // ---- account answers ----
  WSTATUS parseRegisterStatus(STRING payload, RegisterKVCMD* cmd);
  WSTATUS parseAuthStatus(STRING payload, AuthKVCMD* cmd);
  WSTATUS parseLoginStatus(STRING payload, KVLoginCMD* cmd);

  // ---- downloads and MIME types ----
  // Registered with WMediaResource::setDownloader; `downloaderArg` is the
  // provider. Fetches the resource into the process's private download
  // directory and hands the host a stream.
  static WSTATUS fnContentDownloader(const WMediaResource& resource,
                                     WContentDownloadCallback callback, void* userData,
                                     void* downloaderArg);
  WSTATUS retrieveThumbMIMEType(WMediaResource& resource);
  WSTATUS retrieveContentMIMEType(WContent& content);
  WSTATUS thumbMIMETypeDone(const HttpResponse& response, WMediaResource& resource);
  WSTATUS contentMIMETypeDone(const HttpResponse& response, WContent& content);

  // ---- person and detail readers (never fail; absent entries read empty) ----
  WMediaResource userImage(const xmlpp::Node* node);
  WMediaResource getImage(const xmlpp::Node* node, const STRING& name, const STRING& uid);
  WPerson getUser(const xmlpp::Node* node);
  std::list<WPerson> getUsers(const xmlpp::Node* node, const STRING& name);
  std::list<WMediaResource> getThumbnails(const xmlpp::Node* node);
  WSize getPhotoResolution(const xmlpp::Node* node);
  WSize getVideoResolution(const xmlpp::Node* node);
  void getContentDetail(const xmlpp::Node* node, WContent& content);
  int parseEvent(const xmlpp::Node* node, WEvent& event);
  int parseMessage(const xmlpp::Node* node, WMessage& message);

  // ---- groups and galleries ----
  WSTATUS parseString(STRING payload, WContainer<WGroup>& groups, UINT32& count);
  WSTATUS parseGroups(const xmlpp::Node* data, WContainer<WGroup>& groups, UINT32& count);
  WSTATUS parseGroup(const xmlpp::Node* node, WGroup& group, const STRING& unused);
  void getGroupImage(const xmlpp::Node* node, WGroup& group);
  WSTATUS parseString(STRING payload, WContainer<WKVGallery>& galleries, UINT32& count);
  WSTATUS parseGalleries(const xmlpp::Node* data, WContainer<WKVGallery>& galleries, UINT32& count);
  WSTATUS parseGallery(const xmlpp::Node* node, WKVGallery& gallery);

  // ---- contents ----
  // These readers, parseEvent and parseMessage keep the int their callers
  // know them by; what they return is a WSTATUS all the same.
  int parseString(STRING payload, WContainer<WContent>& contents, UINT32& count);
  int parseContents(const xmlpp::Node* data, WContainer<WContent>& contents, UINT32& count);
  int parseContent(const xmlpp::Node* node, WContent& content);
  // The upload slot: contentId and uploadUrl into `content`.
  int parseString(STRING payload, WContent& content);
  WSTATUS getUploadUrlDone(const HttpResponse& response, WContent& content);
  // Asks for an upload slot and checks it: WSTATUS_SUCCESS with `slot`
  // holding its UID and URL; the transport's status, the status of a
  // non-200 answer, or WSTATUS_INVALID_ARGUMENT for a slot without UID or
  // URL or one that would leave https (all logged).
  WSTATUS requestUploadSlot(const STRING& slotURL, const KVHeaderMap& headers, const STRING& form,
                            WContent& slot);
  // Ends a creation cancelled while its slot was asked for: unregisters it
  // and tells the cancel callback; returns WSTATUS_SUCCESS.
  WSTATUS reportCancelledBeforeUpload(std::unique_ptr<ContentCreationCMD> cmd);

  // ---- comments ----
  WSTATUS parseString(STRING payload, WContainer<WComment>& comments, UINT32& count);
  WSTATUS parseComments(const xmlpp::Node* data, WContainer<WComment>& comments, UINT32& count);
  // The same for a list answer: no more than `cap` admits; returns
  // WSTATUS_MORE_ITEMS when it closed the list.
  WSTATUS parseComments(const xmlpp::Node* data, WContainer<WComment>& comments, UINT32& count,
                        KVRecordCap& cap);
  WSTATUS parseComment(const xmlpp::Node* node, WComment& comment);

  // ---- the shared completion skeleton (frame/WKVOAICompletion.h) ----
  // Under the cancel lock: true (and the flag cleared) when a cancel was
  // requested.
  bool takeCancelRequest();
  // Tells the caller: no callback resets the cancel flag; a pending cancel
  // goes to the cancel callback instead; else `report()` calls the
  // caller's callback. No lock is held during either call.
  template <class Cmd, class Report>
  void reportOutcome(Cmd* cmd, Report report);
  // The status of a completion: the session status when the transfer
  // failed; `parse(payload)` for a 200 taken without a pending cancel;
  // otherwise the mapped HTTP code.
  template <class Parse>
  WSTATUS decideStatus(SESSION_STATUS status, const HttpResponse& response, Parse parse);
  // The whole skeleton on the command's provider: decide, report,
  // unregister.
  template <class Cmd, class Parse, class Report>
  void completeCommand(SESSION_STATUS status, const HttpResponse& response, Cmd* cmd, Parse parse,
                       Report report);

 private:
  KVService* m_pService;               // owned
  mutable std::mutex m_cmdLock;        // guards m_cmdList
  mutable std::mutex m_cancelLock;     // guards m_cancelFlag and m_cancelCb
  std::list<KVServiceCMD*> m_cmdList;  // not owning
  bool m_cancelFlag;
  KVCancelCallback m_cancelCb;
};

}  // namespace W
