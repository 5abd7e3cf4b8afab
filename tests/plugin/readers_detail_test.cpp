// Content detail records read from the service's XML: thumbnails,
// resolutions, the contentDetail element, events and messages.
#include <W/WKVEvent.h>
#include <W/WKVMessage.h>
#include <W/WKVUser.h>

#include <gtest/gtest.h>

#include <vector>

#include "PluginTestSupport.h"
#include "XmlTestDoc.h"

namespace {

using kvtest::XmlDoc;

class DetailReaders : public ::testing::Test {
 protected:
  void SetUp() override { kvtest::configure(); }
  void TearDown() override { kvtest::clearConfiguration(); }
  W::WKVOAI oai;
};

std::vector<W::WMediaResource> asVector(const std::list<W::WMediaResource>& list) {
  return std::vector<W::WMediaResource>(list.begin(), list.end());
}

TEST_F(DetailReaders, ThreeThumbnailSizesInDocumentOrderWithUidsAndDownloaders) {
  XmlDoc doc(
      "<thumbnail>"
      "<contentThumbnail_116X87>http://h/s.jpg</contentThumbnail_116X87>"
      "<contentThumbnail_1920X1080>http://h/l.jpg</contentThumbnail_1920X1080>"
      "<contentThumbnail_800X600>http://h/other.jpg</contentThumbnail_800X600>"
      "<contentThumbnail_540X405/>"
      "</thumbnail>");
  std::vector<W::WMediaResource> thumbs = asVector(oai.getThumbnails(doc.root()));
  ASSERT_EQ(thumbs.size(), 3u) << "an unknown size yields nothing";
  const char* uids[] = {"contentThumbnail_116X87", "contentThumbnail_1920X1080",
                        "contentThumbnail_540X405"};
  const char* urls[] = {"http://h/s.jpg", "http://h/l.jpg", ""};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(thumbs[i].getUID(), uids[i]);
    EXPECT_EQ(thumbs[i].getResourceURL(), urls[i]);
    EXPECT_EQ(thumbs[i].getContentProvider(), kvtest::provider());
    EXPECT_EQ(thumbs[i].getDownloader(), &W::WKVOAI::fnContentDownloader)
        << "set even for an empty URL";
    EXPECT_EQ(thumbs[i].getDownloaderArg(), static_cast<void*>(&oai));
  }
}

TEST_F(DetailReaders, RepeatedThumbnailSizeReadsTheFirstUrlAndAttributesWin) {
  XmlDoc doc(
      "<thumbnail contentThumbnail_540X405='http://h/attr.jpg'>"
      "<contentThumbnail_540X405>http://h/a.jpg</contentThumbnail_540X405>"
      "<contentThumbnail_540X405>http://h/b.jpg</contentThumbnail_540X405>"
      "</thumbnail>");
  std::vector<W::WMediaResource> thumbs = asVector(oai.getThumbnails(doc.root()));
  ASSERT_EQ(thumbs.size(), 2u);
  EXPECT_EQ(thumbs[0].getResourceURL(), "http://h/attr.jpg");
  EXPECT_EQ(thumbs[1].getResourceURL(), "http://h/attr.jpg");

  XmlDoc plain(
      "<thumbnail>"
      "<contentThumbnail_540X405>http://h/a.jpg</contentThumbnail_540X405>"
      "<contentThumbnail_540X405>http://h/b.jpg</contentThumbnail_540X405>"
      "</thumbnail>");
  thumbs = asVector(oai.getThumbnails(plain.root()));
  ASSERT_EQ(thumbs.size(), 2u);
  EXPECT_EQ(thumbs[1].getResourceURL(), "http://h/a.jpg");
  EXPECT_TRUE(oai.getThumbnails(nullptr).empty());
}

