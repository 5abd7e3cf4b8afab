// --json over records of every form: whole records under their documented
// keys, in a stable order, escaped, one line per report.
#include <gtest/gtest.h>

#include "JsonWriter.h"
#include "RecordItem.h"
#include "SampleRecords.h"

namespace kvhost {
namespace {

using namespace samples;

TEST(JsonWriter, WritesWholeRecordsOfEveryForm) {
  // The creator-form persons of the samples.
  const std::string alex =
      "{\"uid\":\"u1\",\"name\":\"Alex Kim\",\"phone\":\"\",\"photo\":{\"uid\":"
      "\"userImageThumbnail_72X72\",\"url\":\"http://kv/u1.png\",\"mime\":\"\"},\"status\":\"\","
      "\"status_code\":null,\"del_flag\":\"\",\"register_date\":null}";
  const std::string sam =
      "{\"uid\":\"u2\",\"name\":\"Sam Kim\",\"phone\":\"\",\"photo\":{\"uid\":"
      "\"userImageThumbnail_72X72\",\"url\":\"http://kv/u2.png\",\"mime\":\"\"},\"status\":\"\","
      "\"status_code\":null,\"del_flag\":\"\",\"register_date\":null}";
  const struct {
    Report report;
    const char* line;  // the exact line, or null
    // JSON pointer and the JSON expected there (objects compare key order too).
    std::vector<std::pair<const char*, std::string>> at;
  } cases[] = {
      {report("groups", 100, Json{{"person", "me"}, {"count", 1}}, "groups", {itemOf(family())}),
       "{\"op\":\"groups\",\"status\":100,\"status_name\":\"WSTATUS_MORE_ITEMS\",\"person\":\"me\","
       "\"count\":1,\"groups\":[{\"uid\":\"g1\",\"name\":\"Family\",\"description\":\"Alex & Sam\","
       "\"image_url\":\"http://kv/g1.png\",\"image\":{\"uid\":\"groupImageThumbnail_274X204\","
       "\"url\":\"http://kv/g1_274.png\",\"mime\":\"\"},\"master\":{\"uid\":\"u1\",\"name\":\"Alex "
       "Kim\",\"phone\":\"\",\"photo\":{\"uid\":\"userImageThumbnail_72X72\",\"url\":\"http://kv/"
       "u1.png\",\"mime\":\"\"},\"status\":\"\",\"status_code\":null,\"del_flag\":\"\","
       "\"register_date\":null},\"total_count\":38,\"photo_count\":34,\"video_count\":3,"
       "\"audio_count\":1,\"comment_count\":4}]}",
       {}},
      {report("feed", 0, Json{{"count", 6}}, "contents",
              {itemOf(feedPhoto()), itemOf(bareItem()), itemOf(galleryVideo()),
               itemOf(messageEntry()), itemOf(calendarEntry()), itemOf(createdClip())}),
       nullptr,
       {{"/contents/0",
         "{\"uid\":\"c1\",\"form\":\"photo\",\"type\":\"photo\",\"description\":\"Beach day\","
         "\"user\":" +
             alex +
             ",\"register_date\":null,\"register_time\":\"2026-11-01 08:00:00\","
             "\"create_date\":\"2026-11-01 07:45:00\",\"create_time\":\"2026-11-01 07:30:00\","
             "\"gallery_id\":\"\",\"message_board_id\":\"\",\"calendar_id\":\"\",\"url\":\"http://"
             "kv/"
             "c1.jpg\",\"mime\":\"image/jpeg\",\"size\":\"8290\",\"format\":\"jpg\",\"ext\":\"\","
             "\"duration\":\"\",\"resolution\":{\"width\":1920,\"height\":1080},\"comment_count\":"
             "2,"
             "\"thumbnails\":[{\"uid\":\"contentThumbnail_116X87\",\"url\":\"http://kv/"
             "c1_116.jpg\","
             "\"mime\":\"image/png\"}],\"comments\":[],\"events\":[],\"messages\":[]}"},
        {"/contents/1",
         "{\"uid\":\"c2\",\"form\":\"feed\",\"type\":\"\",\"description\":\"Line1\\nLine2\","
         "\"user\":null,\"register_date\":null,\"register_time\":null,\"create_date\":null,"
         "\"create_time\":null,\"gallery_id\":\"\",\"message_board_id\":\"\",\"calendar_id\":\"\","
         "\"url\":\"\",\"mime\":\"\",\"size\":\"\",\"format\":\"\",\"ext\":\"\",\"duration\":\"\","
         "\"resolution\":{\"width\":0,\"height\":0},\"comment_count\":0,\"thumbnails\":[],"
         "\"comments\":[],\"events\":[],\"messages\":[]}"},
        {"/contents/2",
         "{\"uid\":\"c3\",\"form\":\"gallery\",\"type\":\"\",\"description\":\"Swimming lesson\","
         "\"user\":{\"uid\":\"u2\",\"name\":\"\",\"phone\":\"010-1000-0002\",\"photo\":{\"uid\":"
         "\"u2\",\"url\":\"http://kv/u2.png\",\"mime\":\"\"},\"status\":\"active\",\"status_code\":"
         "\"1\",\"del_flag\":\"N\",\"register_date\":\"2026-09-01 12:00:00\"},\"register_date\":"
         "\"2026-11-02 17:00:00\",\"register_time\":\"2026-11-02 17:05:00\",\"create_date\":"
         "\"2026-11-02 "
         "16:30:00\",\"create_time\":null,\"gallery_id\":\"gal1\",\"message_board_id\":"
         "\"\",\"calendar_id\":\"\",\"url\":\"http://kv/c3.mp4\",\"mime\":\"\",\"size\":\"24576\","
         "\"format\":\"mp4\",\"ext\":\"m4v\",\"duration\":\"00:00:12\",\"resolution\":{\"width\":"
         "1280,\"height\":720},\"comment_count\":1,\"thumbnails\":[],\"comments\":[{\"uid\":\"m4\","
         "\"text\":\"Yum\",\"size\":\"3\",\"register_date\":\"2026-11-02 19:10:00\",\"user\":" +
             sam +
             "}],\"events\":[{\"uid\":\"c5\",\"title\":\"\",\"type\":\"\",\"description\":\"\","
             "\"calendar_uid\":\"cal1\",\"start\":null,\"end\":null,\"register_date\":null,"
             "\"user\":"
             "null}],\"messages\":[]}"},
        {"/contents/3",
         "{\"uid\":\"c4\",\"form\":\"message\",\"type\":\"\",\"description\":\"\",\"user\":null,"
         "\"register_date\":\"2026-11-02 20:01:00\",\"register_time\":null,\"create_date\":"
         "\"2026-11-02 19:59:00\",\"create_time\":null,\"gallery_id\":\"\",\"message_board_id\":"
         "\"mb1\",\"calendar_id\":\"\",\"url\":\"\",\"mime\":\"\",\"size\":\"21\",\"format\":\"\","
         "\"ext\":\"\",\"duration\":\"\",\"resolution\":{\"width\":0,\"height\":0},"
         "\"comment_count\":0,\"thumbnails\":[],\"comments\":[],\"events\":[],\"messages\":[{"
         "\"uid\":"
         "\"\",\"text\":\"Dinner at 7 on Sunday\",\"register_date\":\"2026-11-02 "
         "20:00:00\",\"user\":" +
             sam + "}]}"},
        {"/contents/4",
         "{\"uid\":\"c5\",\"form\":\"event\",\"type\":\"\",\"description\":\"\",\"user\":null,"
         "\"register_date\":null,\"register_time\":null,\"create_date\":null,\"create_time\":null,"
         "\"gallery_id\":\"\",\"message_board_id\":\"\",\"calendar_id\":\"cal1\",\"url\":\"\","
         "\"mime\":\"\",\"size\":\"\",\"format\":\"\",\"ext\":\"\",\"duration\":\"\","
         "\"resolution\":"
         "{\"width\":0,\"height\":0},\"comment_count\":0,\"thumbnails\":[],\"comments\":[],"
         "\"events\":"
         "[{\"uid\":\"\",\"title\":\"Grandma's birthday\",\"type\":\"birthday\",\"description\":"
         "\"Rose's house\",\"calendar_uid\":\"\",\"start\":\"2026-12-20 17:00:00\",\"end\":"
         "\"2026-12-21 01:00:00\",\"register_date\":\"2026-11-02 21:00:00\",\"user\":" +
             alex + "}],\"messages\":[]}"},
        {"/contents/5/create_date", "\"2026-11-03 10:00:00\""},
        {"/contents/5/create_time", "\"2026-11-03 09:59:00\""}}},
      {report("comments", 0, Json::object(), "comments", {itemOf(comment("m1", "Hi"))}),
       nullptr,
       {{"/comments/0",
         "{\"uid\":\"m1\",\"text\":\"Hi\",\"size\":\"2\",\"register_date\":\"2026-11-02 19:10:00\","
         "\"user\":" +
             sam + "}"}}},
      {report("auth", -1, Json{{"stage", "start"}}, "", {}),
       "{\"op\":\"auth\",\"status\":-1,\"status_name\":\"WSTATUS_INVALID_ARGUMENT\","
       "\"stage\":\"start\"}",
       {}},
      {report("feed", -205, Json::object(), "contents", {}),
       "{\"op\":\"feed\",\"status\":-205,\"status_name\":\"WSTATUS_NOT_FOUND\",\"contents\":[]}",
       {}},
      // Escapes for quotes, backslashes and control bytes; UTF-8 as it is; a
      // byte that is not UTF-8 becomes U+FFFD.
      {report("download", 0, Json{{"name", "say \"hi\"\\\x01\n caf\xc3\xa9 \xff"}}, "", {}),
       "{\"op\":\"download\",\"status\":0,\"status_name\":\"WSTATUS_SUCCESS\","
       "\"name\":\"say \\\"hi\\\"\\\\\\u0001\\n caf\xc3\xa9 \xef\xbf\xbd\"}",
       {}},
  };
  for (const auto& c : cases) {
    const std::string line = toJsonLine(c.report);
    SCOPED_TRACE(line);
    if (c.line != nullptr) {
      EXPECT_EQ(line, c.line);
    }
    const Json parsed = Json::parse(line);
    for (const auto& check : c.at) {
      const Json::json_pointer pointer(check.first);
      ASSERT_TRUE(parsed.contains(pointer)) << check.first;
      EXPECT_EQ(parsed.at(pointer).dump(), Json::parse(check.second).dump()) << check.first;
    }
  }
}

}  // namespace
}  // namespace kvhost
