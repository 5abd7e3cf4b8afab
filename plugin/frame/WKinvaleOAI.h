// The Kinvale provider interface as the host calls it. Slot order matters:
// the host calls these through the virtual table, so new operations go at
// the end only.
#pragma once

#include "frame/WAbstractOAI.h"

namespace W {

class WKinvaleOAI : public WAbstractOAI {
 public:
  explicit WKinvaleOAI(const WContentProvider& provider) : WAbstractOAI(provider) {}
  ~WKinvaleOAI() override = default;

  // Slots 7 to 9: the account operations, usable before login.
  virtual WSTATUS registerKV(KVAccountCallback callback, VOID* userData) = 0;
  virtual WSTATUS unregisterKV(KVAccountCallback callback, VOID* userData) = 0;
  virtual WSTATUS authKV(KVAccountCallback callback, VOID* userData) = 0;

  // Slots 10 to 14: groups, feeds, galleries.
  virtual WSTATUS retrieveGroupList(const WPerson& person, KVGroupListCallback callback,
                                    UINT32 searchIndex, UINT32 searchCount, KV_OPTION_SORT sort,
                                    KV_OPTION_INCLUDE include, VOID* userData) = 0;
  virtual WSTATUS createGroup(const WGroup& group, const WPerson& person, KVGroupCallback callback,
                              VOID* userData) = 0;
  virtual WSTATUS deleteGroup(const WGroup& group, KVGroupCallback callback, VOID* userData) = 0;
  virtual WSTATUS retrieveGroupFeeds(const WGroup& group, const STRING& before, const STRING& after,
                                     UINT32 count, KV_SEARCH_BASE base, KV_OPTION_ITEM item,
                                     KV_OPTION_INCLUDE include, KVContentListCallback callback,
                                     VOID* userData) = 0;
  virtual WSTATUS retrieveGroupGallery(const WGroup& group, KV_CONTENT_TYPE type, UINT32 count,
                                       KV_SEARCH_DIRECTION direction, KV_OPTION_SORT sort,
                                       KV_OPTION_ORDER order, KVContentListCallback callback,
                                       VOID* userData) = 0;

  // Slots 15 to 22: contents and comments.
  virtual WSTATUS createContent(const WGroup& group, const WContent& content, KV_CONTENT_TYPE type,
                                const STRING& filePath, KVContentCreationCallback callback,
                                VOID* userData) = 0;
  virtual WSTATUS deleteContent(const WContent& content, KVContentCallback callback,
                                VOID* userData) = 0;
  virtual WSTATUS updateContent(const WContent& content, const STRING& text,
                                KVContentUpdateCallback callback, VOID* userData) = 0;
  virtual WSTATUS viewContent(const WContent& content, KVContentCallback callback,
                              VOID* userData) = 0;
  virtual WSTATUS createComment(const WContent& content, const WComment& comment,
                                KVCommentTextCallback callback, VOID* userData) = 0;
  virtual WSTATUS deleteComment(const WComment& comment, KVCommentCallback callback,
                                VOID* userData) = 0;
  virtual WSTATUS updateComment(const WComment& comment, KVCommentCallback callback,
                                VOID* userData) = 0;
  virtual WSTATUS viewComment(const WComment& comment, KVCommentTextCallback callback,
                              VOID* userData) = 0;

  // Slots 23 to 25: cancel, direct download, progress.
  virtual WSTATUS cancel(const WContentProvider& provider, KVCancelCallback callback,
                         VOID* userData) = 0;
  virtual WSTATUS download(const WContentProvider& provider, const STRING& url,
                           const STRING& directory, const STRING& fileName,
                           KVDirectDownloadCallback callback, VOID* userData) = 0;
  virtual WSTATUS progressStatus(const WContentProvider& provider, double& done, double& total,
                                 VOID* userData) = 0;

  // Slot 26, after the host's original table.
  virtual WSTATUS retrieveComments(const WContent& content, KVCommentListCallback callback,
                                   UINT32 searchIndex, UINT32 searchCount, VOID* userData) = 0;
};

}  // namespace W
