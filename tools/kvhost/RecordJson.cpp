// JSON objects of groups, contents, comments and the records inside them.
#include "RecordJson.h"

#include <W/WKVComment.h>
#include <W/WKVEvent.h>
#include <W/WKVMessage.h>
#include <W/WKVUser.h>

#include "ContentForm.h"

namespace kvhost {

namespace {

Json dateOf(const W::WDateTime& date) {
  return date.isValid() ? Json(date.toString()) : Json();
}

Json mediaOf(const W::WMediaResource& media) {
  return Json{
      {"uid", media.getUID()}, {"url", media.getResourceURL()}, {"mime", media.getMIMEType()}};
}

Json personOf(const W::WPerson& person) {
  const W::WKVUser user(person);
  return Json{{"uid", user.getUID()},
              {"name", user.getName()},
              {"phone", user.getPhoneNumber()},
              {"photo", mediaOf(user.getPhoto())},
              {"status", user.getStatus()},
              {"status_code", user.hasStatusCode() ? Json(user.getStatusCode()) : Json()},
              {"del_flag", user.getDelFlag()},
              {"register_date", dateOf(user.getRegisterDate())}};
}

// The person, or null for a record whose person was never set.
Json userOf(bool has, const W::WPerson& person) {
  return has ? personOf(person) : Json();
}

Json eventOf(const W::WEvent& record) {
  const W::WKVEvent event(record);
  const bool timed = event.hasWhen();
  return Json{{"uid", event.getUID()},
              {"title", event.getTitle()},
              {"type", event.getType()},
              {"description", event.getDescription()},
              {"calendar_uid", event.getCalendarUID()},
              {"start", timed ? dateOf(event.getWhen().getStartTime()) : Json()},
              {"end", timed ? dateOf(event.getWhen().getEndTime()) : Json()},
              {"register_date", dateOf(event.getRegisterDate())},
              {"user", userOf(event.hasUser(), event.getUser())}};
}

Json messageOf(const W::WMessage& record) {
  const W::WKVMessage message(record);
  return Json{{"uid", message.getUID()},
              {"text", message.getText()},
              {"register_date", dateOf(message.getRegisterDate())},
              {"user", userOf(message.hasUser(), message.getUser())}};
}

template <class T>
Json arrayOf(const std::list<T>& records, Json (*toJson)(const T&)) {
  Json array = Json::array();
  for (const T& record : records) array.push_back(toJson(record));
  return array;
}

}  // namespace

Json jsonOf(const W::WGroup& group) {
  return Json{{"uid", group.getUID()},
              {"name", group.getName()},
              {"description", group.getDescription()},
              {"image_url", group.getImageUrl()},
              {"image", mediaOf(group.getImage())},
              {"master", userOf(group.hasMaster(), group.getMaster())},
              {"total_count", group.getTotalCount()},
              {"photo_count", group.getPhotoCount()},
              {"video_count", group.getVideoCount()},
              {"audio_count", group.getAudioCount()},
              {"comment_count", group.getCommentCount()}};
}

Json jsonOf(const W::WContent& content) {
  Json (*comment)(const W::WComment&) = &jsonOf;
  return Json{{"uid", content.getUID()},
              {"form", contentForm(content)},
              {"type", content.getType()},
              {"description", content.getDescription()},
              {"user", userOf(content.hasUser(), content.getUser())},
              {"register_date", dateOf(content.getRegisterDate())},
              {"register_time", dateOf(content.getRegisterTime())},
              {"create_date", dateOf(content.getCreateDate())},
              {"create_time", dateOf(content.getCreateTime())},
              {"gallery_id", content.getGalleryID()},
              {"message_board_id", content.getMsgBoardID()},
              {"calendar_id", content.getCalendarID()},
              {"url", content.getResourceURL()},
              {"mime", content.getMIMEType()},
              {"size", content.getSize()},
              {"format", content.getFormat()},
              {"ext", content.getExt()},
              {"duration", content.getDuration()},
              {"resolution",
               {{"width", content.getResolution().getWidth()},
                {"height", content.getResolution().getHeight()}}},
              {"comment_count", content.getCommentCount()},
              {"thumbnails", arrayOf(content.getThumbnails(), &mediaOf)},
              {"comments", arrayOf(content.getComments(), comment)},
              {"events", arrayOf(content.getEvents(), &eventOf)},
              {"messages", arrayOf(content.getMessages(), &messageOf)}};
}

Json jsonOf(const W::WComment& record) {
  const W::WKVComment comment(record);
  return Json{{"uid", comment.getUID()},
              {"text", comment.getComment()},
              {"size", comment.getSize()},
              {"register_date", dateOf(comment.getRegisterDate())},
              {"user", userOf(comment.hasUser(), comment.getUser())}};
}

}  // namespace kvhost
