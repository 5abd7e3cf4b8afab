// Host records of every form, filled the way the plug-in fills them, and
// reports of them, for the tests of kvhost's two writers. Fields that an
// output could confuse (format and ext, the four dates, the counts) differ.
#pragma once

#include <W/WContent.h>
#include <W/WGroup.h>
#include <W/WKVComment.h>
#include <W/WKVEvent.h>
#include <W/WKVMessage.h>
#include <W/WKVUser.h>

#include <string>
#include <utility>
#include <vector>

#include "Report.h"

namespace kvhost {
namespace samples {

inline W::WDateTime at(const char* text) {
  return W::WDateTime::fromString(text, 0, 1);
}

inline W::WMediaResource media(const std::string& uid, const std::string& url) {
  W::WMediaResource m;
  m.setUID(uid);
  m.setResourceURL(url);
  return m;
}

// A creator-form person: UID, name and picture only.
inline W::WPerson creator(const std::string& uid, const std::string& name) {
  W::WPerson p;
  p.setUID(uid);
  p.setName(name);
  p.setPhoto(media("userImageThumbnail_72X72", "http://kv/" + uid + ".png"));
  return p;
}

// A member-form person with no name: tables show its UID.
inline W::WPerson member(const std::string& uid) {
  W::WKVUser u;
  u.setUID(uid);
  u.setPhoneNumber("010-1000-0002");
  u.setPhoto(media(uid, "http://kv/" + uid + ".png"));
  u.setStatus("active");
  u.setStatusCode("1");
  u.setDelFlag("N");
  u.setRegisterDate(at("2026-09-01 12:00:00"));
  return u;
}

// Feed form: type, description, register time, creator, detail.
inline W::WContent feedPhoto() {
  W::WContent c;
  c.setUID("c1");
  c.setType("photo");
  c.setDescription("Beach day");
  c.setRegisterTime(at("2026-11-01 08:00:00"));
  c.setCreateDate(at("2026-11-01 07:45:00"));
  c.setCreateTime(at("2026-11-01 07:30:00"));
  c.setUser(creator("u1", "Alex Kim"));
  c.setCommentCount(2);
  c.setResourceURL("http://kv/c1.jpg");
  c.setMIMEType("image/jpeg");
  W::WMediaResource thumbnail = media("contentThumbnail_116X87", "http://kv/c1_116.jpg");
  thumbnail.setMIMEType("image/png");
  c.setThumbnails({thumbnail});
  c.setSize("8290");
  c.setFormat("jpg");
  c.setResolution(W::WSize(1920, 1080));
  return c;
}

// A feed item with nothing but its UID and a two-line description.
inline W::WContent bareItem() {
  W::WContent c;
  c.setUID("c2");
  c.setDescription("Line1\nLine2");
  return c;
}

inline W::WComment comment(const std::string& uid, const std::string& text) {
  W::WKVComment m;
  m.setUID(uid);
  m.setComment(text);
  m.setSize(std::to_string(text.size()));
  m.setRegisterDate(at("2026-11-02 19:10:00"));
  m.setUser(creator("u2", "Sam Kim"));
  return m;
}

inline W::WKVEvent birthday() {
  W::WKVEvent e;
  e.setTitle("Grandma's birthday");
  e.setType("birthday");
  e.setWhen(W::WWhen(at("2026-12-20 17:00:00"), at("2026-12-21 01:00:00")));
  e.setDescription("Rose's house");
  e.setRegisterDate(at("2026-11-02 21:00:00"));
  e.setUser(creator("u1", "Alex Kim"));
  return e;
}

// Gallery form: media details, register date, member, comments, linked event.
inline W::WContent galleryVideo() {
  W::WContent c;
  c.setUID("c3");
  c.setGalleryID("gal1");
  c.setDescription("Swimming lesson");
  c.setFormat("mp4");
  c.setExt("m4v");
  c.setSize("24576");
  c.setResolution(W::WSize(1280, 720));
  c.setDuration("00:00:12");
  c.setCreateDate(at("2026-11-02 16:30:00"));
  c.setRegisterDate(at("2026-11-02 17:00:00"));
  c.setRegisterTime(at("2026-11-02 17:05:00"));
  c.setResourceURL("http://kv/c3.mp4");
  c.setUser(member("u2"));
  c.setCommentCount(1);
  c.setComments({comment("m4", "Yum")});
  W::WKVEvent link;
  link.setUID("c5");
  link.setCalendarUID("cal1");
  c.setEvents({link});
  return c;
}

// Message form: the text, writer and date are in the message.
inline W::WContent messageEntry() {
  W::WContent c;
  c.setUID("c4");
  c.setMsgBoardID("mb1");
  c.setSize("21");
  c.setCreateDate(at("2026-11-02 19:59:00"));
  c.setRegisterDate(at("2026-11-02 20:01:00"));
  W::WKVMessage m;
  m.setText("Dinner at 7 on Sunday");
  m.setRegisterDate(at("2026-11-02 20:00:00"));
  m.setUser(creator("u2", "Sam Kim"));
  c.setMessages({m});
  return c;
}

// A feed item dated only by its creation.
inline W::WContent createdClip() {
  W::WContent c;
  c.setUID("c6");
  c.setType("video");
  c.setDescription("Clip");
  c.setCreateDate(at("2026-11-03 10:00:00"));
  c.setCreateTime(at("2026-11-03 09:59:00"));
  return c;
}

// Calendar form: title, time, place, writer and date are in the event.
inline W::WContent calendarEntry() {
  W::WContent c;
  c.setUID("c5");
  c.setCalendarID("cal1");
  c.setEvents({birthday()});
  return c;
}

inline W::WGroup family() {
  W::WGroup g;
  g.setUID("g1");
  g.setName("Family");
  g.setDescription("Alex & Sam");
  g.setImageUrl("http://kv/g1.png");
  g.setImage(media("groupImageThumbnail_274X204", "http://kv/g1_274.png"));
  g.setMaster(creator("u1", "Alex Kim"));
  g.setTotalCount(38);
  g.setPhotoCount(34);
  g.setVideoCount(3);
  g.setAudioCount(1);
  g.setCommentCount(4);
  return g;
}

inline Report report(const char* op, int status, Json values, const char* listName,
                     std::vector<Item> items) {
  Report r;
  r.op = op;
  r.status = status;
  r.values = std::move(values);
  r.listName = listName;
  r.items = std::move(items);
  return r;
}

}  // namespace samples
}  // namespace kvhost
