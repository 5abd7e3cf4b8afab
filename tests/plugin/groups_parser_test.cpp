// Group and gallery records read from the service's XML answers, including
// the forms that only some answers use and the cancel checks of the walks.
#include <gtest/gtest.h>

#include <thread>

#include "OperationTestSupport.h"

namespace {

using kvtest::okAnswer;

class GroupParser : public kvtest::CapturedProvider {
 protected:
  W::WSTATUS parse(const std::string& payload) {
    count = 999;
    return oai->parseString(payload, groups, count);
  }
  std::vector<W::WGroup> list() { return kvtest::toVector(groups); }

  W::WContainer<W::WGroup> groups;
  W::UINT32 count = 0;
};

const char* const kFullGroup =
    "<group groupId=\"g-1\">"
    "<groupName>Family</groupName><groupDesc>Our photos</groupDesc>"
    "<groupImage><groupImageUrl>http://img/g1.jpg</groupImageUrl>"
    "<thumbnail><groupImageThumbnail_274X204>http://img/g1_t.jpg</groupImageThumbnail_274X204>"
    "</thumbnail></groupImage>"
    "<groupMaster><userId>u-1</userId><userName>Ann</userName></groupMaster>"
    "<totalContentCount>42</totalContentCount><photoCount>40</photoCount>"
    "<audioCount>1</audioCount><videoCount>1x</videoCount><commentCount>7</commentCount>"
    "</group>";

// Counts and resolutions past the range of int read as its nearest end, the
// same on a 64-bit host as on the 32-bit target (strtol's long is as narrow
// as int there); what strtol reads otherwise stays as it reads it.
TEST_F(GroupParser, NumbersPastTheRangeOfIntReadTheSameOnEveryTarget) {
  const struct {
    const char* text;
    int value;
  } rows[] = {
      {"2147483647", 2147483647},
      {"2147483648", 2147483647},
      {"4294967296", 2147483647},
      {"99999999999999999999", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"-2147483649", -2147483647 - 1},
      {"-5", -5},
      {" 12abc", 12},
      {"", 0},
      {"x1", 0},
  };
  for (const auto& row : rows) {
    const std::string text = row.text;
    ASSERT_EQ(parse(okAnswer("<group groupId=\"g\" totalContentCount=\"" + text + "\"/>")), 0);
    ASSERT_EQ(list().size(), 1u);
    EXPECT_EQ(list()[0].getTotalCount(), row.value) << "count " << text;
    groups.clear();
    kvtest::XmlDoc photo("<content width=\"" + text + "\" height=\"" + text + "\"/>");
    const W::WSize size = oai->getPhotoResolution(photo.root());
    EXPECT_EQ(size.getWidth(), text.empty() ? 0 : row.value) << "width " << text;
    EXPECT_EQ(size.getHeight(), text.empty() ? 0 : row.value) << "height " << text;
  }
}

TEST_F(GroupParser, ReadsEveryFieldOfAGroup) {
  ASSERT_EQ(parse(okAnswer(kFullGroup)), 0);
  ASSERT_EQ(list().size(), 1u);
  const std::vector<W::WGroup> read = list();
  const W::WGroup& g = read[0];
  EXPECT_EQ(g.getUID(), "g-1");  // attribute form
  EXPECT_EQ(g.getName(), "Family");
  EXPECT_EQ(g.getDescription(), "Our photos");
  EXPECT_EQ(g.getContentProvider().getID(), kvtest::provider().getID());
  EXPECT_EQ(g.getImageUrl(), "http://img/g1.jpg");
  EXPECT_EQ(g.getImage().getResourceURL(), "http://img/g1_t.jpg");
  EXPECT_EQ(g.getImage().getUID(), "groupImageThumbnail_274X204");
  EXPECT_EQ(g.getImage().getDownloader(), &W::WKVOAI::fnContentDownloader);
  EXPECT_EQ(g.getImage().getDownloaderArg(), oai.get());
  ASSERT_TRUE(g.hasMaster());
  EXPECT_EQ(g.getMaster().getUID(), "u-1");
  EXPECT_EQ(g.getMaster().getName(), "Ann");
  EXPECT_EQ(g.getTotalCount(), 42);
  EXPECT_EQ(g.getPhotoCount(), 40);
  EXPECT_EQ(g.getAudioCount(), 1);
  EXPECT_EQ(g.getVideoCount(), 1);  // leading digits count
  EXPECT_EQ(g.getCommentCount(), 7);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(groups.getCount(), 1);
}

TEST_F(GroupParser, AbsentCountsAndImagelessThumbnailReadEmpty) {
  ASSERT_EQ(parse(okAnswer("<group><groupId>g-2</groupId>"
                           "<groupImage><thumbnail/></groupImage></group>")),
            0);
  ASSERT_EQ(list().size(), 1u);
  const std::vector<W::WGroup> read = list();
  const W::WGroup& g = read[0];
  EXPECT_EQ(g.getTotalCount(), 0);
  EXPECT_FALSE(g.hasMaster());
  EXPECT_EQ(g.getImage().getResourceURL(), "");
  EXPECT_EQ(g.getImage().getUID(), "");
  EXPECT_FALSE(g.getImage().hasDownloader());
  EXPECT_EQ(g.getImage().getContentProvider().getID(), kvtest::provider().getID());
}

TEST_F(GroupParser, GroupsUnderAMemberNeedAnId) {
  ASSERT_EQ(parse(okAnswer("<user>"
                           "<group id=\"g-7\"><groupName>Seven</groupName></group>"
                           "<group><groupName>no id</groupName></group>"
                           "<group id=\"g-8\" groupId=\"g-8x\"/>"
                           "</user>")),
            0);
  ASSERT_EQ(list().size(), 2u);
  EXPECT_EQ(list()[0].getUID(), "g-7");
  EXPECT_EQ(list()[0].getName(), "Seven");
  EXPECT_EQ(list()[1].getUID(), "g-8x");
  EXPECT_EQ(count, 2u);
}

TEST_F(GroupParser, GroupIdUnderDataNamesAGroupWithoutCountingIt) {
  ASSERT_EQ(parse(okAnswer("<groupId>g-new</groupId>")), 0);
  ASSERT_EQ(list().size(), 1u);
  EXPECT_EQ(list()[0].getUID(), "g-new");
  EXPECT_EQ(list()[0].getName(), "");
  EXPECT_EQ(count, 0u);
}

TEST_F(GroupParser, CountsEveryGroupOfTheAnswerInOrder) {
  std::string data;
  for (int i = 0; i < 12; ++i) data += "<group groupId=\"g" + std::to_string(i) + "\"/>";
  ASSERT_EQ(parse(okAnswer(data)), 0);
  EXPECT_EQ(count, 12u);
  ASSERT_EQ(list().size(), 12u);
  EXPECT_EQ(list().front().getUID(), "g0");
  EXPECT_EQ(list().back().getUID(), "g11");
}

TEST_F(GroupParser, MalformedAnswersFail) {
  const char* const answers[] = {
      "not xml",
      "<other><data/></other>",
      "<rsp/>",
      "<rsp><result><stat>fail</stat><desc>no</desc></result><data>"
      "<group groupId=\"g\"/></data></rsp>",
  };
  for (const char* answer : answers) {
    EXPECT_EQ(parse(answer), -16) << answer;
    EXPECT_TRUE(list().empty()) << answer;
  }
}

TEST_F(GroupParser, DataBeforeResultIsReadAndOtherStatusWordsGoOn) {
  ASSERT_EQ(parse("<rsp><data><group groupId=\"g\"/></data>"
                  "<result><stat>pending</stat></result></rsp>"),
            0);
  EXPECT_EQ(list().size(), 1u);
}

TEST_F(GroupParser, CancelBeforeTheWalkLeavesNoGroup) {
  ASSERT_EQ(oai->cancel(kvtest::provider(), nullptr, nullptr), 0);
  ASSERT_EQ(parse(okAnswer(kFullGroup)), 0);
  EXPECT_TRUE(list().empty());
}

TEST_F(GroupParser, CancelDuringALongListLeavesNoGroup) {
  std::string data;
  for (int i = 0; i < 20000; ++i) data += "<group groupId=\"g" + std::to_string(i) + "\"/>";
  const std::string answer = okAnswer(data);
  std::thread canceller([&] { oai->cancel(kvtest::provider(), nullptr, nullptr); });
  EXPECT_EQ(parse(answer), 0);
  canceller.join();
  EXPECT_TRUE(list().empty());
  EXPECT_LT(count, 20000u) << "the walk stops at the cancel";
}

class GalleryParser : public kvtest::CapturedProvider {
 protected:
  W::WSTATUS parse(const std::string& payload) {
    return oai->parseString(payload, galleries, count);
  }
  std::vector<W::WKVGallery> list() { return kvtest::toVector(galleries); }

