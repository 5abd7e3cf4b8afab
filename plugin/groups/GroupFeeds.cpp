// Reading a group's feed page by page: the request. Its answer is a content
// list (ContentParser.cpp), completed in GroupHandlers.cpp.
#include "common/OperationRequest.h"
#include "groups/GroupCommands.h"
#include "service/KVCatchAll.h"
#include "service/KVLog.h"
#include "service/KVUrlEncode.h"

namespace W {

namespace {

// By KV_SEARCH_BASE, KV_OPTION_ITEM and KV_OPTION_INCLUDE; the first word
// is the one for other values. Feeds do not offer "new" (null).
const char* const kBaseWords[] = {"created_time", "upload_time", "content_id"};
const char* const kItemWords[] = {"all", "photo", "video", "music"};
const char* const kIncludeWords[] = {"none",    "usage", "member",
                                     "creator", nullptr, "creator,member,usage"};

}  // namespace

WSTATUS WKVOAI::retrieveGroupFeeds(const WGroup& group, const STRING& before, const STRING& after,
                                   UINT32 count, KV_SEARCH_BASE base, KV_OPTION_ITEM item,
                                   KV_OPTION_INCLUDE include, KVContentListCallback callback,
                                   VOID* userData) try {
  WSTATUS status = requireLogin(*this);
  if (status != WSTATUS_SUCCESS) return status;
  // Exactly one position, and a group to read.
  if (before.empty() == after.empty()) return KV_LOG_OAI(WSTATUS_INVALID_ARGUMENT);
  if (refusesPathUID(group.getUID())) return WSTATUS_INVALID_ARGUMENT;
  auto cmd = newCommand<GroupFeedsRetrievalCMD>(*this, KV_CMD_GROUP_FEEDS, callback, userData);
  cmd->group = group;
  cmd->before = before;
  cmd->after = after;
  cmd->count = count;
  cmd->base = base;
  cmd->item = item;
  cmd->include = include;
  const char* includeWord = optionWord(include, kIncludeWords);
  if (includeWord == nullptr) {
    return KV_LOG_OAI(WSTATUS_INVALID_ARGUMENT);  // the command is discarded unsent
  }
  const STRING position = after.empty() ? "search_before=" + percentEncode(before)
                                        : "search_after=" + percentEncode(after);
  const STRING resource =
      percentEncode(group.getUID()) + "/feeds?" + "&" + position +
      "&search_count=" + KVService::int2str(pageAsked(count, kFeedPageWhenUnset)) +
      "&search_base=" + optionWord(base, kBaseWords) +
      "&option_item=" + optionWord(item, kItemWords) + "&option_include=" + includeWord;
  return submitCommand(*this, KVMethod::Get, resource, KVHeaderSet::Session, STRING(),
                       std::move(cmd));
} catch (...) {
  return KV_CAUGHT_OAI();
}

}  // namespace W