TEST_F(DetailReaders, ResolutionsNeedBothTextsAndIgnoreTrailingText) {
  struct Row {
    const char* xml;
    int photoW, photoH, videoW, videoH;
  };
  const Row rows[] = {
      {"<c width='1024' height='768'/>", 1024, 768, 0, 0},
      {"<c width='1024'/>", 0, 0, 0, 0},
      {"<c><width>640px</width><height>480</height></c>", 640, 480, 0, 0},
      {"<c width='' height='480'/>", 0, 0, 0, 0},
      {"<c width='abc' height='12'/>", 0, 12, 0, 0},
      {"<c contentResolutionX='1920' contentResolutionY='1080'/>", 0, 0, 1920, 1080},
      {"<c contentResolutionX='1920'/>", 0, 0, 0, 0},
      {"<c><contentResolutionX>720p</contentResolutionX>"
       "<contentResolutionY> 576</contentResolutionY></c>",
       0, 0, 720, 576},
  };
  for (const Row& row : rows) {
    XmlDoc doc(row.xml);
    EXPECT_EQ(oai.getPhotoResolution(doc.root()), W::WSize(row.photoW, row.photoH)) << row.xml;
    EXPECT_EQ(oai.getVideoResolution(doc.root()), W::WSize(row.videoW, row.videoH)) << row.xml;
  }
  EXPECT_EQ(oai.getPhotoResolution(nullptr), W::WSize());
  EXPECT_EQ(oai.getVideoResolution(nullptr), W::WSize());
}

TEST_F(DetailReaders, ContentDetailFillsUrlThumbnailsSizeFormatResolutionAndTime) {
  XmlDoc doc(
      "<contentDetail size='2048' format='jpg'>"
      "<contentUrl>http://h/c/1.jpg</contentUrl>"
      "<thumbnail><contentThumbnail_116X87>http://h/first.jpg</contentThumbnail_116X87>"
      "</thumbnail>"
      "<thumbnail><contentThumbnail_540X405>http://h/m.jpg</contentThumbnail_540X405>"
      "<contentThumbnail_116X87>http://h/s.jpg</contentThumbnail_116X87></thumbnail>"
      "<width>800</width><height>600</height>"
      "<createTime>2026-11-30 08:00:00</createTime>"
      "</contentDetail>");
  W::WContent content;
  oai.getContentDetail(doc.root(), content);
  EXPECT_EQ(content.getResourceURL(), "http://h/c/1.jpg");
  std::vector<W::WMediaResource> thumbs = asVector(content.getThumbnails());
  ASSERT_EQ(thumbs.size(), 2u) << "the last thumbnail element stays";
  EXPECT_EQ(thumbs[0].getResourceURL(), "http://h/m.jpg");
  EXPECT_EQ(thumbs[1].getUID(), "contentThumbnail_116X87");
  EXPECT_EQ(content.getSize(), "2048");
  EXPECT_EQ(content.getFormat(), "jpg");
  EXPECT_EQ(content.getResolution(), W::WSize(800, 600));
  EXPECT_EQ(content.getCreateTime(), W::WDateTime::fromString("2026-11-30 08:00:00", 0, 1));
  EXPECT_TRUE(content.getCreateTime().isValid());
}

TEST_F(DetailReaders, ContentDetailWithoutUrlClearsTheUrlAndSetsDefaultResolution) {
  XmlDoc doc("<contentDetail><format>png</format></contentDetail>");
  W::WContent content;
  content.setResourceURL("http://h/old");
  content.setResolution(W::WSize(1, 1));
  oai.getContentDetail(doc.root(), content);
  EXPECT_EQ(content.getResourceURL(), "");
  EXPECT_EQ(content.getResolution(), W::WSize());
  EXPECT_EQ(content.getFormat(), "png");

  W::WContent untouched;
  untouched.setResourceURL("keep");
  oai.getContentDetail(nullptr, untouched);
  EXPECT_EQ(untouched.getResourceURL(), "keep");
}

TEST_F(DetailReaders, EventFillsEveryFieldAndItsFirstMember) {
  XmlDoc doc(
      "<content eventTitle='Picnic' eventType='family'>"
      "<eventStartDate>2026-12-24 10:00:00</eventStartDate>"
      "<eventEndDate>2026-12-24 18:30:00</eventEndDate>"
      "<eventDescription>At the lake</eventDescription>"
      "<eventRegisterDate>2026-12-01 09:00:00</eventRegisterDate>"
      "<eventRegisterMember id='m1' userName='Ann'/>"
      "<eventRegisterMember id='m2' userName='Bob'/>"
      "</content>");
  W::WEvent event;
  EXPECT_EQ(oai.parseEvent(doc.root(), event), 0);
  W::WKVEvent kv(event);
  EXPECT_EQ(kv.getContentProvider(), kvtest::provider());
  EXPECT_EQ(kv.getTitle(), "Picnic");
  EXPECT_EQ(kv.getType(), "family");
  EXPECT_EQ(kv.getDescription(), "At the lake");
  ASSERT_TRUE(kv.hasWhen());
  EXPECT_EQ(kv.getWhen().getStartTime(), W::WDateTime::fromString("2026-12-24 10:00:00", 0, 1));
  EXPECT_EQ(kv.getWhen().getEndTime(), W::WDateTime::fromString("2026-12-24 18:30:00", 0, 1));
  EXPECT_TRUE(kv.getWhen().getEndTime().isValid());
  EXPECT_EQ(kv.getRegisterDate(), W::WDateTime::fromString("2026-12-01 09:00:00", 0, 1));
  ASSERT_TRUE(kv.hasUser());
  EXPECT_EQ(kv.getUser().getUID(), "m1");
  EXPECT_EQ(kv.getUser().getName(), "Ann");
}