  W::WContainer<W::WKVGallery> galleries;
  W::UINT32 count = 0;
};

TEST_F(GalleryParser, ReadsTheFirstGroupOnly) {
  ASSERT_EQ(
      parse(okAnswer("<group>"
                     "<gallery id=\"ga-1\"><galleryDate>2026-12-01</galleryDate>"
                     "<galleryDescription>Trip</galleryDescription>"
                     "<galleryRegisterDate>2026-12-02 08:30:00</galleryRegisterDate>"
                     "<content id=\"c-1\"><contentUrl>http://media/c1.jpg</contentUrl></content>"
                     "<content><contentUrl>http://media/noid.jpg</contentUrl></content>"
                     "</gallery>"
                     "<gallery><galleryDescription>no id</galleryDescription></gallery>"
                     "<gallery id=\"ga-2\"/>"
                     "</group>"
                     "<group><gallery id=\"ga-other\"/></group>")),
      0);
  ASSERT_EQ(list().size(), 2u);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(galleries.getCount(), 2);
  const std::vector<W::WKVGallery> read = list();
  const W::WKVGallery& g = read[0];
  EXPECT_EQ(g.getUID(), "ga-1");
  EXPECT_EQ(g.getDescription(), "Trip");
  EXPECT_EQ(g.getDate().toString(), "2026-12-01 00:00:00");
  EXPECT_EQ(g.getRegisterDate().toString(), "2026-12-02 08:30:00");
  EXPECT_EQ(g.getContentProvider().getID(), kvtest::provider().getID());
  ASSERT_EQ(g.getContents().size(), 1u);
  const W::WContent& c = g.getContents().front();
  EXPECT_EQ(c.getUID(), "c-1");
  EXPECT_EQ(c.getGalleryID(), "ga-1");
  EXPECT_EQ(c.getResourceURL(), "http://media/c1.jpg") << "read in the gallery form";
  EXPECT_TRUE(c.hasDownloader());
  EXPECT_EQ(list()[1].getUID(), "ga-2");
}

TEST_F(GalleryParser, FailAndCancelLeaveNoGallery) {
  EXPECT_EQ(parse("<rsp><result><stat>fail</stat></result></rsp>"), -16);
  EXPECT_TRUE(list().empty());
  ASSERT_EQ(oai->cancel(kvtest::provider(), nullptr, nullptr), 0);
  EXPECT_EQ(parse(okAnswer("<group><gallery id=\"ga-1\"/></group>")), 0);
  EXPECT_TRUE(list().empty());
}

}  // namespace
