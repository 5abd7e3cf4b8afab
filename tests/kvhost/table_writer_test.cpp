// Readable output over records of every form: status line, values, aligned
// columns, and the text, person and date each form keeps in its own place.
#include <gtest/gtest.h>

#include "RecordItem.h"
#include "SampleRecords.h"
#include "TableWriter.h"

namespace kvhost {
namespace {

using namespace samples;

TEST(TableWriter, PrintsEveryFormReadably) {
  W::WKVComment stranger;
  stranger.setUID("m100");
  stranger.setComment(
      "Gr\xc3\xbc\xc3\x9f"
      "e");
  W::WPerson juergen = creator("u9", "J\xc3\xbcrgen");
  stranger.setUser(juergen);
  W::WGroup bare;
  bare.setUID("g2");
  bare.setName("Grandparents");

  const struct {
    Report report;
    const char* expected;
  } cases[] = {
      {report("feed", 0, Json{{"count", 6}}, "contents",
              {itemOf(feedPhoto()), itemOf(bareItem()), itemOf(galleryVideo()),
               itemOf(messageEntry()), itemOf(calendarEntry()), itemOf(createdClip())}),
       "feed: WSTATUS_SUCCESS (0)\n"
       "  count: 6\n"
       "  UID  FORM     USER      DATE                 COMMENTS  TEXT\n"
       "  c1   photo    Alex Kim  2026-11-01 08:00:00  2         Beach day\n"
       "  c2   feed                                    0         Line1\\nLine2\n"
       "  c3   gallery  u2        2026-11-02 17:00:00  1         Swimming lesson (mp4 1280x720 "
       "00:00:12)\n"
       "  c4   message  Sam Kim   2026-11-02 20:00:00  0         Dinner at 7 on Sunday\n"
       "  c5   event    Alex Kim  2026-11-02 21:00:00  0         Grandma's birthday, 2026-12-20 "
       "17:00 to 2026-12-21 01:00, Rose's house\n"
       "  c6   video              2026-11-03 10:00:00  0         Clip\n"},
      {report("groups", 100, Json{{"person", "me"}, {"count", 12}}, "groups",
              {itemOf(family()), itemOf(bare)}),
       "groups: WSTATUS_MORE_ITEMS (100)\n"
       "  person: me\n"
       "  count: 12\n"
       "  UID  NAME          TOTAL  PHOTOS  COMMENTS  MASTER\n"
       "  g1   Family        38     34      4         Alex Kim\n"
       "  g2   Grandparents  0      0       0\n"},
      {report("comments", 0, Json{{"count", 2}}, "comments",
              {itemOf(comment("m1", "Nice\nphoto")), itemOf(W::WComment(stranger))}),
       "comments: WSTATUS_SUCCESS (0)\n"
       "  count: 2\n"
       "  UID   USER     DATE                 TEXT\n"
       "  m1    Sam Kim  2026-11-02 19:10:00  Nice\\nphoto\n"
       "  m100  J\xc3\xbcrgen                        Gr\xc3\xbc\xc3\x9f"
       "e\n"},
      {report("feed", -205, Json::object(), "contents", {}),
       "feed: WSTATUS_NOT_FOUND (-205)\n  (no contents)\n"},
      {report("fetch", 0, Json{{"name", "photo.jpg"}, {"bytes", 8290}}, "", {}),
       "fetch: WSTATUS_SUCCESS (0)\n  name: photo.jpg\n  bytes: 8290\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(toTable(c.report), c.expected);
}

// A server's escape sequences reach the terminal as text, and the escapes keep
// the columns aligned.
TEST(TableWriter, ShowsControlCharactersOfServiceTextsEscaped) {
  W::WGroup hostile;
  hostile.setUID("g9");
  hostile.setName("\x1b[2J\x1b]0;owned\x07");
  W::WGroup bare;
  bare.setUID("g2");
  bare.setName("Grandparents");
  const std::string csi = "\xc2\x9b";  // U+009B, a terminal's control sequence introducer
  EXPECT_EQ(toTable(report("groups", 0, Json{{"person", csi + "6n"}}, "groups",
                           {itemOf(hostile), itemOf(bare)})),
            "groups: WSTATUS_SUCCESS (0)\n"
            "  person: \\u009b6n\n"
            "  UID  NAME                     TOTAL  PHOTOS  COMMENTS  MASTER\n"
            "  g9   \\x1b[2J\\x1b]0;owned\\x07  0      0       0\n"
            "  g2   Grandparents             0      0       0\n");
}

}  // namespace
}  // namespace kvhost
