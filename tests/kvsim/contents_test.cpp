// Feeds paging and forms, content view and deletion, and comments: listing,
// percent-decoded creation, view and cascade on content deletion.
#include <cstring>

#include "KvsimTestSupport.h"

namespace kvsim_test {
namespace {

using ContentsTest = ServerFixture;

// The item UIDs of a feeds answer in document order: contentId of feed-form
// items, the id attribute or element of the items inside "group".
std::vector<std::string> itemIds(const std::string& body) {
  std::vector<std::string> ids;
  for (size_t at = body.find("<content"); at != std::string::npos;
       at = body.find("<content", at + 1)) {
    size_t start = std::string::npos;
    for (const char* open : {"<content id=\"", "<content><contentId>", "<content><id>"}) {
      if (body.compare(at, std::strlen(open), open) == 0) start = at + std::strlen(open);
    }
    if (start == std::string::npos) continue;
    ids.push_back(body.substr(start, body.find_first_of("\"<", start) - start));
  }
  return ids;
}

std::vector<std::string> range(int from, int to) {  // c<from> .. c<to>, either direction
  std::vector<std::string> out;
  for (int n = from;; n += from <= to ? 1 : -1) {
    out.push_back("c" + std::to_string(n));
    if (n == to) break;
  }
  return out;
}

TEST_F(ContentsTest, FeedsPageWithOneItemOfLookAhead) {
  struct Row {
    std::string query;
    std::vector<std::string> ids;
  } rows[] = {
      // Default count 30: 30 items and the look-ahead one, newest first.
      {"?&search_before=0&search_count=30&search_base=created_time&option_item=all&"
       "option_include=none",
       range(1038, 1008)},
      {"?&search_before=latest", range(1038, 1008)},
      // The next page from the last item shown: the rest, no look-ahead left.
      {"?&search_before=c1009&search_count=30&search_base=created_time", range(1008, 1001)},
      {"?&search_before=c1004&search_count=3", range(1003, 1001)},
      {"?&search_after=0&search_count=2&search_base=content_id", range(1001, 1003)},
      {"?&search_after=c1035&search_count=5&search_base=upload_time", range(1036, 1038)},
      {"?&search_after=latest&search_count=5", {}},
      {"?&search_before=0&search_count=2&option_item=video", {"c1034"}},
      {"?&search_before=0&search_count=2&option_item=music", {"c1036"}},
      {"?&search_before=c1005&search_count=2&option_item=photo", range(1004, 1002)},
  };
  for (const Row& r : rows) {
    auto res = get("g1/feeds" + r.query);
    ASSERT_TRUE(res) << r.query;
    ASSERT_EQ(res->status, 200) << r.query << res->body;
    EXPECT_EQ(itemIds(dataOf(res->body)), r.ids) << r.query;
  }
}

TEST_F(ContentsTest, FeedsRefuseBadPositionsAndStrangers) {
  struct Row {
    std::string resource;
    int status;
  } rows[] = {
      {"g1/feeds?&search_before=c9999", 403},
      {"g1/feeds?&search_before=c1039", 403},  // a content of another group
      {"g1/feeds?&search_before=0&search_after=0", 403},
      {"g1/feeds?&search_count=3", 403},
      {"g1/feeds?&search_before=0&search_base=size", 403},
      {"g1/feeds?&search_before=0&option_item=text", 403},
      {"g9/feeds?&search_before=0", 404},
  };
  for (const Row& r : rows) EXPECT_EQ(get(r.resource)->status, r.status) << r.resource;

  kvsim::ServerConfig config;
  kvsim::Account sam = kvsim::AccountList::defaultAccount();
  sam.userId = "u2";
  config.accounts.add(sam);
  TearDown();
  startServer(std::move(config));
  auto res = get("g2/feeds?&search_before=0");  // u2 is not in "Grandparents"
  EXPECT_EQ(res->status, 403);
  EXPECT_EQ(res->body.substr(0, 10), "Error=203\n");
}

TEST_F(ContentsTest, FeedWritesEachFormWhereThePluginLooksForIt) {
  auto res = get("g1/feeds?&search_before=0&search_count=6");
  ASSERT_TRUE(res);
  const std::string data = dataOf(res->body);
  // The event and the message are one run inside "group"; so are the gallery items.
  EXPECT_EQ(data.find("<group><content><id>c1038</id><calendarID>cal1</calendarID>"
                      "<eventTitle>Grandma&apos;s birthday</eventTitle>"),
            0u)
      << data;
  EXPECT_NE(data.find("</content><content><id>c1037</id><messageBoardID>mb1</messageBoardID>"),
            std::string::npos);
  EXPECT_NE(data.find("<messageText>Dinner at 7 on Sunday &amp; bring dessert!</messageText>"),
            std::string::npos);
  EXPECT_NE(data.find("</group><content><contentId>c1036</contentId><contentType>music"),
            std::string::npos);
  EXPECT_NE(data.find("<group><content id=\"c1035\" galleryID=\"gal1\"><size>"), std::string::npos);
  EXPECT_NE(data.find("<eventLink><contentLink><ID>c1038</ID><calendarID>cal1</calendarID>"),
            std::string::npos);
  EXPECT_NE(data.find("<content id=\"c1034\" galleryID=\"gal1\">"), std::string::npos);
  EXPECT_NE(data.find("<contentResolutionX>1280</contentResolutionX>"
                      "<contentResolutionY>720</contentResolutionY>"
                      "<contentDurationTime>00:00:12</contentDurationTime>"),
            std::string::npos);
  EXPECT_NE(data.find("<userStatus code=\"1\">active</userStatus>"), std::string::npos);
  EXPECT_EQ(itemIds(data), range(1038, 1032));
}

TEST_F(ContentsTest, ViewAnswersTheSingleContentForm) {
  auto res = get("c1001/view");
  ASSERT_TRUE(res);
  ASSERT_EQ(res->status, 200);
  const std::string b = base();
  EXPECT_EQ(
      dataOf(res->body),
      "<contentId>c1001</contentId><contentType>photo</contentType>"
      "<contentRegisterTime>2026-11-01 08:00:00</contentRegisterTime>"
      "<contentDesc>Beach day 1</contentDesc><commentCount>3</commentCount>"
      "<uploadUrl>" +
          b +
          "/media/contents/c1001/photo.jpg</uploadUrl><contentDetail>"
          "<contentUrl>" +
          b +
          "/media/contents/c1001/photo.jpg</contentUrl><size>8285</size>"
          "<format>jpg</format><width>1920</width><height>1080</height>"
          "<createTime>2026-11-01 07:30:00</createTime><thumbnail>"
          "<contentThumbnail_1920X1080>" +
          b +
          "/media/contents/c1001/thumb_1920X1080.jpg"
          "</contentThumbnail_1920X1080><contentThumbnail_540X405>" +
          b +
          "/media/contents/c1001/thumb_540X405.jpg</contentThumbnail_540X405>"
          "<contentThumbnail_116X87>" +
          b +
          "/media/contents/c1001/thumb_116X87.jpg"
          "</contentThumbnail_116X87></thumbnail></contentDetail><contentCreator>"
          "<userId>u1</userId><userName>Alex Kim</userName><thumbnail><userImageThumbnail_72X72>" +
          b +
          "/media/users/u1/picture_72X72.png</userImageThumbnail_72X72></thumbnail>"
          "</contentCreator>");
  EXPECT_EQ(get("c4242/view")->status, 404);
  EXPECT_EQ(get("x1/view")->status, 404);
}

TEST_F(ContentsTest, DeletingAContentTakesItsCommentsAndMedia) {
  ASSERT_EQ(get("m2002/view")->status, 200);
  auto res = post("c1001/delete", "");
  ASSERT_TRUE(res);
  ASSERT_EQ(res->status, 200);
  EXPECT_NE(res->body.find("<stat>ok</stat>"), std::string::npos);
  for (const char* comment : {"m2001/view", "m2002/view", "m2003/view"}) {
    EXPECT_EQ(get(comment)->status, 404) << comment;
  }
  EXPECT_EQ(get("c1001/view")->status, 404);
  EXPECT_EQ(get("c1001/comment.list?search_index=0&")->status, 404);
  EXPECT_EQ(m_client->Get("/media/contents/c1001/thumb_116X87.jpg")->status, 404);
  EXPECT_EQ(get("m2005/view")->status, 200);  // another content's comment stays

  auto again = post("c1001/delete", "");
  EXPECT_EQ(again->status, 403);
  EXPECT_EQ(again->body.substr(0, 10), "Error=204\n");
  auto foreign = post("c1040/delete", "");  // u4's photo in u3's group
  EXPECT_EQ(foreign->status, 403);
  EXPECT_EQ(foreign->body.substr(0, 10), "Error=203\n");
}

TEST_F(ContentsTest, CommentTextIsPercentDecodedOnTheWayIn) {
  auto created = post("c1002/comment", "commentText=Tom+%26+Jerry+%3D+100%25", {});
  ASSERT_TRUE(created);
  ASSERT_EQ(created->status, 200);
  EXPECT_EQ(dataOf(created->body), "<commentId>m2006</commentId>");
  auto listed = get("c1002/comment.list?search_index=0&");
  ASSERT_TRUE(listed);
  EXPECT_NE(listed->body.find("<commentId>m2006</commentId><commentSize>18</commentSize>"
                              "<commentText>Tom &amp; Jerry = 100%</commentText>"),
            std::string::npos)
      << listed->body;
  auto viewed = get("m2006/view");
  ASSERT_TRUE(viewed);
  EXPECT_EQ(dataOf(viewed->body).substr(0, 37), "<comment><commentId>m2006</commentId>");
}

TEST_F(ContentsTest, CommentListPagesFromIndex) {
  struct Row {
    const char* query;
    std::vector<const char*> ids;
  } rows[] = {
      {"search_index=0&", {"m2001", "m2002", "m2003"}},
      {"search_index=0&search_count=2", {"m2001", "m2002"}},
      {"search_index=2&search_count=20", {"m2003"}},
      {"search_index=5&search_count=20", {}},
  };
  for (const Row& r : rows) {
    std::string data = dataOf(get(std::string("c1001/comment.list?") + r.query)->body);
    EXPECT_EQ(countOf(data, "<comment>"), static_cast<int>(r.ids.size())) << r.query;
    for (const char* id : r.ids) {
      EXPECT_NE(data.find(std::string("<commentId>") + id + "</commentId>"), std::string::npos)
          << r.query;
    }
  }
}

TEST_F(ContentsTest, CommentFailuresAndDeletion) {
  EXPECT_NE(post("c1002/comment", "commentText=", {})->body.find("<stat>fail</stat>"),
            std::string::npos);
  EXPECT_EQ(post("c9999/comment", "commentText=x", {})->status, 404);
  EXPECT_EQ(post("m2001/delete", "")->status, 200);  // u1 owns the content
  EXPECT_EQ(get("m2001/view")->status, 404);
  EXPECT_EQ(post("m2001/delete", "")->body.substr(0, 10), "Error=204\n");
  EXPECT_EQ(post("m2005/delete", "")->body.substr(0, 10), "Error=203\n");  // u3's, on u3's photo
}

}  // namespace
}  // namespace kvsim_test
