// Content records read from the service's XML in the four forms that a
// record's identifiers select, the single-content answer, the upload slot,
// and the cancel checks of the walks.
#include <W/WKVEvent.h>
#include <W/WKVMessage.h>

#include <gtest/gtest.h>

#include "OperationTestSupport.h"

namespace {

using kvtest::okAnswer;

class ContentParser : public kvtest::CapturedProvider {
 protected:
  W::WSTATUS parse(const std::string& payload) {
    count = 999;
    return oai->parseString(payload, contents, count);
  }
  std::vector<W::WContent> list() { return kvtest::toVector(contents); }

  W::WContainer<W::WContent> contents;
  W::UINT32 count = 0;
};

const char* const kFeedItem =
    "<content contentId=\"c-1\">"
    "<contentType>photo</contentType><type>video</type>"
    "<contentRegisterTime>2026-12-07 09:05:03</contentRegisterTime>"
    "<contentDesc>Beach</contentDesc><commentCount>3</commentCount>"
    "<uploadUrl>http://up/c1</uploadUrl>"
    "<contentDetail><contentUrl>http://media/c1.jpg</contentUrl><size>2048</size>"
    "<format>jpeg</format><width>640</width><height>480</height>"
    "<thumbnail><contentThumbnail_116X87>http://t/s.jpg</contentThumbnail_116X87></thumbnail>"
    "</contentDetail>"
    "<contentCreator><userId>u-1</userId><userName>Ann</userName></contentCreator>"
    "</content>";

TEST_F(ContentParser, FeedItemReadsItsEntriesDetailAndCreator) {
  ASSERT_EQ(parse(okAnswer(kFeedItem)), 0);
  const std::vector<W::WContent> read = list();
  ASSERT_EQ(read.size(), 1u);
  const W::WContent& c = read[0];
  EXPECT_EQ(c.getUID(), "c-1");
  EXPECT_EQ(c.getContentProvider().getID(), kvtest::provider().getID());
  EXPECT_EQ(c.getType(), "photo") << "contentType wins over type";
  EXPECT_EQ(c.getRegisterTime().toString(), "2026-12-07 09:05:03");
  EXPECT_EQ(c.getDescription(), "Beach");
  EXPECT_EQ(c.getCommentCount(), 3);
  EXPECT_EQ(c.getResourceURL(), "http://media/c1.jpg");
  EXPECT_EQ(c.getSize(), "2048");
  EXPECT_EQ(c.getFormat(), "jpeg");
  EXPECT_EQ(c.getResolution(), W::WSize(640, 480));
  ASSERT_EQ(c.getThumbnails().size(), 1u);
  EXPECT_EQ(c.getThumbnails().front().getUID(), "contentThumbnail_116X87");
  EXPECT_EQ(c.getThumbnails().front().getResourceURL(), "http://t/s.jpg");
  ASSERT_TRUE(c.hasUser());
  EXPECT_EQ(c.getUser().getUID(), "u-1");
  EXPECT_EQ(c.getUser().getName(), "Ann");
  EXPECT_FALSE(c.hasDownloader()) << "a feed item has no downloader of its own";
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(contents.getCount(), 1);
}

TEST_F(ContentParser, FeedItemFallsBackToTypeAndUploadUrl) {
  ASSERT_EQ(parse(okAnswer("<content><contentId>c-2</contentId><type>video</type>"
                           "<commentCount></commentCount><uploadUrl>http://up/c2</uploadUrl>"
                           "<contentDetail><size>1</size></contentDetail></content>"
                           "<content><contentId>c-3</contentId></content>")),
            0);
  const std::vector<W::WContent> read = list();
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[0].getType(), "video");
  EXPECT_EQ(read[0].getResourceURL(), "http://up/c2");
  EXPECT_EQ(read[0].getCommentCount(), 0);
  EXPECT_EQ(read[1].getUID(), "c-3");
  EXPECT_EQ(read[1].getType(), "");
  EXPECT_EQ(count, 2u);
}

TEST_F(ContentParser, ContentWithoutIdIsSkipped) {
  ASSERT_EQ(parse(okAnswer("<content><contentDesc>lost</contentDesc></content>"
                           "<content contentId=\"\"/>"
                           "<content contentId=\"c-9\"/>")),
            0);
  ASSERT_EQ(list().size(), 1u);
  EXPECT_EQ(list()[0].getUID(), "c-9");
  EXPECT_EQ(count, 1u);
}

