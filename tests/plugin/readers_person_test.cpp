// Person records read from the service's XML: creator and member forms,
// their pictures, and the cancel check of the member walk.
#include <W/WKVUser.h>

#include <gtest/gtest.h>

#include "PluginTestSupport.h"
#include "XmlTestDoc.h"

namespace {

using kvtest::XmlDoc;

class PersonReaders : public ::testing::Test {
 protected:
  void SetUp() override { kvtest::configure(); }
  void TearDown() override { kvtest::clearConfiguration(); }

  void expectDownloadable(const W::WMediaResource& picture) {
    EXPECT_EQ(picture.getDownloader(), &W::WKVOAI::fnContentDownloader);
    EXPECT_EQ(picture.getDownloaderArg(), static_cast<void*>(&oai));
    EXPECT_EQ(picture.getContentProvider(), kvtest::provider());
  }

  W::WKVOAI oai;
};

TEST_F(PersonReaders, NullNodesGiveEmptyRecords) {
  W::WMediaResource image = oai.userImage(nullptr);
  EXPECT_EQ(image.getContentProvider().getID(), 0u);
  EXPECT_EQ(image.getUID(), "");
  EXPECT_EQ(image.getResourceURL(), "");
  EXPECT_FALSE(image.hasDownloader());
  W::WMediaResource named = oai.getImage(nullptr, "userImage", "u1");
  EXPECT_EQ(named.getContentProvider().getID(), 0u);
  EXPECT_EQ(named.getUID(), "");
  EXPECT_EQ(oai.getUser(nullptr).getUID(), "");
  EXPECT_TRUE(oai.getUsers(nullptr, "member").empty());
}

TEST_F(PersonReaders, CreatorEntriesReadTheSameAsAttributesOrChildElements) {
  struct Row {
    const char* xml;
    const char* uid;
    const char* name;
  };
  const Row rows[] = {
      {"<user userId='u1' userName='Ann'/>", "u1", "Ann"},
      {"<user><userId>u1</userId><userName>Ann</userName></user>", "u1", "Ann"},
      {"<user userId='u1'><userName/></user>", "u1", ""},
      {"<user userName='Attr'><userName>Child</userName></user>", "", "Attr"},
      {"<user><userName>First</userName><userName>Second</userName></user>", "", "First"},
  };
  for (const Row& row : rows) {
    XmlDoc doc(row.xml);
    W::WPerson person = oai.getUser(doc.root());
    EXPECT_EQ(person.getUID(), row.uid) << row.xml;
    EXPECT_EQ(person.getName(), row.name) << row.xml;
    EXPECT_EQ(person.getContentProvider().getID(), 0u) << "a person has no provider";
  }
}

TEST_F(PersonReaders, CreatorPictureWithoutUrlHasProviderOnly) {
  XmlDoc doc("<thumbnail><other>x</other></thumbnail>");
  W::WMediaResource picture = oai.userImage(doc.root());
  EXPECT_EQ(picture.getContentProvider(), kvtest::provider());
  EXPECT_EQ(picture.getResourceURL(), "");
  EXPECT_EQ(picture.getUID(), "");
  EXPECT_FALSE(picture.hasDownloader());
}

TEST_F(PersonReaders, CreatorPictureCarriesFixedUidAndDownloader) {
  XmlDoc doc("<thumbnail userImageThumbnail_72X72='http://h/p/a.jpg'/>");
  W::WMediaResource picture = oai.userImage(doc.root());
  EXPECT_EQ(picture.getResourceURL(), "http://h/p/a.jpg");
  EXPECT_EQ(picture.getUID(), "userImageThumbnail_72X72");
  expectDownloadable(picture);
}

TEST_F(PersonReaders, LastPictureInDocumentOrderWins) {
  struct Row {
    const char* xml;
    const char* url;
  };
  const Row rows[] = {
      {"<user><thumbnail userImageThumbnail_72X72='a'/>"
       "<thumbnail userImageThumbnail_72X72='b'/></user>",
       "b"},
      {"<user><thumbnail userImageThumbnail_72X72='a'/>"
       "<userImage><thumbnail userImageThumbnail_72X72='b'/>"
       "<thumbnail userImageThumbnail_72X72='c'/></userImage></user>",
       "c"},
      {"<user><userImage><thumbnail userImageThumbnail_72X72='a'/></userImage>"
       "<thumbnail userImageThumbnail_72X72='b'/></user>",
       "b"},
      // A later picture without URL still replaces an earlier one.
      {"<user><thumbnail userImageThumbnail_72X72='a'/><thumbnail/></user>", ""},
      // Only thumbnail elements inside userImage count.
      {"<user><thumbnail userImageThumbnail_72X72='a'/>"
       "<userImage><picture userImageThumbnail_72X72='z'/></userImage></user>",
       "a"},
  };
  for (const Row& row : rows) {
    XmlDoc doc(row.xml);
    W::WPerson person = oai.getUser(doc.root());
    EXPECT_EQ(person.getPhoto().getResourceURL(), row.url) << row.xml;
    EXPECT_EQ(person.getPhoto().getContentProvider(), kvtest::provider()) << row.xml;
  }
}

TEST_F(PersonReaders, MemberFormFillsEveryField) {
  XmlDoc doc(
      "<event>"
      "<member id='m1' phoneNumber='555'>"
      "<userName>Bob</userName><userImage>http://h/u/m1.png</userImage>"
      "<userStatus>active<code>7</code></userStatus>"
      "<contentDelFlag>N</contentDelFlag>"
      "<userRegisterDate>2026-12-01 10:20:30</userRegisterDate>"
      "</member></event>");
  std::list<W::WPerson> members = oai.getUsers(doc.root(), "member");
  ASSERT_EQ(members.size(), 1u);
  W::WKVUser user(members.front());
  EXPECT_EQ(user.getUID(), "m1");
  EXPECT_EQ(user.getName(), "Bob");
  EXPECT_EQ(user.getPhoneNumber(), "555");
  EXPECT_EQ(user.getStatus(), "active");
  EXPECT_TRUE(user.hasStatusCode());
  EXPECT_EQ(user.getStatusCode(), "7");
  EXPECT_EQ(user.getDelFlag(), "N");
  EXPECT_EQ(user.getRegisterDate(), W::WDateTime::fromString("2026-12-01 10:20:30", 0, 1));
  EXPECT_TRUE(user.getRegisterDate().isValid());
  EXPECT_EQ(user.getPhoto().getResourceURL(), "http://h/u/m1.png");
  EXPECT_EQ(user.getPhoto().getUID(), "m1") << "the picture takes the person's UID";
  expectDownloadable(user.getPhoto());
}

TEST_F(PersonReaders, MemberPictureWithoutUrlHasUidButNoDownloader) {
  XmlDoc doc("<list><member id='m2'/></list>");
  std::list<W::WPerson> members = oai.getUsers(doc.root(), "member");
  ASSERT_EQ(members.size(), 1u);
  const W::WMediaResource& photo = members.front().getPhoto();
  EXPECT_EQ(photo.getUID(), "m2");
  EXPECT_EQ(photo.getContentProvider(), kvtest::provider());
  EXPECT_FALSE(photo.hasDownloader());
  EXPECT_FALSE(W::WKVUser(members.front()).getRegisterDate().isValid());
}

TEST_F(PersonReaders, CommentDelFlagIsUsedOnlyWhenContentDelFlagIsEmpty) {
  struct Row {
    const char* member;
    const char* flag;
  };
  const Row rows[] = {
      {"<member contentDelFlag='Y' commentDelFlag='N'/>", "Y"},
      {"<member commentDelFlag='N'/>", "N"},
      {"<member><contentDelFlag/><commentDelFlag>N</commentDelFlag></member>", "N"},
      {"<member contentDelFlag='' commentDelFlag='Y'/>", "Y"},
      {"<member/>", ""},
  };
  for (const Row& row : rows) {
    XmlDoc doc(std::string("<list>") + row.member + "</list>");
    std::list<W::WPerson> members = oai.getUsers(doc.root(), "member");
    ASSERT_EQ(members.size(), 1u) << row.member;
    EXPECT_EQ(W::WKVUser(members.front()).getDelFlag(), row.flag) << row.member;
  }
}

TEST_F(PersonReaders, StatusCodeIsSetOnlyWhenAUserStatusElementExists) {
  XmlDoc doc(
      "<list>"
      "<member id='a'><userStatus code='3'>busy</userStatus></member>"
      "<member id='b' userStatus='idle'/>"
      "<member id='c'><userStatus/><userStatus code='9'/></member>"
      "</list>");
  std::list<W::WPerson> members = oai.getUsers(doc.root(), "member");
  ASSERT_EQ(members.size(), 3u);
  auto it = members.begin();
  W::WKVUser a(*it++);
  W::WKVUser b(*it++);
  W::WKVUser c(*it++);
  EXPECT_EQ(a.getStatus(), "busy");
  EXPECT_TRUE(a.hasStatusCode());
  EXPECT_EQ(a.getStatusCode(), "3");
  EXPECT_EQ(b.getStatus(), "idle");
  EXPECT_FALSE(b.hasStatusCode()) << "no userStatus element, and nothing carried over from a";
  EXPECT_TRUE(c.hasStatusCode()) << "the first userStatus element is read, even if empty";
  EXPECT_EQ(c.getStatusCode(), "");
}

TEST_F(PersonReaders, MemberNamesMatchExactlyAndKeepDocumentOrder) {
  XmlDoc doc(
      "<event>"
      "<eventRegisterMember id='1'/>"
      "<eventRegisterMemberX id='x'/>"
      "<eventRegisterMembe id='y'/>"
      "<EventRegisterMember id='z'/>"
      "<other><eventRegisterMember id='nested'/></other>"
      "<eventRegisterMember id='2'/>"
      "</event>");
  std::list<W::WPerson> members = oai.getUsers(doc.root(), "eventRegisterMember");
  ASSERT_EQ(members.size(), 2u);
  EXPECT_EQ(members.front().getUID(), "1");
  EXPECT_EQ(members.back().getUID(), "2");
}

TEST_F(PersonReaders, PendingCancelEmptiesTheMemberList) {
  XmlDoc doc("<list><member id='1'/><member id='2'/><member id='3'/></list>");
  kvtest::logIn(oai);
  ASSERT_EQ(oai.cancel(kvtest::provider(), nullptr, nullptr), 0);
  EXPECT_TRUE(oai.getUsers(doc.root(), "member").empty());
  EXPECT_TRUE(oai.isCancelRequested()) << "a reader only reads the flag";
  oai.cancelFlagReset();
  EXPECT_EQ(oai.getUsers(doc.root(), "member").size(), 3u);
}

}  // namespace
