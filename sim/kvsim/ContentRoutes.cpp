// "feeds" of a group, and "view" and "delete" of one content.
#include <algorithm>
#include <ctime>
#include <tuple>

#include "RecordXml.h"
#include "Routes.h"

namespace kvsim {

namespace {

enum class Base { Created, Uploaded, Id };

// Ordering key of a content under a search base; the number breaks ties.
std::tuple<long long, long> keyOf(const Content& c, Base base) {
  switch (base) {
    case Base::Created:
      return {static_cast<long long>(c.createTime), c.number};
    case Base::Uploaded:
      return {static_cast<long long>(c.registerTime), c.number};
    case Base::Id:
      break;
  }
  return {c.number, c.number};
}

bool itemWanted(const Content& c, const std::string& item) {
  if (item == "photo") return c.kind == ContentKind::Photo;
  if (item == "video") return c.kind == ContentKind::Video;
  if (item == "music") return c.kind == ContentKind::Music;
  return true;
}

bool mayChange(StoreData& d, const Content& c, const std::string& userId) {
  const Group* g = d.group(c.groupUid);
  return c.creatorUid == userId || (g != nullptr && g->masterUid == userId);
}

}  // namespace

Reply handleFeeds(Context& ctx, const Call& call) {
  bool before = call.query.has("search_before");
  bool after = call.query.has("search_after");
  if (before == after) return refusedReply(kErrBadParameter, "give search_before or search_after");
  std::string position = call.query.get(before ? "search_before" : "search_after");
  Paging page;
  const std::string badPaging = readPaging(call.query, 30, page);
  if (!badPaging.empty()) return badPagingReply(badPaging);
  std::string baseName = call.query.get("search_base", "created_time");
  Base base = Base::Created;
  if (baseName == "upload_time") {
    base = Base::Uploaded;
  } else if (baseName == "content_id") {
    base = Base::Id;
  } else if (baseName != "created_time") {
    return refusedReply(kErrBadParameter, "bad search_base");
  }
  std::string item = call.query.get("option_item", "all");
  if (item != "all" && item != "photo" && item != "video" && item != "music") {
    return refusedReply(kErrBadParameter, "bad option_item");
  }
  const std::string groupUid = call.segments[0];
  return ctx.store.with([&](StoreData& d) {
    Group* g = d.group(groupUid);
    if (g == nullptr) return textReply(404, "no such group\n");
    if (!d.isMember(*g, call.account->userId)) {
      return refusedReply(kErrNotPermitted, "not a member of this group");
    }
    std::vector<const Content*> all = d.contentsOf(groupUid);
    bool fromEnd = position == "0" || position == "latest" || position.empty();
    const Content* anchor = nullptr;
    if (!fromEnd) {
      auto it = std::find_if(all.begin(), all.end(),
                             [&](const Content* c) { return c->uid == position; });
      if (it == all.end()) return refusedReply(kErrBadParameter, "unknown position");
      anchor = *it;
    }
    std::vector<const Content*> items;
    for (const Content* c : all) {
      if (!itemWanted(*c, item)) continue;
      if (anchor != nullptr) {
        bool older = keyOf(*c, base) < keyOf(*anchor, base);
        bool newer = keyOf(*anchor, base) < keyOf(*c, base);
        if (before ? !older : !newer) continue;
      } else if (after && position == "latest") {
        continue;
      }
      items.push_back(c);
    }
    // Nearest to the position first: newest first going back, oldest first going forward.
    std::sort(items.begin(), items.end(), [&](const Content* a, const Content* b) {
      return before ? keyOf(*b, base) < keyOf(*a, base) : keyOf(*a, base) < keyOf(*b, base);
    });
    if (items.size() > page.count + 1) items.resize(static_cast<size_t>(page.count + 1));
    g->lastUsed = std::time(nullptr);
    XmlWriter w;
    writeFeedItems(w, d, items, ctx.base);
    return okReply(w.str());
  });
}

Reply handleContentView(Context& ctx, const Call& call) {
  return ctx.store.with([&](StoreData& d) {
    Content* c = d.content(call.segments[0]);
    if (c == nullptr || !c->uploaded) return textReply(404, "no such content\n");
    const Group* g = d.group(c->groupUid);
    if (g == nullptr || !d.isMember(*g, call.account->userId)) {
      return refusedReply(kErrNotPermitted, "not a member of the content's group");
    }
    XmlWriter w;
    writeContentEntries(w, d, *c, ctx.base);
    return okReply(w.str());
  });
}

Reply handleContentDelete(Context& ctx, const Call& call) {
  return ctx.store.with([&](StoreData& d) {
    Content* c = d.content(call.segments[0]);
    if (c == nullptr) return refusedReply(kErrNoSuchRecord, "no such content");
    if (!mayChange(d, *c, call.account->userId)) {
      return refusedReply(kErrNotPermitted, "only the creator or the group's master may delete");
    }
    d.removeContent(c->uid);
    return okReply("", "deleted");
  });
}

}  // namespace kvsim