const char* const kGalleryItem =
    "<content id=\"c-g\" galleryID=\"ga-1\" messageBoardID=\"mb-1\">"
    "<size>4096</size><contentCreateDate>2026-11-30</contentCreateDate>"
    "<contentExt>jpg</contentExt><format>jpeg</format>"
    "<width>800</width><height>600</height>"
    "<contentResolutionX>1920</contentResolutionX><contentResolutionY>1080</contentResolutionY>"
    "<contentDurationTime>0</contentDurationTime><contentUrl>http://media/g.jpg</contentUrl>"
    "<thumbnail><contentThumbnail_1920X1080>http://t/l</contentThumbnail_1920X1080>"
    "<contentThumbnail_540X405>http://t/m</contentThumbnail_540X405>"
    "<contentThumbnail_116X87>http://t/s</contentThumbnail_116X87></thumbnail>"
    "<thumbnail><contentThumbnail_116X87>http://t/second</contentThumbnail_116X87></thumbnail>"
    "<contentDesc>Sunset</contentDesc>"
    "<contentRegisterDate>2026-12-01 10:00:00</contentRegisterDate>"
    "<contentRegisterMember><id>u-2</id><userName>Bob</userName></contentRegisterMember>"
    "<comment><commentId>cm-1</commentId><commentText>Nice</commentText></comment>"
    "<commentCount>1</commentCount>"
    "<eventLink><contentLink><ID>e-1</ID><calendarID>cal-1</calendarID>"
    "<eventTitle>Party</eventTitle></contentLink>"
    "<contentLink><eventTitle>no id</eventTitle></contentLink></eventLink>"
    "</content>";

TEST_F(ContentParser, GalleryFormWinsOverMessageBoardForm) {
  ASSERT_EQ(parse(okAnswer(std::string("<group>") + kGalleryItem + "</group>")), 0);
  const std::vector<W::WContent> read = list();
  ASSERT_EQ(read.size(), 1u);
  const W::WContent& c = read[0];
  EXPECT_EQ(c.getUID(), "c-g");
  EXPECT_EQ(c.getGalleryID(), "ga-1");
  EXPECT_EQ(c.getMsgBoardID(), "mb-1");
  EXPECT_TRUE(c.getMessages().empty()) << "not read in the message form";
  EXPECT_EQ(c.getSize(), "4096");
  EXPECT_EQ(c.getCreateDate().toString(), "2026-11-30 00:00:00");
  EXPECT_EQ(c.getExt(), "jpg");
  EXPECT_EQ(c.getFormat(), "jpeg");
  EXPECT_EQ(c.getResolution(), W::WSize(800, 600)) << "the video entries are not read";
  EXPECT_EQ(c.getDuration(), "0");
  EXPECT_EQ(c.getResourceURL(), "http://media/g.jpg");
  ASSERT_EQ(c.getThumbnails().size(), 3u) << "only the first thumbnail element";
  EXPECT_EQ(c.getThumbnails().back().getResourceURL(), "http://t/s");
  EXPECT_EQ(c.getDescription(), "Sunset");
  EXPECT_EQ(c.getRegisterDate().toString(), "2026-12-01 10:00:00");
  ASSERT_TRUE(c.hasUser());
  EXPECT_EQ(c.getUser().getUID(), "u-2");
  EXPECT_EQ(c.getUser().getName(), "Bob");
  ASSERT_EQ(c.getComments().size(), 1u);
  EXPECT_EQ(c.getComments().front().getUID(), "cm-1");
  EXPECT_EQ(c.getComments().front().getComment(), "Nice");
  EXPECT_EQ(c.getCommentCount(), 1);
  ASSERT_EQ(c.getEvents().size(), 1u);
  EXPECT_EQ(c.getEvents().front().getUID(), "e-1");
  EXPECT_EQ(c.getEvents().front().getCalendarUID(), "cal-1");
  EXPECT_EQ(c.getEvents().front().getTitle(), "Party");
  EXPECT_EQ(c.getDownloader(), &W::WKVOAI::fnContentDownloader);
  EXPECT_EQ(c.getDownloaderArg(), oai.get());
}

TEST_F(ContentParser, GalleryItemWithoutHeightTakesTheVideoResolution) {
  kvtest::XmlDoc doc(
      "<content><width>800</width><contentResolutionX>1280</contentResolutionX>"
      "<contentResolutionY>720</contentResolutionY></content>");
  W::WContent c;
  c.setUID("c");
  c.setGalleryID("ga");
  c.setCommentCount(7);
  ASSERT_EQ(oai->parseContent(doc.root(), c), 0);
  EXPECT_EQ(c.getResolution(), W::WSize(1280, 720));
  EXPECT_EQ(c.getCommentCount(), 7) << "an absent commentCount keeps the record's";
  EXPECT_TRUE(c.getThumbnails().empty());
  EXPECT_FALSE(c.hasUser());
  EXPECT_TRUE(c.getEvents().empty());
}

