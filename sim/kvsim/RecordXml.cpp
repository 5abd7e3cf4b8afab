// Record element writers; element names are the ones the plug-in reads.
#include "RecordXml.h"

#include "HttpDate.h"

namespace kvsim {

namespace {

const char* typeName(ContentKind kind) {
  switch (kind) {
    case ContentKind::Photo:
      return "photo";
    case ContentKind::Video:
      return "video";
    case ContentKind::Music:
      return "music";
    case ContentKind::Message:
      return "message";
    case ContentKind::Event:
      return "event";
  }
  return "photo";
}

std::string url(const std::string& base, const std::string& path) {
  return path.empty() ? std::string() : base + path;
}

// Creator form: userId, userName and a 72x72 picture, either as a direct
// "thumbnail" child or wrapped in "userImage".
void writeCreator(XmlWriter& w, const char* tag, const StoreData& d, const std::string& uid,
                  const std::string& base, bool wrapped) {
  const Person* p = d.person(uid);
  w.open(tag).element("userId", uid).element("userName", p ? p->name : "");
  if (wrapped) w.open("userImage");
  w.open("thumbnail")
      .element("userImageThumbnail_72X72", p ? url(base, p->picturePath) : "")
      .close();
  if (wrapped) w.close();
  w.close();
}

// Member form: id, userName, phoneNumber, userImage (URL), userStatus with a
// "code" attribute, the deletion flag and the registration date.
void writeMember(XmlWriter& w, const char* tag, const StoreData& d, const std::string& uid,
                 const std::string& base) {
  const Person* p = d.person(uid);
  w.open(tag)
      .element("id", uid)
      .element("userName", p ? p->name : "")
      .element("phoneNumber", p ? p->phone : "")
      .element("userImage", p ? url(base, p->picturePath) : "")
      .element("userStatus", {{"code", "1"}}, "active")
      .element("contentDelFlag", "N")
      .element("userRegisterDate", p ? formatServiceDate(p->registerDate) : "")
      .close();
}

void writeThumbnails(XmlWriter& w, const Content& c, const std::string& base) {
  w.open("thumbnail");
  for (int i = 0; i < 3; ++i) w.element(kThumbNames[i], url(base, c.thumbPaths[i]));
  w.close();
}

void writeComments(XmlWriter& w, const StoreData& d, const Content& c, const std::string& base) {
  std::vector<const Comment*> comments = d.commentsOf(c.uid);
  for (const Comment* m : comments) writeComment(w, d, *m, base);
  w.element("commentCount", static_cast<long long>(comments.size()));
}

void writeEventEntries(XmlWriter& w, const StoreData& d, const Content& e,
                       const std::string& base) {
  w.element("eventTitle", e.eventTitle)
      .element("eventType", e.eventType)
      .element("eventStartDate", formatServiceDate(e.eventStart))
      .element("eventEndDate", formatServiceDate(e.eventEnd))
      .element("eventDescription", e.eventDesc)
      .element("eventRegisterDate", formatServiceDate(e.registerTime));
  writeMember(w, "eventRegisterMember", d, e.creatorUid, base);
}

void writeGalleryItem(XmlWriter& w, const StoreData& d, const Content& c, const std::string& base) {
  // The identifiers as attributes, the rest as child elements.
  w.open("content", {{"id", c.uid}, {"galleryID", c.galleryId}})
      .element("size", c.size)
      .element("contentCreateDate", formatServiceDate(c.createTime))
      .element("contentExt", c.format)
      .element("format", c.format);
  if (c.kind == ContentKind::Video) {
    w.element("contentResolutionX", c.width).element("contentResolutionY", c.height);
  } else {
    w.element("width", c.width).element("height", c.height);
  }
  if (!c.duration.empty()) w.element("contentDurationTime", c.duration);
  w.element("contentUrl", url(base, c.mediaPath));
  writeThumbnails(w, c, base);
  w.element("contentDesc", c.desc)
      .element("contentRegisterDate", formatServiceDate(c.registerTime));
  writeMember(w, "contentRegisterMember", d, c.creatorUid, base);
  writeComments(w, d, c, base);
  auto linked = d.contents.find(c.linkedEventUid);
  if (linked != d.contents.end()) {
    const Content& e = linked->second;
    w.open("eventLink")
        .open("contentLink")
        .element("ID", e.uid)
        .element("calendarID", e.calendarId);
    writeEventEntries(w, d, e, base);
    w.close().close();
  }
  w.close();
}

void writeMessageItem(XmlWriter& w, const StoreData& d, const Content& c, const std::string& base) {
  w.open("content")
      .element("id", c.uid)
      .element("messageBoardID", c.messageBoardId)
      .element("size", static_cast<long long>(c.messageText.size()))
      .element("contentCreateDate", formatServiceDate(c.createTime))
      .element("messageText", c.messageText)
      .element("messageRegisterDate", formatServiceDate(c.registerTime));
  writeMember(w, "messageRegisterMember", d, c.creatorUid, base);
  writeComments(w, d, c, base);
  w.close();
}

void writeCalendarItem(XmlWriter& w, const StoreData& d, const Content& c,
                       const std::string& base) {
  w.open("content").element("id", c.uid).element("calendarID", c.calendarId);
  writeEventEntries(w, d, c, base);
  writeComments(w, d, c, base);
  w.close();
}

}  // namespace

void writeGroup(XmlWriter& w, const StoreData& d, const Group& g, const std::string& base) {
  long long total = 0, photos = 0, audio = 0, videos = 0, comments = 0;
  for (const Content* c : d.contentsOf(g.uid)) {
    ++total;
    if (c->kind == ContentKind::Photo) ++photos;
    if (c->kind == ContentKind::Music) ++audio;
    if (c->kind == ContentKind::Video) ++videos;
    comments += static_cast<long long>(d.commentsOf(c->uid).size());
  }
  XmlAttrs fields = {{"groupId", g.uid},
                     {"groupName", g.name},
                     {"groupDesc", g.desc},
                     {"totalContentCount", std::to_string(total)},
                     {"photoCount", std::to_string(photos)},
                     {"audioCount", std::to_string(audio)},
                     {"videoCount", std::to_string(videos)},
                     {"commentCount", std::to_string(comments)}};
  if (g.attributeForm) {
    w.open("group", fields);
  } else {
    w.open("group");
    for (const auto& f : fields) w.element(f.first, f.second);
  }
  w.open("groupImage")
      .element("groupImageUrl", url(base, g.imagePath))
      .open("thumbnail")
      .element("groupImageThumbnail_274X204", url(base, g.thumbPath))
      .close()
      .close();
  writeCreator(w, "groupMaster", d, g.masterUid, base, true);
  w.close();
}

void writeContentEntries(XmlWriter& w, const StoreData& d, const Content& c,
                         const std::string& base) {
  bool media = c.kind != ContentKind::Message && c.kind != ContentKind::Event;
  std::string desc = c.kind == ContentKind::Message ? c.messageText
                     : c.kind == ContentKind::Event ? c.eventTitle
                                                    : c.desc;
  w.element("contentId", c.uid)
      .element("contentType", typeName(c.kind))
      .element("contentRegisterTime", formatServiceDate(c.registerTime))
      .element("contentDesc", desc)
      .element("commentCount", static_cast<long long>(d.commentsOf(c.uid).size()));
  if (media) {
    w.element("uploadUrl", url(base, c.mediaPath))
        .open("contentDetail")
        .element("contentUrl", url(base, c.mediaPath))
        .element("size", c.size)
        .element("format", c.format)
        .element("width", c.width)
        .element("height", c.height)
        .element("createTime", formatServiceDate(c.createTime));
    writeThumbnails(w, c, base);
    w.close();
  }
  writeCreator(w, "contentCreator", d, c.creatorUid, base, false);
}

void writeFeedItems(XmlWriter& w, const StoreData& d, const std::vector<const Content*>& items,
                    const std::string& base) {
  bool inGroup = false;
  for (const Content* c : items) {
    bool feed = c->form == ContentForm::Feed;
    if (feed && inGroup) {
      w.close();
      inGroup = false;
    }
    if (!feed && !inGroup) {
      w.open("group");
      inGroup = true;
    }
    switch (c->form) {
      case ContentForm::Feed:
        w.open("content");
        writeContentEntries(w, d, *c, base);
        w.close();
        break;
      case ContentForm::Gallery:
        writeGalleryItem(w, d, *c, base);
        break;
      case ContentForm::Message:
        writeMessageItem(w, d, *c, base);
        break;
      case ContentForm::Calendar:
        writeCalendarItem(w, d, *c, base);
        break;
    }
  }
  if (inGroup) w.close();
}

void writeComment(XmlWriter& w, const StoreData& d, const Comment& c, const std::string& base) {
  w.open("comment")
      .element("commentId", c.uid)
      .element("commentSize", static_cast<long long>(c.text.size()))
      .element("commentText", c.text)
      .element("commentRegisterDate", formatServiceDate(c.registerDate));
  writeCreator(w, "commentCreator", d, c.creatorUid, base, false);
  w.close();
}

}  // namespace kvsim
