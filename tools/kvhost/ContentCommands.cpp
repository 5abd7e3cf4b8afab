// upload, view, delete and the comment commands.
#include "Commands.h"

#include <W/WComment.h>
#include <W/WContent.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "MimeType.h"

namespace kvhost {

namespace {

W::WContent contentWithUID(const std::string& uid) {
  W::WContent content;
  content.setUID(uid);
  return content;
}

}  // namespace

Outcome runUpload(Context& c) {
  const Invocation& inv = c.invocation;
  const std::string path = inv.arg(1);
  // The plug-in would still ask for an upload slot without the file; a
  // clear message here is more useful.
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    std::fprintf(stderr, "kvhost: upload: cannot read %s: %s\n", path.c_str(),
                 std::strerror(errno));
    return Outcome{Outcome::kFailed, 0};
  }
  std::fclose(file);

  W::WGroup group;
  group.setUID(inv.arg(0));
  W::WContent content;
  content.setMIMEType(inv.text("mime", mimeTypeForFile(path)));
  content.setDescription(inv.text("desc"));
  RunMode mode;
  mode.transfer = true;
  return c.driver.run(
      "upload",
      [&](void* ud) {
        return c.provider.createContent(group, content, W::KV_CONTENT_PHOTO, path,
                                        &callbacks::onContentCreation, ud);
      },
      mode);
}

Outcome runView(Context& c) {
  return runOnUID(c, "view", &W::WKinvaleOAI::viewContent, &callbacks::onContent);
}

Outcome runDelete(Context& c) {
  return runOnUID(c, "delete", &W::WKinvaleOAI::deleteContent, &callbacks::onContent);
}

Outcome runComments(Context& c) {
  const W::WContent content = contentWithUID(c.invocation.arg(0));
  const auto index = static_cast<W::UINT32>(c.invocation.number("index", 0));
  const auto count = static_cast<W::UINT32>(c.invocation.number("count", 0));
  return c.driver.run("comments", [&](void* ud) {
    return c.provider.retrieveComments(content, &callbacks::onCommentList, index, count, ud);
  });
}

Outcome runComment(Context& c) {
  const W::WContent content = contentWithUID(c.invocation.arg(0));
  W::WComment comment;
  comment.setComment(c.invocation.arg(1));
  return c.driver.run("comment", [&](void* ud) {
    return c.provider.createComment(content, comment, &callbacks::onCommentText, ud);
  });
}

Outcome runCommentView(Context& c) {
  return runOnUID(c, "comment-view", &W::WKinvaleOAI::viewComment, &callbacks::onCommentText);
}

Outcome runCommentDelete(Context& c) {
  return runOnUID(c, "comment-delete", &W::WKinvaleOAI::deleteComment, &callbacks::onComment);
}

}  // namespace kvhost
