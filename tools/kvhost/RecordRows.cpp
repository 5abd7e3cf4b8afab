// Table rows of groups, contents and comments. The text goes last: it is
// the longest cell, and the last column needs no padding.
#include "RecordRows.h"

#include <W/WKVComment.h>

#include "ContentForm.h"

namespace kvhost {

Row rowOf(const W::WGroup& group) {
  Row r;
  r.add("uid", group.getUID())
      .add("name", group.getName())
      .add("total", std::to_string(group.getTotalCount()))
      .add("photos", std::to_string(group.getPhotoCount()))
      .add("comments", std::to_string(group.getCommentCount()))
      .add("master", group.hasMaster() ? personLabel(group.getMaster()) : std::string());
  return r;
}

Row rowOf(const W::WContent& content) {
  const ContentSummary s = summarize(content);
  Row r;
  r.add("uid", content.getUID())
      .add("form", s.form)
      .add("user", s.person)
      .add("date", s.date)
      .add("comments", std::to_string(content.getCommentCount()))
      .add("text", s.text);
  return r;
}

Row rowOf(const W::WComment& comment) {
  const W::WKVComment kv(comment);
  Row r;
  r.add("uid", kv.getUID())
      .add("user", kv.hasUser() ? personLabel(kv.getUser()) : std::string())
      .add("date", kv.getRegisterDate().toString())
      .add("text", kv.getComment());
  return r;
}

}  // namespace kvhost
