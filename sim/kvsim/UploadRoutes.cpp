// Uploads: the "upload" slot request, then the multipart post of the file to
// the slot's upload URL.
#include <httplib.h>

#include <ctime>

#include "MediaBytes.h"
#include "RecordXml.h"
#include "Routes.h"
#include "Seed.h"

namespace kvsim {

Reply handleUploadSlot(Context& ctx, const Call& call) {
  std::string type = call.form.get("type");
  ContentKind kind;
  if (type == "photo") {
    kind = ContentKind::Photo;
  } else if (type == "video") {
    kind = ContentKind::Video;
  } else if (type == "music") {
    kind = ContentKind::Music;
  } else {
    return refusedReply(kErrBadParameter, "type must be photo, video or music");
  }
  long announced = -1;
  if (call.form.has("file_size")) {
    announced = parseCount(call.form.get("file_size"), -1);
    if (announced <= 0) return refusedReply(kErrBadParameter, "bad file_size");
  }
  const std::string groupUid = call.segments[0];
  return ctx.store.with([&](StoreData& d) {
    const Group* g = d.group(groupUid);
    if (g == nullptr) return textReply(404, "no such group\n");
    if (!d.isMember(*g, call.account->userId)) {
      return refusedReply(kErrNotPermitted, "not a member of this group");
    }
    Content c;
    c.groupUid = groupUid;
    c.kind = kind;
    c.creatorUid = call.account->userId;
    c.desc = call.form.get("description");
    c.createTime = c.registerTime = std::time(nullptr);
    c.uploaded = false;
    c.announcedSize = announced;
    Content& added = d.addContent(c);
    XmlWriter w;
    w.element("contentId", added.uid).element("uploadUrl", ctx.base + "/upload/" + added.uid);
    return okReply(w.str(), "upload slot ready");
  });
}

Reply handleUploadTarget(Context& ctx, const Call& call) {
  const httplib::Request& req = *call.request;
  const std::string uid = call.segments.empty() ? "" : call.segments[0];
  bool multipart = req.is_multipart_form_data();
  bool hasPart = multipart && req.has_file("filename");
  httplib::MultipartFormData part;
  if (hasPart) part = req.get_file_value("filename");
  return ctx.store.with([&](StoreData& d) {
    Content* c = d.content(uid);
    if (c == nullptr) return textReply(404, "no such upload slot\n");
    if (c->uploaded || c->creatorUid != call.account->userId) {
      return refusedReply(kErrNotPermitted, "this slot is not open for you");
    }
    if (!multipart) return textReply(400, "expected multipart/form-data\n");
    if (!hasPart) return textReply(400, "expected a part named \"filename\"\n");
    if (part.content.empty()) return refusedReply(kErrUploadSize, "empty file");
    if (c->announcedSize >= 0 && static_cast<size_t>(c->announcedSize) != part.content.size()) {
      return refusedReply(kErrUploadSize, "file_size was " + std::to_string(c->announcedSize) +
                                              ", received " + std::to_string(part.content.size()));
    }
    std::string mime = part.content_type.empty() ? mimeForName(part.filename) : part.content_type;
    c->format = extensionForMime(mime);
    c->registerTime = std::time(nullptr);
    c->uploaded = true;
    attachContentMedia(d, *c, "upload." + c->format, mime, part.content);
    Group* g = d.group(c->groupUid);
    if (g != nullptr) g->lastUsed = c->registerTime;
    XmlWriter w;
    writeContentEntries(w, d, *c, ctx.base);
    return okReply(w.str(), "uploaded");
  });
}

}  // namespace kvsim
