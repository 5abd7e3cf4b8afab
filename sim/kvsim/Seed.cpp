// Default data: a small family with enough contents in "Family" that its feed
// pages with the plug-in's default count.
#include "Seed.h"

#include "HttpDate.h"
#include "MediaBytes.h"

namespace kvsim {

namespace {

const int kThumbSizes[3][2] = {{1920, 1080}, {540, 405}, {116, 87}};

std::time_t seedTime(int hoursAfterBase) {
  return utcTime(2026, 11, 1, 8, 0, 0) + static_cast<std::time_t>(hoursAfterBase) * 3600;
}

const char* const kPhotoTitles[] = {"Beach day", "Picnic",    "First snow",  "Birthday cake",
                                    "Garden",    "Road trip", "School play", "Fishing",
                                    "Pumpkins",  "Zoo visit", "Sunset",      "Kite flying"};

Content photo(const std::string& group, const std::string& creator, int hour, int index) {
  Content c;
  c.groupUid = group;
  c.kind = ContentKind::Photo;
  c.creatorUid = creator;
  c.desc = std::string(kPhotoTitles[index % 12]) + " " + std::to_string(index / 12 + 1);
  c.createTime = seedTime(hour) - 1800;
  c.registerTime = seedTime(hour);
  c.format = "jpg";
  c.mime = "image/jpeg";
  c.width = 1920;
  c.height = 1080;
  return c;
}

Content& addPhoto(StoreData& d, Content c) {
  Content& added = d.addContent(std::move(c));
  attachContentMedia(d, added, "photo.jpg", "image/jpeg",
                     makeJpeg(added.width, added.height, "kvsim " + added.uid + " " + added.desc));
  return added;
}

void comment(StoreData& d, const std::string& content, const std::string& creator,
             const std::string& text, int hour) {
  Comment m;
  m.contentUid = content;
  m.creatorUid = creator;
  m.text = text;
  m.registerDate = seedTime(hour) + 600;
  d.addComment(m);
}

}  // namespace

void addPerson(StoreData& d, const std::string& uid, const std::string& name,
               const std::string& phone) {
  Person p;
  p.uid = uid;
  p.name = name;
  p.phone = phone;
  p.registerDate = utcTime(2026, 9, 1, 12, 0, 0);
  p.picturePath = "/media/users/" + uid + "/picture_72X72.png";
  uint8_t shade = static_cast<uint8_t>(40 * (uid.size() + uid.back()));
  d.addMedia(p.picturePath, "image/png", makePng(72, 72, shade, 120, 200));
  d.persons[uid] = p;
}

void addGroupImages(StoreData& d, Group& g) {
  g.imagePath = "/media/groups/" + g.uid + "/image.png";
  g.thumbPath = "/media/groups/" + g.uid + "/thumb_274X204.png";
  uint8_t shade = static_cast<uint8_t>(60 * g.uid.size() + 7 * g.uid.back());
  d.addMedia(g.imagePath, "image/png", makePng(640, 480, 200, shade, 90));
  d.addMedia(g.thumbPath, "image/png", makePng(274, 204, 200, shade, 90));
}

void attachContentMedia(StoreData& d, Content& c, const std::string& name, const std::string& mime,
                        std::string bytes) {
  std::string dir = "/media/contents/" + c.uid + "/";
  c.mediaPath = dir + name;
  c.size = static_cast<long>(bytes.size());
  c.mime = mime;
  d.addMedia(c.mediaPath, mime, std::move(bytes));
  for (int i = 0; i < 3; ++i) {
    const int w = kThumbSizes[i][0];
    const int h = kThumbSizes[i][1];
    c.thumbPaths[i] = dir + "thumb_" + std::to_string(w) + "X" + std::to_string(h) + ".jpg";
    d.addMedia(c.thumbPaths[i], "image/jpeg", makeJpeg(w, h, "kvsim thumbnail " + c.uid));
  }
}

namespace {

void addPersons(StoreData& d) {
  addPerson(d, "u1", "Alex Kim", "010-1000-0001");
  addPerson(d, "u2", "Sam Kim", "010-1000-0002");
  addPerson(d, "u3", "Rose Kim", "010-1000-0003");
  addPerson(d, "u4", "Joe Kim", "010-1000-0004");
}

void addGroups(StoreData& d) {
  Group family;
  family.name = "Family";
  family.desc = "Alex & Sam's everyday pictures";
  family.masterUid = "u1";
  family.members = {"u1", "u2"};
  family.created = utcTime(2026, 10, 1, 9, 0, 0);
  family.lastUsed = seedTime(40);
  Group& g1 = d.addGroup(family);  // g1, written with child elements
  addGroupImages(d, g1);

  Group grand;
  grand.name = "Grandparents";
  grand.desc = "News for Grandma <Rose> and Grandpa \"Joe\"";
  grand.masterUid = "u3";
  grand.members = {"u3", "u4", "u1"};
  grand.created = utcTime(2026, 10, 5, 9, 0, 0);
  grand.lastUsed = seedTime(48);
  grand.attributeForm = true;
  Group& g2 = d.addGroup(grand);  // g2, written with attributes
  addGroupImages(d, g2);
}

// c1034: a video in the gallery form (resolution as contentResolutionX/Y).
void addGalleryVideo(StoreData& d) {
  Content video = photo("g1", "u2", 33, 0);
  video.kind = ContentKind::Video;
  video.form = ContentForm::Gallery;
  video.galleryId = "gal1";
  video.desc = "Swimming lesson";
  video.format = "mp4";
  video.width = 1280;
  video.height = 720;
  video.duration = "00:00:12";
  Content& v = d.addContent(video);
  attachContentMedia(d, v, "clip.mp4", "video/mp4", makeMp4("kvsim " + v.uid, 24 * 1024));
}

// c1035: a gallery photo linked to the birthday event c1038.
void addLinkedPhoto(StoreData& d) {
  Content linked = photo("g1", "u1", 34, 3);
  linked.form = ContentForm::Gallery;
  linked.galleryId = "gal1";
  linked.desc = "Cake for Grandma";
  linked.linkedEventUid = "c1038";
  addPhoto(d, linked);
}

// c1036: music in the feed form.
void addMusic(StoreData& d) {
  Content music = photo("g1", "u1", 35, 0);
  music.kind = ContentKind::Music;
  music.desc = "Happy birthday song";
  music.format = "mp3";
  music.width = 0;
  music.height = 0;
  music.duration = "00:01:05";
  Content& mu = d.addContent(music);
  attachContentMedia(d, mu, "song.mp3", "audio/mpeg", makeMp3("kvsim " + mu.uid, 16 * 1024));
}

// c1037: a message-board entry.
void addMessage(StoreData& d) {
  Content message;
  message.groupUid = "g1";
  message.kind = ContentKind::Message;
  message.form = ContentForm::Message;
  message.creatorUid = "u2";
  message.messageBoardId = "mb1";
  message.messageText = "Dinner at 7 on Sunday & bring dessert!";
  message.createTime = message.registerTime = seedTime(36);
  d.addContent(message);
}

// c1038: a calendar entry.
void addEvent(StoreData& d) {
  Content event;
  event.groupUid = "g1";
  event.kind = ContentKind::Event;
  event.form = ContentForm::Calendar;
  event.creatorUid = "u1";
  event.calendarId = "cal1";
  event.eventTitle = "Grandma's birthday";
  event.eventType = "birthday";
  event.eventStart = utcTime(2026, 12, 20, 17, 0, 0);
  event.eventEnd = utcTime(2026, 12, 20, 21, 0, 0);
  event.eventDesc = "Party at Rose's house";
  event.createTime = event.registerTime = seedTime(37);
  d.addContent(event);
}

// c1039..c1041: the grandparents' group.
void addGrandparentsContents(StoreData& d) {
  addPhoto(d, photo("g2", "u3", 38, 4));
  addPhoto(d, photo("g2", "u4", 39, 7));
  Content garden = photo("g2", "u3", 40, 4);
  garden.form = ContentForm::Gallery;
  garden.galleryId = "gal2";
  garden.desc = "Roses in bloom";
  addPhoto(d, garden);
}

void addComments(StoreData& d) {
  comment(d, "c1001", "u2", "So sunny!", 1);
  comment(d, "c1001", "u1", "Best day of the summer", 2);
  comment(d, "c1001", "u3", "Lovely <3", 3);
  comment(d, "c1035", "u2", "Yum", 35);
  comment(d, "c1039", "u3", "Our garden in May", 39);
}

}  // namespace

// The steps add records in this order: the store numbers contents and comments
// as they come, and README.md lists those numbers.
void seedFamily(StoreData& d) {
  addPersons(d);
  addGroups(d);
  // c1001..c1033: photos in the feed form.
  for (int i = 0; i < 33; ++i) addPhoto(d, photo("g1", i % 3 == 1 ? "u2" : "u1", i, i));
  addGalleryVideo(d);
  addLinkedPhoto(d);
  addMusic(d);
  addMessage(d);
  addEvent(d);
  addGrandparentsContents(d);
  addComments(d);
}

}  // namespace kvsim
