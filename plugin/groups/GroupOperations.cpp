// Group list, creation and deletion: the requests. Their answers are read by
// GroupParser.cpp and completed in GroupHandlers.cpp.
#include "common/OperationRequest.h"
#include "groups/GroupCommands.h"
#include "service/KVCatchAll.h"
#include "service/KVUrlEncode.h"

namespace W {

namespace {

// By KV_OPTION_SORT; other values sort alphabetically.
const char* const kSortWords[] = {"alphabetical", "created_time", "recent_used"};

// By KV_OPTION_INCLUDE. The single words are followed by "&"; the full list
// is preceded by one more "&"; "none" (also for other values) ends the query.
const char* const kIncludeParameters[] = {
    "option_include=none",     "option_include=usage&", "option_include=member&",
    "option_include=creator&", "option_include=new&",   "&option_include=creator,member,usage,new"};

// The first non-empty of the UIDs, or empty for "me".
STRING ownerUID(const STRING& uid, const STRING& fallback = STRING()) {
  return uid.empty() ? fallback : uid;
}

// The owner's path segment: the UID encoded, or "me" for none.
STRING pathOwner(const STRING& uid) {
  return uid.empty() ? STRING("me") : percentEncode(uid);
}

}  // namespace

WSTATUS WKVOAI::retrieveGroupList(const WPerson& person, KVGroupListCallback callback,
                                  UINT32 searchIndex, UINT32 searchCount, KV_OPTION_SORT sort,
                                  KV_OPTION_INCLUDE include, VOID* userData) try {
  WSTATUS status = requireLogin(*this);
  if (status != WSTATUS_SUCCESS) return status;
  if (!person.getUID().empty() && refusesPathUID(person.getUID())) return WSTATUS_INVALID_ARGUMENT;
  auto cmd = newCommand<GroupListRetrievalCMD>(*this, KV_CMD_GROUP_LIST, callback, userData);
  cmd->person = person;
  cmd->searchIndex = searchIndex;
  cmd->searchCount = searchCount;
  const STRING resource =
      pathOwner(person.getUID()) + "/group.list?" +
      "search_index=" + KVService::int2str(searchIndex) + "&" +
      "search_count=" + KVService::int2str(pageAsked(searchCount, kGroupListPageWhenUnset)) + "&" +
      "option_sort=" + optionWord(sort, kSortWords) + "&" + optionWord(include, kIncludeParameters);
  return submitCommand(*this, KVMethod::Get, resource, KVHeaderSet::Session, STRING(),
                       std::move(cmd));
} catch (...) {
  return KV_CAUGHT_OAI();
}

WSTATUS WKVOAI::createGroup(const WGroup& group, const WPerson& person, KVGroupCallback callback,
                            VOID* userData) try {
  WSTATUS status = requireLogin(*this);
  if (status != WSTATUS_SUCCESS) return status;
  const STRING owner = ownerUID(person.getUID(), m_pService->getUserID());
  if (!owner.empty() && refusesPathUID(owner)) return WSTATUS_INVALID_ARGUMENT;
  auto cmd = newCommand<GroupCreationCMD>(*this, KV_CMD_GROUP_CREATE, callback, userData);
  cmd->group = group;
  const STRING resource = pathOwner(owner) + "/group.create";
  STRING body = "group_name=" + percentEncode(group.getName());
  if (!group.getDescription().empty())
    body += "&group_desc=" + percentEncode(group.getDescription());
  return submitCommand(*this, KVMethod::Post, resource, KVHeaderSet::Session, body, std::move(cmd));
} catch (...) {
  return KV_CAUGHT_OAI();
}

WSTATUS WKVOAI::deleteGroup(const WGroup& group, KVGroupCallback callback, VOID* userData) try {
  WSTATUS status = requireLogin(*this);
  if (status != WSTATUS_SUCCESS) return status;
  auto cmd = newCommand<GroupDeletionCMD>(*this, KV_CMD_GROUP_DELETE, callback, userData);
  cmd->group = group;
  const STRING body =
      group.getUID().empty() ? STRING() : "groupID=" + percentEncode(group.getUID());
  return submitCommand(*this, KVMethod::Post, "me/group.delete", KVHeaderSet::SessionWithAppToken,
                       body, std::move(cmd));
} catch (...) {
  return KV_CAUGHT_OAI();
}

}  // namespace W
