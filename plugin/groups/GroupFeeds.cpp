// Reading a group's feed page by page: the request. Its answer is a content
// list (ContentParser.cpp), completed in GroupCompletion.cpp.
#include "groups/GroupCommands.h"
#include "groups/OperationRequest.h"
#include "service/KVLog.h"
#include "service/KVUrlEncode.h"

namespace W {

namespace {

const char* baseWord(KV_SEARCH_BASE base) {
  switch (base) {
    case KV_BASE_UPLOAD_TIME:
      return "upload_time";
    case KV_BASE_CONTENT_ID:
      return "content_id";
    default:
      return "created_time";
  }
}

const char* itemWord(KV_OPTION_ITEM item) {
  switch (item) {
    case KV_ITEM_PHOTO:
      return "photo";
    case KV_ITEM_VIDEO:
      return "video";
    case KV_ITEM_MUSIC:
      return "music";
    default:
      return "all";
  }
}

// The feed's include words; null for "new", which feeds do not offer.
const char* feedIncludeWord(KV_OPTION_INCLUDE include) {
  switch (include) {
    case KV_INCLUDE_USAGE:
      return "usage";
    case KV_INCLUDE_MEMBER:
      return "member";
    case KV_INCLUDE_CREATOR:
      return "creator";
    case KV_INCLUDE_NEW:
      return nullptr;
    case KV_INCLUDE_ALL:
      return "creator,member,usage";
    default:
      return "none";
  }
}

}  // namespace

WSTATUS WKVOAI::retrieveGroupFeeds(const WGroup& group, const STRING& before, const STRING& after,
                                   UINT32 count, KV_SEARCH_BASE base, KV_OPTION_ITEM item,
                                   KV_OPTION_INCLUDE include, KVContentListCallback callback,
                                   VOID* userData) {
  WSTATUS status = requireLogin(*this);
  if (status != 0) return status;
  // Exactly one position, and a group to read.
  if (before.empty() == after.empty() || group.getUID().empty()) {
    KV_LOG_OAI(-1);
    return -1;
  }
  auto cmd = newCommand<GroupFeedsRetrievalCMD>(*this, KV_CMD_GROUP_FEEDS, callback, userData);
  cmd->group = group;
  cmd->before = before;
  cmd->after = after;
  cmd->count = count;
  cmd->base = base;
  cmd->item = item;
  cmd->include = include;
  const char* includeWord = feedIncludeWord(include);
  if (includeWord == nullptr) {
    KV_LOG_OAI(-1);
    return -1;  // the command is discarded unsent
  }
  const STRING position = after.empty() ? "search_before=" + percentEncode(before)
                                        : "search_after=" + percentEncode(after);
  const STRING resource = percentEncode(group.getUID()) + "/feeds?" + "&" + position +
                          "&search_count=" + KVService::int2str(count != 0 ? count : 30) +
                          "&search_base=" + baseWord(base) + "&option_item=" + itemWord(item) +
                          "&option_include=" + includeWord;
  return submitCommand(*this, KVMethod::Get, resource, m_pService->sessionHeaders(), STRING(),
                       std::move(cmd));
}

}  // namespace W
