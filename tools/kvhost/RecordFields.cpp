// Field selection for groups, contents and comments.
#include "RecordFields.h"

#include <W/WKVComment.h>

namespace kvhost {

std::string personLabel(const W::WPerson& person) {
  return person.getName().empty() ? person.getUID() : person.getName();
}

Record groupRecord(const W::WGroup& group) {
  Record r;
  r.text("uid", group.getUID())
      .text("name", group.getName())
      .text("description", group.getDescription(), false)
      .number("total", group.getTotalCount())
      .number("photos", group.getPhotoCount())
      .number("videos", group.getVideoCount(), false)
      .number("audios", group.getAudioCount(), false)
      .number("comments", group.getCommentCount())
      .text("master", group.hasMaster() ? personLabel(group.getMaster()) : std::string())
      .text("image", group.getImage().getResourceURL(), false);
  return r;
}

Record contentRecord(const W::WContent& content) {
  const auto& thumbnails = content.getThumbnails();
  Record r;
  r.text("uid", content.getUID())
      .text("type", content.getType())
      .text("description", content.getDescription())
      .text("user", content.hasUser() ? personLabel(content.getUser()) : std::string())
      .number("comments", content.getCommentCount())
      .text("date", content.getRegisterDate().toString())
      .text("mime", content.getMIMEType(), false)
      .text("url", content.getResourceURL(), false)
      .text("thumbnail", thumbnails.empty() ? std::string() : thumbnails.front().getResourceURL(),
            false);
  return r;
}

Record commentRecord(const W::WComment& comment) {
  const W::WKVComment kv(comment);
  Record r;
  r.text("uid", kv.getUID())
      .text("text", kv.getComment())
      .text("user", kv.hasUser() ? personLabel(kv.getUser()) : std::string())
      .text("date", kv.getRegisterDate().toString())
      .text("size", kv.getSize(), false);
  return r;
}

}  // namespace kvhost
