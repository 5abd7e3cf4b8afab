// Option enumerations and callback types of the Kinvale provider interface.
#pragma once

#include <W/WCaptchaException.h>
#include <W/WComment.h>
#include <W/WContent.h>
#include <W/WContentProvider.h>
#include <W/WGroup.h>
#include <W/WPerson.h>
#include <W/WTypes.h>

#include "frame/WContainer.h"

namespace W {

// Option values travel as plain ints; values outside the named ones are
// legal and select each operation's fallback.
enum KV_OPTION_SORT : int {
  KV_SORT_ALPHABETICAL = 0,
  KV_SORT_CREATED_TIME = 1,
  KV_SORT_RECENT_USED = 2
};
enum KV_OPTION_INCLUDE : int {
  KV_INCLUDE_NONE = 0,
  KV_INCLUDE_USAGE = 1,
  KV_INCLUDE_MEMBER = 2,
  KV_INCLUDE_CREATOR = 3,
  KV_INCLUDE_NEW = 4,
  KV_INCLUDE_ALL = 5,
};
enum KV_SEARCH_BASE : int {
  KV_BASE_CREATED_TIME = 0,
  KV_BASE_UPLOAD_TIME = 1,
  KV_BASE_CONTENT_ID = 2
};
enum KV_OPTION_ITEM : int {
  KV_ITEM_ALL = 0,
  KV_ITEM_PHOTO = 1,
  KV_ITEM_VIDEO = 2,
  KV_ITEM_MUSIC = 3
};
enum KV_CONTENT_TYPE : int { KV_CONTENT_PHOTO = 1, KV_CONTENT_VIDEO = 2, KV_CONTENT_MUSIC = 3 };
enum KV_SEARCH_DIRECTION : int { KV_SEARCH_BEFORE = 0, KV_SEARCH_AFTER = 1 };
enum KV_OPTION_ORDER : int { KV_ORDER_ASCENDING = 0, KV_ORDER_DESCENDING = 1 };

// Every callback gets the status first, the provider identity second and the
// caller's user data last.
typedef void (*KVAccountCallback)(WSTATUS, const WContentProvider&, VOID*);
typedef void (*KVLoginCallback)(WSTATUS, const WContentProvider&, const STRING&, const STRING&,
                                VOID*);
typedef void (*KVResolveCallback)(WSTATUS, WException*, VOID*);
typedef void (*KVGroupListCallback)(WSTATUS, const WContentProvider&, const WContainer<WGroup>&,
                                    const WPerson&, VOID*);
typedef void (*KVGroupCallback)(WSTATUS, const WContentProvider&, const WGroup&, VOID*);
typedef void (*KVContentListCallback)(WSTATUS, const WContentProvider&, const WContainer<WContent>&,
                                      VOID*);
typedef void (*KVContentCreationCallback)(WSTATUS, const WContentProvider&, const WGroup&,
                                          const WContent&, const STRING&, VOID*);
typedef void (*KVContentCallback)(WSTATUS, const WContentProvider&, const WContent&, VOID*);
typedef void (*KVContentUpdateCallback)(WSTATUS, const WContentProvider&, const WContent&,
                                        const STRING&, VOID*);
typedef void (*KVCommentListCallback)(WSTATUS, const WContentProvider&, const WContainer<WComment>&,
                                      VOID*);
typedef void (*KVCommentTextCallback)(WSTATUS, const WContentProvider&, const WComment&,
                                      const STRING&, VOID*);
typedef void (*KVCommentCallback)(WSTATUS, const WContentProvider&, const WComment&, VOID*);
typedef void (*KVCancelCallback)(WSTATUS, const WContentProvider&, void*);
typedef void (*KVDirectDownloadCallback)(WSTATUS, const WContentProvider&, const STRING&, void*);

}  // namespace W