TEST_F(DetailReaders, EventWithoutDatesOrMembersStillGetsAWhenButNoUser) {
  XmlDoc doc("<content eventTitle='T'><eventRegisterMemberX id='x'/></content>");
  W::WEvent event;
  EXPECT_EQ(oai.parseEvent(doc.root(), event), 0);
  W::WKVEvent kv(event);
  EXPECT_TRUE(kv.hasWhen());
  EXPECT_FALSE(kv.getWhen().getStartTime().isValid());
  EXPECT_FALSE(kv.getWhen().getEndTime().isValid());
  EXPECT_FALSE(kv.hasUser());

  W::WEvent untouched;
  untouched.setTitle("keep");
  EXPECT_EQ(oai.parseEvent(nullptr, untouched), 0);
  EXPECT_EQ(untouched.getTitle(), "keep");
  EXPECT_FALSE(untouched.hasWhen());
}

TEST_F(DetailReaders, MessageFillsTextDateAndFirstMember) {
  XmlDoc doc(
      "<content><messageText>Hello</messageText>"
      "<messageRegisterDate>2026-12-02 12:00:00</messageRegisterDate>"
      "<messageRegisterMember><id>m9</id><userStatus code='1'>on</userStatus>"
      "</messageRegisterMember></content>");
  W::WMessage message;
  EXPECT_EQ(oai.parseMessage(doc.root(), message), 0);
  W::WKVMessage kv(message);
  EXPECT_EQ(kv.getContentProvider(), kvtest::provider());
  EXPECT_EQ(kv.getText(), "Hello");
  EXPECT_EQ(kv.getRegisterDate(), W::WDateTime::fromString("2026-12-02 12:00:00", 0, 1));
  ASSERT_TRUE(kv.hasUser());
  EXPECT_EQ(kv.getUser().getUID(), "m9");
  EXPECT_EQ(W::WKVUser(kv.getUser()).getStatusCode(), "1");

  XmlDoc bare("<content messageText='Hi'/>");
  W::WMessage noUser;
  EXPECT_EQ(oai.parseMessage(bare.root(), noUser), 0);
  EXPECT_FALSE(W::WKVMessage(noUser).hasUser());
  EXPECT_EQ(noUser.getText(), "Hi");
}

TEST_F(DetailReaders, PendingCancelEmptiesThumbnailsAndStopsTheDetailWalk) {
  XmlDoc thumbs(
      "<thumbnail><contentThumbnail_116X87>a</contentThumbnail_116X87>"
      "<contentThumbnail_540X405>b</contentThumbnail_540X405></thumbnail>");
  XmlDoc detail(
      "<contentDetail contentUrl='http://h/u' format='jpg'>"
      "<thumbnail><contentThumbnail_116X87>a</contentThumbnail_116X87></thumbnail>"
      "</contentDetail>");
  kvtest::logIn(oai);
  ASSERT_EQ(oai.cancel(kvtest::provider(), nullptr, nullptr), 0);
  EXPECT_TRUE(oai.getThumbnails(thumbs.root()).empty());
  W::WContent content;
  oai.getContentDetail(detail.root(), content);
  EXPECT_TRUE(content.getThumbnails().empty()) << "the walk stopped before the thumbnail";
  EXPECT_EQ(content.getResourceURL(), "http://h/u") << "entries outside the walk are read";
  EXPECT_EQ(content.getFormat(), "jpg");

  oai.cancelFlagReset();
  EXPECT_EQ(oai.getThumbnails(thumbs.root()).size(), 2u);
  oai.getContentDetail(detail.root(), content);
  EXPECT_EQ(content.getThumbnails().size(), 1u);
}

}  // namespace
