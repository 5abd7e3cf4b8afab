// Command records of the group, feed and gallery operations (keys 6 to 10).
#pragma once

#include "frame/KVServiceCMD.h"
#include "frame/KVTypes.h"

namespace W {

// The page sizes the group list and the feed ask for when the caller gives
// a count of 0. The status 100 ("more items") is judged against the page
// that was asked for, not against the 0.
constexpr UINT32 kGroupListPageWhenUnset = 10;
constexpr UINT32 kFeedPageWhenUnset = 30;

inline UINT32 pageAsked(UINT32 count, UINT32 whenUnset) {
  return count != 0 ? count : whenUnset;
}

struct GroupListRetrievalCMD : KVServiceCMD {
  using KVServiceCMD::KVServiceCMD;
  WPerson person;
  UINT32 searchIndex = 0;
  UINT32 searchCount = 0;
  KVGroupListCallback callback = nullptr;
  VOID* userData = nullptr;
  WKVOAI* pOAI = nullptr;
};

// Creation (key 7) and deletion (key 8) carry the caller's group.
struct GroupCMD : KVServiceCMD {
  using KVServiceCMD::KVServiceCMD;
  WGroup group;
  KVGroupCallback callback = nullptr;
  VOID* userData = nullptr;
  WKVOAI* pOAI = nullptr;
};

struct GroupCreationCMD : GroupCMD {
  using GroupCMD::GroupCMD;
};

struct GroupDeletionCMD : GroupCMD {
  using GroupCMD::GroupCMD;
};

struct GroupFeedsRetrievalCMD : KVServiceCMD {
  using KVServiceCMD::KVServiceCMD;
  WGroup group;
  KVContentListCallback callback = nullptr;
  STRING before;
  STRING after;
  UINT32 count = 0;
  KV_SEARCH_BASE base = KV_BASE_CREATED_TIME;
  KV_OPTION_ITEM item = KV_ITEM_ALL;
  KV_OPTION_INCLUDE include = KV_INCLUDE_NONE;
  VOID* userData = nullptr;
  WKVOAI* pOAI = nullptr;
};

struct GroupGalleryRetrievalCMD : KVServiceCMD {
  using KVServiceCMD::KVServiceCMD;
  WGroup group;
  UINT32 count = 0;
  KVContentListCallback callback = nullptr;
  VOID* userData = nullptr;
  WKVOAI* pOAI = nullptr;
};

}  // namespace W