TEST_F(ContentParser, MessageAndCalendarForms) {
  ASSERT_EQ(
      parse(okAnswer("<group>"
                     "<content id=\"m-1\" messageBoardID=\"mb-1\" calendarID=\"cal-9\">"
                     "<size>12</size><contentCreateDate>2026-12-03</contentCreateDate>"
                     "<messageText>Hello</messageText>"
                     "<comment commentId=\"cm-2\"/></content>"
                     "<content id=\"e-1\" calendarID=\"cal-1\"><eventTitle>Dinner</eventTitle>"
                     "<size>99</size><comment><commentId>cm-3</commentId><commentText>Yum</commentText>"
                     "</comment></content>"
                     "<content messageBoardID=\"mb-1\"><messageText>no id</messageText></content>"
                     "</group>")),
      0);
  const std::vector<W::WContent> read = list();
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(count, 2u);
  const W::WContent& message = read[0];
  EXPECT_EQ(message.getSize(), "12");
  EXPECT_EQ(message.getCreateDate().toString(), "2026-12-03 00:00:00");
  ASSERT_EQ(message.getMessages().size(), 1u);
  EXPECT_EQ(message.getMessages().front().getText(), "Hello");
  EXPECT_TRUE(message.getEvents().empty()) << "message form wins over calendar form";
  ASSERT_EQ(message.getComments().size(), 1u);
  EXPECT_FALSE(message.hasDownloader());
  const W::WContent& event = read[1];
  ASSERT_EQ(event.getEvents().size(), 1u);
  EXPECT_EQ(event.getEvents().front().getTitle(), "Dinner");
  EXPECT_EQ(event.getSize(), "") << "the calendar form reads no size";
  EXPECT_TRUE(event.getMessages().empty());
  ASSERT_EQ(event.getComments().size(), 1u) << "the calendar form reads its comments";
  EXPECT_EQ(event.getComments().front().getUID(), "cm-3");
  EXPECT_EQ(event.getComments().front().getComment(), "Yum");
}

TEST_F(ContentParser, DataDescribingOneContentIsReadInTheFeedForm) {
  ASSERT_EQ(parse(okAnswer("<contentId>c-5</contentId><contentDesc>Only</contentDesc>"
                           "<contentType>photo</contentType>")),
            0);
  ASSERT_EQ(list().size(), 1u);
  EXPECT_EQ(list()[0].getUID(), "c-5");
  EXPECT_EQ(list()[0].getDescription(), "Only");
  EXPECT_EQ(count, 1u);
}

TEST_F(ContentParser, NoIdentifierReadsNothing) {
  kvtest::XmlDoc doc("<content><contentDesc>x</contentDesc><size>5</size></content>");
  W::WContent c;
  ASSERT_EQ(oai->parseContent(doc.root(), c), 0);
  EXPECT_EQ(c.getDescription(), "");
  EXPECT_EQ(c.getSize(), "");
  W::WContent untouched;
  untouched.setDescription("kept");
  EXPECT_EQ(oai->parseContent(nullptr, untouched), 0);
  EXPECT_EQ(untouched.getDescription(), "kept");
}

TEST_F(ContentParser, FailAndForeignRootsReturnMinus16) {
  contents.data().push_back(kvtest::contentWithUID("before"));
  EXPECT_EQ(parse("<root><data><content contentId=\"c\"/></data></root>"), -16);
  ASSERT_EQ(list().size(), 1u) << "a foreign root leaves the container unchanged";
  EXPECT_EQ(parse("<rsp><result><stat>fail</stat></result></rsp>"), -16);
}

TEST_F(ContentParser, CancelLeavesNoContent) {
  std::string data;
  for (int i = 0; i < 50; ++i) data += "<content contentId=\"c" + std::to_string(i) + "\"/>";
  ASSERT_EQ(oai->cancel(kvtest::provider(), nullptr, nullptr), 0);
  ASSERT_EQ(parse(okAnswer(data)), 0);
  EXPECT_TRUE(list().empty());
}

class UploadSlot : public kvtest::CapturedProvider {};

TEST_F(UploadSlot, ReadsIdentifierAndUrlOfA200Answer) {
  W::HttpResponse response;
  response.setHttpResponseCode(200);
  response.setPayload(okAnswer("<contentId>c-77</contentId><uploadUrl>http://up/77</uploadUrl>"));
  W::WContent slot;
  EXPECT_EQ(oai->getUploadUrlDone(response, slot), 0);
  EXPECT_EQ(slot.getUID(), "c-77");
  EXPECT_EQ(slot.getResourceURL(), "http://up/77");
}

TEST_F(UploadSlot, OtherAnswersLeaveTheSlotEmpty) {
  struct Row {
    int code;
    const char* payload;
    W::WSTATUS status;
  };
  const Row rows[] = {
      {404, "<rsp><data><contentId>c</contentId><uploadUrl>u</uploadUrl></data></rsp>", -205},
      {500, "", -107},
      {200, "<rsp><result><stat>fail</stat></result><data><contentId>c</contentId></data></rsp>",
       -16},
      {200, "garbage", -16},
  };
  for (const Row& row : rows) {
    W::HttpResponse response;
    response.setHttpResponseCode(row.code);
    response.setPayload(row.payload);
    W::WContent slot;
    EXPECT_EQ(oai->getUploadUrlDone(response, slot), row.status) << row.code;
    EXPECT_EQ(slot.getUID(), "") << row.code;
    EXPECT_EQ(slot.getResourceURL(), "") << row.code;
  }
}

}  // namespace
