// The records kvsim keeps in memory: persons, groups, contents, comments and
// the media files behind every URL it hands out.
#pragma once

#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace kvsim {

struct Person {
  std::string uid;  // "u1", ...
  std::string name;
  std::string phone;
  std::time_t registerDate = 0;
  std::string picturePath;  // media path of the 72x72 picture
};

struct Group {
  std::string uid;  // "g1", ...
  std::string name;
  std::string desc;
  std::string masterUid;
  std::vector<std::string> members;  // master included
  std::time_t created = 0;
  std::time_t lastUsed = 0;
  bool attributeForm = false;  // write the plain fields as attributes
  std::string imagePath;       // media path of the group image
  std::string thumbPath;       // media path of its 274x204 thumbnail
};

enum class ContentKind { Photo, Video, Music, Message, Event };

// How the content is written inside a feed answer.
enum class ContentForm { Feed, Gallery, Message, Calendar };

struct Content {
  std::string uid;  // "c1001", ...
  long number = 0;  // the numeric part, for the content_id ordering
  std::string groupUid;
  ContentKind kind = ContentKind::Photo;
  ContentForm form = ContentForm::Feed;
  std::string creatorUid;
  std::string desc;
  std::time_t createTime = 0;    // when the file was made
  std::time_t registerTime = 0;  // when it was uploaded
  std::string format;            // "jpg", "mp4", ...
  std::string mime;
  int width = 0;
  int height = 0;
  std::string duration;  // "00:00:12" for videos and music
  long size = 0;         // bytes of the media file
  std::string mediaPath;
  std::string thumbPaths[3];  // 1920X1080, 540X405, 116X87
  std::string galleryId;      // gallery form
  std::string messageBoardId;
  std::string messageText;
  std::string calendarId;
  std::string eventTitle;
  std::string eventType;
  std::time_t eventStart = 0;
  std::time_t eventEnd = 0;
  std::string eventDesc;
  std::string linkedEventUid;  // a gallery photo pointing at a calendar entry
  bool uploaded = true;        // false while an upload slot waits for its file
  long announcedSize = -1;     // file_size of the upload slot, -1 when none
};

struct Comment {
  std::string uid;  // "m2001", ...
  long number = 0;
  std::string contentUid;
  std::string creatorUid;
  std::string text;
  std::time_t registerDate = 0;
};

struct Media {
  std::string mime;
  std::shared_ptr<const std::string> bytes;
};

// Names of the three content thumbnail sizes, in the order of thumbPaths.
extern const char* const kThumbNames[3];

}  // namespace kvsim
