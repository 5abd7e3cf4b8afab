// Host records travel by value through lists and containers; the Kinvale
// parts (status, delete flag, register dates, authors) must survive every
// copy into and out of the base record types.
#include <W/WContent.h>
#include <W/WGroup.h>
#include <W/WKVComment.h>
#include <W/WKVEvent.h>
#include <W/WKVGallery.h>
#include <W/WKVMessage.h>
#include <W/WKVUser.h>

#include <gtest/gtest.h>

#include <list>

namespace {

// The Kinvale views add no storage, so converting to the base loses nothing.
static_assert(sizeof(W::WKVUser) == sizeof(W::WPerson), "WKVUser must not add fields");
static_assert(sizeof(W::WKVComment) == sizeof(W::WComment), "WKVComment must not add fields");
static_assert(sizeof(W::WKVEvent) == sizeof(W::WEvent), "WKVEvent must not add fields");
static_assert(sizeof(W::WKVMessage) == sizeof(W::WMessage), "WKVMessage must not add fields");

const W::WContentProvider kProvider("Kinvale", 12);

int fakeDownloader(const W::WMediaResource&, W::WContentDownloadCallback, void*, void*) {
  return 0;
}

int g_providerObject;  // stands in for the provider passed as downloader argument

W::WDateTime date(const char* text) {
  return W::WDateTime::fromString(text, 0, 1);
}

W::WKVUser makeUser(const char* uid) {
  W::WKVUser user;
  user.setUID(uid);
  user.setName(std::string("name-") + uid);
  user.setPhoneNumber("010-1234");
  W::WMediaResource photo;
  photo.setContentProvider(kProvider);
  photo.setUID(uid);
  photo.setResourceURL(std::string("http://127.0.0.1/photo/") + uid);
  photo.setDownloader(fakeDownloader, &g_providerObject);
  user.setPhoto(photo);
  user.setStatus("active");
  user.setStatusCode("2");
  user.setDelFlag("Y");
  user.setRegisterDate(date("2026-03-15 12:34:56"));
  return user;
}

void expectUser(const W::WKVUser& user, const char* uid) {
  SCOPED_TRACE(uid);
  EXPECT_EQ(user.getUID(), uid);
  EXPECT_EQ(user.getName(), std::string("name-") + uid);
  EXPECT_EQ(user.getPhoneNumber(), "010-1234");
  EXPECT_EQ(user.getPhoto().getResourceURL(), std::string("http://127.0.0.1/photo/") + uid);
  EXPECT_EQ(user.getPhoto().getContentProvider(), kProvider);
  EXPECT_EQ(user.getPhoto().getDownloader(), &fakeDownloader);
  EXPECT_EQ(user.getPhoto().getDownloaderArg(), &g_providerObject);
  EXPECT_EQ(user.getStatus(), "active");
  EXPECT_TRUE(user.hasStatusCode());
  EXPECT_EQ(user.getStatusCode(), "2");
  EXPECT_EQ(user.getDelFlag(), "Y");
  EXPECT_EQ(user.getRegisterDate().toEpoch(), 1773578096);
}

TEST(RecordCopies, UserSurvivesPersonAndListRoundTrip) {
  const W::WKVUser original = makeUser("u1");
  const W::WPerson person = original;  // the base copy that lists hold
  std::list<W::WPerson> persons;
  persons.push_back(person);
  persons.push_back(makeUser("u2"));  // converted on insertion
  std::list<W::WPerson> copied = persons;
  W::WPerson assigned;
  assigned = copied.front();
  expectUser(W::WKVUser(assigned), "u1");
  expectUser(W::WKVUser(copied.back()), "u2");
}

TEST(RecordCopies, StatusCodePresenceIsKeptEvenWhenEmpty) {
  W::WKVUser withEmptyCode;
  withEmptyCode.setStatusCode("");
  const std::list<W::WPerson> persons{withEmptyCode, W::WKVUser()};
  EXPECT_TRUE(W::WKVUser(persons.front()).hasStatusCode());
  EXPECT_FALSE(W::WKVUser(persons.back()).hasStatusCode());
}

TEST(RecordCopies, CommentKeepsSizeAuthorAndDate) {
  W::WKVComment comment;
  comment.setUID("c1");
  comment.setContentProvider(kProvider);
  comment.setComment("nice photo");
  comment.setSize("10");
  comment.setUser(makeUser("author"));
  comment.setRegisterDate(date("2024-02-29"));
  std::list<W::WComment> comments{comment};
  const W::WKVComment back = std::list<W::WComment>(comments).front();
  EXPECT_EQ(back.getUID(), "c1");
  EXPECT_EQ(back.getContentProvider(), kProvider);
  EXPECT_EQ(back.getComment(), "nice photo");
  EXPECT_EQ(back.getSize(), "10");
  EXPECT_TRUE(back.hasUser());
  expectUser(back.getUser(), "author");
  EXPECT_EQ(back.getRegisterDate().toEpoch(), 1709164800);
}

TEST(RecordCopies, EventKeepsTypeAuthorDateAndWhen) {
  W::WKVEvent event;
  event.setUID("e1");
  event.setTitle("picnic");
  event.setDescription("in the park");
  event.setCalendarUID("cal-9");
  event.setWhen(W::WWhen(date("2026-05-01 10:00:00"), date("2026-05-01 16:00:00")));
  event.setType("birthday");
  event.setUser(makeUser("planner"));
  event.setRegisterDate(date("2026-03-15 12:34:56"));
  const std::list<W::WEvent> events{event};
  const W::WKVEvent back = events.front();
  EXPECT_EQ(back.getUID(), "e1");
  EXPECT_EQ(back.getTitle(), "picnic");
  EXPECT_EQ(back.getDescription(), "in the park");
  EXPECT_EQ(back.getCalendarUID(), "cal-9");
  EXPECT_TRUE(back.hasWhen());
  EXPECT_EQ(back.getWhen().getStartTime(), date("2026-05-01 10:00:00"));
  EXPECT_EQ(back.getWhen().getEndTime(), date("2026-05-01 16:00:00"));
  EXPECT_EQ(back.getType(), "birthday");
  ASSERT_TRUE(back.hasUser());
  expectUser(back.getUser(), "planner");
  EXPECT_EQ(back.getRegisterDate().toEpoch(), 1773578096);
}

TEST(RecordCopies, MessageKeepsAuthorAndDate) {
  W::WKVMessage message;
  message.setUID("m1");
  message.setText("hello family");
  message.setUser(makeUser("writer"));
  message.setRegisterDate(date("1970-01-01"));
  const std::list<W::WMessage> messages{message};
  const W::WKVMessage back = messages.front();
  EXPECT_EQ(back.getText(), "hello family");
  ASSERT_TRUE(back.hasUser());
  expectUser(back.getUser(), "writer");
  EXPECT_TRUE(back.getRegisterDate().isValid());
  EXPECT_EQ(back.getRegisterDate().toEpoch(), 0);
}

TEST(RecordCopies, UnsetAuthorStaysUnset) {
  const std::list<W::WComment> comments{W::WKVComment()};
  const std::list<W::WEvent> events{W::WKVEvent()};
  const std::list<W::WMessage> messages{W::WKVMessage()};
  EXPECT_FALSE(W::WKVComment(comments.front()).hasUser());
  EXPECT_FALSE(W::WKVEvent(events.front()).hasUser());
  EXPECT_FALSE(W::WKVMessage(messages.front()).hasUser());
  EXPECT_FALSE(W::WKVEvent(events.front()).hasWhen());
  EXPECT_FALSE(W::WKVComment(comments.front()).getRegisterDate().isValid());
}

// A content as a gallery answer produces it: author, comments with authors,
// an event and a message with authors, thumbnails with downloaders.
W::WContent makeContent() {
  W::WContent content;
  content.setUID("content-1");
  content.setContentProvider(kProvider);
  content.setGalleryID("gal-1");
  content.setResourceURL("http://127.0.0.1/content-1.jpg");
  content.setDownloader(fakeDownloader, &g_providerObject);
  content.setResolution(W::WSize(800, 600));
  content.setRegisterDate(date("2026-03-15 12:34:56"));
  content.setUser(makeUser("owner"));
  content.setCommentCount(2);

  std::list<W::WComment> comments;
  for (const char* uid : {"c-author-1", "c-author-2"}) {
    W::WKVComment comment;
    comment.setUID(std::string("comment-of-") + uid);
    comment.setUser(makeUser(uid));
    comment.setRegisterDate(date("2024-02-29"));
    comments.push_back(comment);
  }
  content.setComments(comments);

  W::WKVEvent event;
  event.setUser(makeUser("e-author"));
  event.setType("meeting");
  content.setEvents({event});
  W::WKVMessage message;
  message.setUser(makeUser("m-author"));
  content.setMessages({message});

  W::WMediaResource thumb;
  thumb.setUID("contentThumbnail_116X87");
  thumb.setDownloader(fakeDownloader, &g_providerObject);
  content.setThumbnails({thumb});
  return content;
}

void expectContent(const W::WContent& content) {
  EXPECT_EQ(content.getUID(), "content-1");
  EXPECT_EQ(content.getGalleryID(), "gal-1");
  EXPECT_EQ(content.getResourceURL(), "http://127.0.0.1/content-1.jpg");
  EXPECT_EQ(content.getDownloader(), &fakeDownloader);
  EXPECT_EQ(content.getResolution(), W::WSize(800, 600));
  EXPECT_EQ(content.getCommentCount(), 2);
  ASSERT_TRUE(content.hasUser());
  expectUser(content.getUser(), "owner");

  ASSERT_EQ(content.getComments().size(), 2u);
  const W::WKVComment first = content.getComments().front();
  const W::WKVComment second = content.getComments().back();
  expectUser(first.getUser(), "c-author-1");
  expectUser(second.getUser(), "c-author-2");
  EXPECT_EQ(second.getUID(), "comment-of-c-author-2");
  EXPECT_EQ(second.getRegisterDate().toEpoch(), 1709164800);

  ASSERT_EQ(content.getEvents().size(), 1u);
  const W::WKVEvent event = content.getEvents().front();
  EXPECT_EQ(event.getType(), "meeting");
  expectUser(event.getUser(), "e-author");
  ASSERT_EQ(content.getMessages().size(), 1u);
  expectUser(W::WKVMessage(content.getMessages().front()).getUser(), "m-author");
  ASSERT_EQ(content.getThumbnails().size(), 1u);
  EXPECT_EQ(content.getThumbnails().front().getDownloaderArg(), &g_providerObject);
}

TEST(RecordCopies, NestedContentKeepsItsAuthorsThroughListsAndGallery) {
  std::list<W::WContent> contents{makeContent()};
  W::WKVGallery gallery;
  gallery.setContents(contents);
  contents.clear();  // the gallery must own its own copies
  const std::list<W::WKVGallery> galleries{gallery};
  const W::WKVGallery copy = galleries.front();
  ASSERT_EQ(copy.getContents().size(), 1u);
  expectContent(copy.getContents().front());
}

TEST(RecordCopies, ContentCopiedAsMediaResourceKeepsDownload) {
  const W::WContent content = makeContent();
  const std::list<W::WMediaResource> resources{content};
  EXPECT_EQ(resources.front().getResourceURL(), "http://127.0.0.1/content-1.jpg");
  EXPECT_EQ(resources.front().getDownloader(), &fakeDownloader);
  EXPECT_EQ(resources.front().getUID(), "content-1");
}

TEST(RecordCopies, GroupKeepsMasterAndImage) {
  W::WGroup group;
  group.setUID("g1");
  group.setMaster(makeUser("master"));
  W::WMediaResource image;
  image.setResourceURL("http://127.0.0.1/g1.png");
  image.setDownloader(fakeDownloader, &g_providerObject);
  group.setImage(image);
  group.setTotalCount(7);
  const std::list<W::WGroup> groups{group};
  const W::WGroup copy = groups.front();
  ASSERT_TRUE(copy.hasMaster());
  expectUser(copy.getMaster(), "master");
  EXPECT_EQ(copy.getImage().getDownloader(), &fakeDownloader);
  EXPECT_EQ(copy.getTotalCount(), 7);
}

// Download through a resource: what the downloader received, per call.
struct DownloadCall {
  int calls = 0;
  const W::WMediaResource* resource = nullptr;
  W::WContentDownloadCallback callback = nullptr;
  void* userData = nullptr;
  void* downloaderArg = nullptr;
};
DownloadCall g_call;

int recordingDownloader(const W::WMediaResource& resource, W::WContentDownloadCallback callback,
                        void* userData, void* downloaderArg) {
  ++g_call.calls;
  g_call.resource = &resource;
  g_call.callback = callback;
  g_call.userData = userData;
  g_call.downloaderArg = downloaderArg;
  return -107;  // a distinct status, to see that it is passed back
}

int g_callbackCalls;
void countingCallback(int, const W::WContentProvider&, const W::WMediaResource&, std::istream&,
                      void*) {
  ++g_callbackCalls;
}

TEST(MediaDownload, WithoutDownloaderIsNotSupportedAndCallsNothing) {
  g_callbackCalls = 0;
  W::WMediaResource resource;
  resource.setResourceURL("http://127.0.0.1/x.jpg");
  int userData = 0;
  EXPECT_FALSE(resource.hasDownloader());
  EXPECT_EQ(resource.download(countingCallback, &userData), -15);
  EXPECT_EQ(g_callbackCalls, 0);
}

TEST(MediaDownload, ForwardsResourceCallbackUserDataAndArgument) {
  g_call = DownloadCall();
  int providerObject = 0, userData = 0;
  W::WMediaResource resource;
  resource.setDownloader(recordingDownloader, &providerObject);
  ASSERT_TRUE(resource.hasDownloader());
  EXPECT_EQ(resource.download(countingCallback, &userData), -107);
  EXPECT_EQ(g_call.calls, 1);
  EXPECT_EQ(g_call.resource, &resource);
  EXPECT_EQ(g_call.callback, &countingCallback);
  EXPECT_EQ(g_call.userData, &userData);
  EXPECT_EQ(g_call.downloaderArg, &providerObject);
}

TEST(MediaDownload, ResettingTheDownloaderToNullDisablesIt) {
  int providerObject = 0;
  W::WMediaResource resource;
  resource.setDownloader(recordingDownloader, &providerObject);
  resource.setDownloader(nullptr, nullptr);
  EXPECT_EQ(resource.download(countingCallback, nullptr), -15);
}

}  // namespace
