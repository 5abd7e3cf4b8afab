// Command records of the group, feed and gallery operations (keys 6 to 10).
#pragma once

#include "frame/KVServiceCMD.h"
#include "frame/KVTypes.h"

namespace W {

// The page sizes the group list and the feed ask for when the caller gives
// a count of 0. WSTATUS_MORE_ITEMS is judged against the page that was
// asked for, not against the 0.
constexpr UINT32 kGroupListPageWhenUnset = 10;
constexpr UINT32 kFeedPageWhenUnset = 30;

inline UINT32 pageAsked(UINT32 count, UINT32 whenUnset) {
  return count != 0 ? count : whenUnset;
}

struct GroupListRetrievalCMD : KVCallbackCMD<KVGroupListCallback> {
  using KVCallbackCMD::KVCallbackCMD;
  WPerson person;
  UINT32 searchIndex = 0;
  UINT32 searchCount = 0;
};

// Creation (key 7) and deletion (key 8) carry the caller's group.
struct GroupCMD : KVCallbackCMD<KVGroupCallback> {
  using KVCallbackCMD::KVCallbackCMD;
  WGroup group;
};

struct GroupCreationCMD : GroupCMD {
  using GroupCMD::GroupCMD;
};

struct GroupDeletionCMD : GroupCMD {
  using GroupCMD::GroupCMD;
};

struct GroupFeedsRetrievalCMD : KVCallbackCMD<KVContentListCallback> {
  using KVCallbackCMD::KVCallbackCMD;
  WGroup group;
  STRING before;
  STRING after;
  UINT32 count = 0;
  KV_SEARCH_BASE base = KV_BASE_CREATED_TIME;
  KV_OPTION_ITEM item = KV_ITEM_ALL;
  KV_OPTION_INCLUDE include = KV_INCLUDE_NONE;
};

struct GroupGalleryRetrievalCMD : KVCallbackCMD<KVContentListCallback> {
  using KVCallbackCMD::KVCallbackCMD;
  WGroup group;
  UINT32 count = 0;
};

}  // namespace W
