// "group.list", "group.create" and "group.delete".
#include <algorithm>
#include <ctime>
#include <sstream>

#include "RecordXml.h"
#include "Routes.h"
#include "Seed.h"

namespace kvsim {

namespace {

bool validIncludeList(const std::string& text) {
  if (text.empty()) return true;
  std::istringstream in(text);
  std::string word;
  while (std::getline(in, word, ',')) {
    if (word != "usage" && word != "member" && word != "creator" && word != "new" &&
        word != "none") {
      return false;
    }
  }
  return true;
}

// The person a path's first segment names: "me" is the caller.
std::string personOf(const Call& call) {
  return call.segments[0] == "me" ? call.account->userId : call.segments[0];
}

}  // namespace

Reply handleGroupList(Context& ctx, const Call& call) {
  Paging page;
  const std::string badPaging = readPaging(call.query, 10, page);
  if (!badPaging.empty()) return badPagingReply(badPaging);
  std::string sort = call.query.get("option_sort", "alphabetical");
  if (sort != "alphabetical" && sort != "created_time" && sort != "recent_used") {
    return refusedReply(kErrBadParameter, "bad option_sort");
  }
  if (!validIncludeList(call.query.get("option_include"))) {
    return refusedReply(kErrBadParameter, "bad option_include");
  }
  std::string person = personOf(call);
  return ctx.store.with([&](StoreData& d) {
    if (d.person(person) == nullptr) return textReply(404, "no such person\n");
    std::vector<const Group*> groups = d.groupsOf(person);
    // groupsOf gives creation order, so a later group wins a tie on time.
    std::reverse(groups.begin(), groups.end());
    std::stable_sort(groups.begin(), groups.end(), [&](const Group* a, const Group* b) {
      if (sort == "created_time") return a->created > b->created;
      if (sort == "recent_used") return a->lastUsed > b->lastUsed;
      return a->name != b->name ? a->name < b->name : a->uid < b->uid;
    });
    // Positions 0 up to index+count, and one more as the sign of a further page.
    size_t take =
        static_cast<size_t>(std::min<uint64_t>(groups.size(), page.index + page.count + 1));
    XmlWriter w;
    for (size_t i = 0; i < take; ++i) writeGroup(w, d, *groups[i], ctx.base);
    return okReply(w.str());
  });
}

Reply handleGroupCreate(Context& ctx, const Call& call) {
  const Account& a = *call.account;
  if (call.segments[0] != "me" && call.segments[0] != a.userId) {
    return refusedReply(kErrNotPermitted, "groups are created for oneself");
  }
  std::string name = call.form.get("group_name");
  if (name.empty()) return failReply("group_name is empty");
  return ctx.store.with([&](StoreData& d) {
    Group g;
    g.name = name;
    g.desc = call.form.get("group_desc");
    g.masterUid = a.userId;
    g.members = {a.userId};
    g.created = g.lastUsed = std::time(nullptr);
    Group& added = d.addGroup(g);
    addGroupImages(d, added);
    XmlWriter w;
    writeGroup(w, d, added, ctx.base);
    return okReply(w.str(), "created");
  });
}

Reply handleGroupDelete(Context& ctx, const Call& call) {
  std::string uid = call.form.get("groupID");
  if (uid.empty()) return failReply("groupID is missing");
  return ctx.store.with([&](StoreData& d) {
    Group* g = d.group(uid);
    if (g == nullptr) return refusedReply(kErrNoSuchRecord, "no such group");
    if (g->masterUid != call.account->userId) {
      return refusedReply(kErrNotPermitted, "only the group's master may delete it");
    }
    d.removeGroup(uid);
    XmlWriter w;
    w.element("groupId", uid);
    return okReply(w.str(), "deleted");
  });
}

}  // namespace kvsim
