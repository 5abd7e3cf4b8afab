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
  const struct {
    Report report;
    const char* line;  // the exact line, or null
    // JSON pointer and the JSON expected there (objects compare key order too).
    std::vector<std::pair<const char*, const char*>> at;
  } cases[] = {
      {report("groups", 100, Json{{"person", "me"}, {"count", 1}}, "groups", {itemOf(family())}),
       "{\"op\":\"groups\",\"status\":100,\"status_name\":\"WSTATUS_MORE_ITEMS\",\"person\":\"me\","
       "\"count\":1,\"groups\":[{\"uid\":\"g1\",\"name\":\"Family\",\"description\":\"Alex & Sam\","
       "\"image_url\":\"http://kv/g1.png\",\"image\":{\"uid\":\"groupImageThumbnail_274X204\","
       "\"url\":\"http://kv/g1_274.png\",\"mime\":\"\"},\"master\":{\"uid\":\"u1\",\"name\":\"Alex "
       "Kim\",\"phone\":\"\",\"photo\":{\"uid\":\"userImageThumbnail_72X72\",\"url\":\"http://kv/"
       "u1.png\",\"mime\":\"\"},\"status\":\"\",\"status_code\":null,\"del_flag\":\"\","
       "\"register_date\":null},\"total_count\":38,\"photo_count\":34,\"video_count\":1,"
       "\"audio_count\":1,\"comment_count\":4}]}",
       {}},
      {report("feed", 0, Json{{"count", 5}}, "contents",
              {itemOf(feedPhoto()), itemOf(bareItem()), itemOf(galleryVideo()),
               itemOf(messageEntry()), itemOf(calendarEntry())}),
       nullptr,
       {{"/contents/0/form", "\"photo\""},
        {"/contents/0/register_time", "\"2026-11-01 08:00:00\""},
        {"/contents/0/user/name", "\"Alex Kim\""},
        {"/contents/0/thumbnails",
         "[{\"uid\":\"contentThumbnail_116X87\",\"url\":\"http://kv/c1_116.jpg\",\"mime\":\"\"}]"},
        {"/contents/0/resolution", "{\"width\":1920,\"height\":1080}"},
        {"/contents/1",
         "{\"uid\":\"c2\",\"form\":\"feed\",\"type\":\"\",\"description\":\"Line1\\nLine2\","
         "\"user\":null,\"register_date\":null,\"register_time\":null,\"create_date\":null,"
         "\"create_time\":null,\"gallery_id\":\"\",\"message_board_id\":\"\",\"calendar_id\":\"\","
         "\"url\":\"\",\"mime\":\"\",\"size\":\"\",\"format\":\"\",\"ext\":\"\",\"duration\":\"\","
         "\"resolution\":{\"width\":0,\"height\":0},\"comment_count\":0,\"thumbnails\":[],"
         "\"comments\":[],\"events\":[],\"messages\":[]}"},
        {"/contents/2/form", "\"gallery\""},
        {"/contents/2/gallery_id", "\"gal1\""},
        {"/contents/2/duration", "\"00:00:12\""},
        {"/contents/2/user",
         "{\"uid\":\"u2\",\"name\":\"\",\"phone\":\"010-1000-0002\",\"photo\":{\"uid\":\"u2\","
         "\"url\":\"http://kv/u2.png\",\"mime\":\"\"},\"status\":\"active\",\"status_code\":\"1\","
         "\"del_flag\":\"N\",\"register_date\":\"2026-09-01 12:00:00\"}"},
        {"/contents/2/comments/0/text", "\"Yum\""},
        {"/contents/2/comments/0/size", "\"3\""},
        {"/contents/2/comments/0/register_date", "\"2026-11-02 19:10:00\""},
        {"/contents/2/comments/0/user/name", "\"Sam Kim\""},
        {"/contents/2/events/0",
         "{\"uid\":\"c5\",\"title\":\"\",\"type\":\"\",\"description\":\"\",\"calendar_uid\":"
         "\"cal1\",\"start\":null,\"end\":null,\"register_date\":null,\"user\":null}"},
        {"/contents/3/form", "\"message\""},
        {"/contents/3/message_board_id", "\"mb1\""},
        {"/contents/3/create_date", "\"2026-11-02 19:59:00\""},
        {"/contents/3/messages/0/text", "\"Dinner at 7 on Sunday\""},
        {"/contents/3/messages/0/register_date", "\"2026-11-02 20:00:00\""},
        {"/contents/3/messages/0/user/name", "\"Sam Kim\""},
        {"/contents/4/form", "\"event\""},
        {"/contents/4/events/0/title", "\"Grandma's birthday\""},
        {"/contents/4/events/0/type", "\"birthday\""},
        {"/contents/4/events/0/start", "\"2026-12-20 17:00:00\""},
        {"/contents/4/events/0/end", "\"2026-12-21 01:00:00\""},
        {"/contents/4/events/0/description", "\"Rose's house\""},
        {"/contents/4/events/0/user/uid", "\"u1\""}}},
      {report("comments", 0, Json::object(), "comments", {itemOf(comment("m1", "Hi"))}),
       nullptr,
       {{"/comments/0",
         "{\"uid\":\"m1\",\"text\":\"Hi\",\"size\":\"2\",\"register_date\":\"2026-11-02 19:10:00\","
         "\"user\":{\"uid\":\"u2\",\"name\":\"Sam Kim\",\"phone\":\"\",\"photo\":{\"uid\":"
         "\"userImageThumbnail_72X72\",\"url\":\"http://kv/u2.png\",\"mime\":\"\"},\"status\":\"\","
         "\"status_code\":null,\"del_flag\":\"\",\"register_date\":null}}"}}},
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
      EXPECT_EQ(parsed.at(pointer), Json::parse(check.second)) << check.first;
    }
  }
}

}  // namespace
}  // namespace kvhost
