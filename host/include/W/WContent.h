// One item of a group: photo, video, music, message-board or calendar entry,
// or feed item. It is a media resource: its own URL is the resource URL.
#pragma once

#include <W/WComment.h>
#include <W/WEvent.h>
#include <W/WMediaResource.h>
#include <W/WMessage.h>
#include <W/WPerson.h>
#include <W/WSize.h>

#include <list>

namespace W {

class WContent : public WMediaResource {
 public:
  const STRING& getType() const { return m_type; }
  void setType(STRING v) { m_type = std::move(v); }
  const STRING& getDescription() const { return m_description; }
  void setDescription(STRING v) { m_description = std::move(v); }
  const STRING& getSize() const { return m_size; }
  void setSize(STRING v) { m_size = std::move(v); }
  const STRING& getDuration() const { return m_duration; }
  void setDuration(STRING v) { m_duration = std::move(v); }
  const STRING& getFormat() const { return m_format; }
  void setFormat(STRING v) { m_format = std::move(v); }
  const STRING& getExt() const { return m_ext; }
  void setExt(STRING v) { m_ext = std::move(v); }
  const STRING& getGalleryID() const { return m_galleryID; }
  void setGalleryID(STRING v) { m_galleryID = std::move(v); }
  const STRING& getMsgBoardID() const { return m_msgBoardID; }
  void setMsgBoardID(STRING v) { m_msgBoardID = std::move(v); }
  const STRING& getCalendarID() const { return m_calendarID; }
  void setCalendarID(STRING v) { m_calendarID = std::move(v); }

  const WDateTime& getCreateDate() const { return m_createDate; }
  void setCreateDate(const WDateTime& v) { m_createDate = v; }
  const WDateTime& getCreateTime() const { return m_createTime; }
  void setCreateTime(const WDateTime& v) { m_createTime = v; }
  const WDateTime& getRegisterDate() const { return m_registerDate; }
  void setRegisterDate(const WDateTime& v) { m_registerDate = v; }
  const WDateTime& getRegisterTime() const { return m_registerTime; }
  void setRegisterTime(const WDateTime& v) { m_registerTime = v; }

  const WSize& getResolution() const { return m_resolution; }
  void setResolution(const WSize& v) { m_resolution = v; }
  const WPerson& getUser() const { return m_user; }
  bool hasUser() const { return m_hasUser; }
  void setUser(WPerson v) {
    m_user = std::move(v);
    m_hasUser = true;
  }
  int getCommentCount() const { return m_commentCount; }
  void setCommentCount(int v) { m_commentCount = v; }

  const std::list<WComment>& getComments() const { return m_comments; }
  void setComments(std::list<WComment> v) { m_comments = std::move(v); }
  const std::list<WEvent>& getEvents() const { return m_events; }
  void setEvents(std::list<WEvent> v) { m_events = std::move(v); }
  const std::list<WMessage>& getMessages() const { return m_messages; }
  void setMessages(std::list<WMessage> v) { m_messages = std::move(v); }
  const std::list<WMediaResource>& getThumbnails() const { return m_thumbnails; }
  void setThumbnails(std::list<WMediaResource> v) { m_thumbnails = std::move(v); }

 private:
  STRING m_type, m_description, m_size, m_duration, m_format, m_ext;
  STRING m_galleryID, m_msgBoardID, m_calendarID;
  WDateTime m_createDate, m_createTime, m_registerDate, m_registerTime;
  WSize m_resolution;
  WPerson m_user;
  bool m_hasUser = false;
  int m_commentCount = 0;
  std::list<WComment> m_comments;
  std::list<WEvent> m_events;
  std::list<WMessage> m_messages;
  std::list<WMediaResource> m_thumbnails;
};

}  // namespace W
