// Comments: create, list, view and delete.
#include <ctime>

#include "RecordXml.h"
#include "Routes.h"

namespace kvsim {

namespace {

bool memberOfContentGroup(StoreData& d, const Content& c, const std::string& userId) {
  const Group* g = d.group(c.groupUid);
  return g != nullptr && d.isMember(*g, userId);
}

}  // namespace

Reply handleCommentCreate(Context& ctx, const Call& call) {
  std::string text = call.form.get("commentText");
  if (text.empty()) return failReply("commentText is empty");
  return ctx.store.with([&](StoreData& d) {
    Content* c = d.content(call.segments[0]);
    if (c == nullptr || !c->uploaded) return textReply(404, "no such content\n");
    if (!memberOfContentGroup(d, *c, call.account->userId)) {
      return refusedReply(kErrNotPermitted, "not a member of the content's group");
    }
    Comment m;
    m.contentUid = c->uid;
    m.creatorUid = call.account->userId;
    m.text = text;
    m.registerDate = std::time(nullptr);
    const Comment& added = d.addComment(m);
    XmlWriter w;
    w.element("commentId", added.uid);
    return okReply(w.str(), "created");
  });
}

Reply handleCommentList(Context& ctx, const Call& call) {
  Paging page;
  const std::string badPaging = readPaging(call.query, 20, page);
  if (!badPaging.empty()) return badPagingReply(badPaging);
  return ctx.store.with([&](StoreData& d) {
    Content* c = d.content(call.segments[0]);
    if (c == nullptr || !c->uploaded) return textReply(404, "no such content\n");
    if (!memberOfContentGroup(d, *c, call.account->userId)) {
      return refusedReply(kErrNotPermitted, "not a member of the content's group");
    }
    std::vector<const Comment*> comments = d.commentsOf(c->uid);
    XmlWriter w;
    for (uint64_t i = page.index; i < comments.size() && i < page.index + page.count; ++i) {
      writeComment(w, d, *comments[i], ctx.base);
    }
    return okReply(w.str());
  });
}

Reply handleCommentView(Context& ctx, const Call& call) {
  return ctx.store.with([&](StoreData& d) {
    Comment* m = d.comment(call.segments[0]);
    if (m == nullptr) return textReply(404, "no such comment\n");
    Content* c = d.content(m->contentUid);
    if (c == nullptr || !memberOfContentGroup(d, *c, call.account->userId)) {
      return refusedReply(kErrNotPermitted, "not a member of the content's group");
    }
    XmlWriter w;
    writeComment(w, d, *m, ctx.base);
    return okReply(w.str());
  });
}

Reply handleCommentDelete(Context& ctx, const Call& call) {
  return ctx.store.with([&](StoreData& d) {
    Comment* m = d.comment(call.segments[0]);
    if (m == nullptr) return refusedReply(kErrNoSuchRecord, "no such comment");
    Content* c = d.content(m->contentUid);
    const Group* g = c == nullptr ? nullptr : d.group(c->groupUid);
    const std::string& me = call.account->userId;
    bool allowed = m->creatorUid == me || (c != nullptr && c->creatorUid == me) ||
                   (g != nullptr && g->masterUid == me);
    if (!allowed) {
      return refusedReply(kErrNotPermitted, "only the writer or the content's owner may delete");
    }
    d.removeComment(m->uid);
    return okReply("", "deleted");
  });
}

}  // namespace kvsim
