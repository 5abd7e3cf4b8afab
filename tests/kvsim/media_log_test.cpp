// Media URLs with their Content-Type and bytes, and the request log lines in
// memory, in the --log file and from GET /admin/log.
#include <sstream>

#include "KvsimTestSupport.h"
#include "TestFiles.h"

namespace kvsim_test {
namespace {

using MediaTest = ServerFixture;

TEST_F(MediaTest, EveryHandedOutUrlServesBytesWithItsType) {
  struct Row {
    const char* path;
    const char* type;
    std::string magic;
  } rows[] = {
      {"/media/contents/c1001/photo.jpg", "image/jpeg", std::string("\xff\xd8\xff", 3)},
      {"/media/contents/c1001/thumb_1920X1080.jpg", "image/jpeg", std::string("\xff\xd8\xff", 3)},
      {"/media/contents/c1001/thumb_116X87.jpg", "image/jpeg", std::string("\xff\xd8\xff", 3)},
      {"/media/contents/c1034/clip.mp4", "video/mp4",
       std::string("\0\0\0\x18"
                   "ftyp",
                   8)},
      {"/media/contents/c1036/song.mp3", "audio/mpeg", "ID3"},
      {"/media/groups/g2/image.png", "image/png", "\x89PNG"},
      {"/media/groups/g1/thumb_274X204.png", "image/png", "\x89PNG"},
      {"/media/users/u4/picture_72X72.png", "image/png", "\x89PNG"},
  };
  for (const Row& r : rows) {
    auto res = m_client->Get(r.path);
    ASSERT_TRUE(res) << r.path;
    EXPECT_EQ(res->status, 200) << r.path;
    EXPECT_EQ(res->get_header_value("Content-Type"), r.type) << r.path;
    EXPECT_EQ(res->body.compare(0, r.magic.size(), r.magic), 0) << r.path;
  }
  EXPECT_EQ(m_client->Get("/media/contents/c1001/nothing.jpg")->status, 404);
  EXPECT_EQ(m_client->Post("/media/contents/c1001/photo.jpg", "", "text/plain")->status, 405);
}

TEST_F(MediaTest, ViewedUrlsAndSizesMatchTheServedFiles) {
  const std::string data = dataOf(get("c1034/view")->body);
  const std::string prefix = "<contentUrl>" + base();
  size_t at = data.find(prefix);
  ASSERT_NE(at, std::string::npos);
  at += prefix.size();
  std::string path = data.substr(at, data.find('<', at) - at);
  auto file = m_client->Get(path.c_str());
  ASSERT_TRUE(file);
  EXPECT_NE(data.find("<size>" + std::to_string(file->body.size()) + "</size>"), std::string::npos);
}

class LogTest : public ServerFixture {
 protected:
  void SetUp() override {
    m_path = m_dir.file("requests.log");
    kvsim::ServerConfig config;
    config.logPath = m_path;
    startServer(std::move(config));
  }
  std::string fileText() const { return kvtest::readFile(m_path); }
  kvtest::TempDir m_dir{"kvsim-log"};
  std::string m_path;
};

TEST_F(LogTest, OneLinePerRequestWithCredentialsBodyAndCode) {
  get("me/group.list?search_index=0&search_count=1&option_sort=alphabetical&&option_include="
      "creator,member,usage,new");
  httplib::Headers bad = signedHeaders();
  bad.erase("Authorization");
  bad.emplace("Authorization", kvsim::buildAuthorization(kAppId, kToken, kDuid, "00"));
  post("me/group.create", "group_name=Trip+2027", bad);
  post("c1001/comment", "commentText=hi", {{"appToken", ""}});
  post("c1001/comment", "commentText=hi", {{"appToken", "x"}});
  m_client->Post("/admin/fault", "kind=drop&path=feeds&count=1",
                 "application/x-www-form-urlencoded");
  get("g1/feeds?&search_before=0");
  m_client->Get("/media/users/u1/picture_72X72.png");

  const std::string expected =
      "GET /openapi/service/kinvale/me/group.list query=search_index=0&search_count=1&"
      "option_sort=alphabetical&&option_include=creator,member,usage,new app_id=kvdemo-app "
      "duid=kvdemo-tv-0001 sig=ok appToken=no body=0 code=200 fault=- scheme=http\n"
      "POST /openapi/service/kinvale/me/group.create query=- app_id=kvdemo-app "
      "duid=kvdemo-tv-0001 sig=bad appToken=no body=20 code=401 fault=- scheme=http\n"
      // An empty header value does not survive the HTTP library: appToken=no.
      "POST /openapi/service/kinvale/c1001/comment query=- app_id=- duid=- sig=none appToken=no "
      "body=14 code=200 fault=- scheme=http\n"
      "POST /openapi/service/kinvale/c1001/comment query=- app_id=- duid=- sig=none appToken=yes "
      "body=14 code=401 fault=- scheme=http\n"
      "GET /openapi/service/kinvale/g1/feeds query=&search_before=0 app_id=kvdemo-app "
      "duid=kvdemo-tv-0001 sig=ok appToken=no body=0 code=drop fault=drop scheme=http\n"
      "GET /media/users/u1/picture_72X72.png query=- app_id=- duid=- sig=none appToken=no body=0 "
      "code=200 fault=- scheme=http\n";
  EXPECT_EQ(fileText(), expected);
  EXPECT_EQ(m_client->Get("/admin/log")->body, expected);  // admin requests are not logged
}

TEST(LogLine, EmptyValuesAndSpacesStayOnOneLine) {
  kvsim::LogEntry e;
  e.method = "GET";
  e.path = "/media/a b";
  e.query = "x=1\n";
  e.signature = "none";
  e.code = "404";
  EXPECT_EQ(kvsim::formatLogLine(e),
            "GET /media/a%20b query=x=1%0A app_id=- duid=- sig=none appToken=no body=0 code=404 "
            "fault=- scheme=-");
}

}  // namespace
}  // namespace kvsim_test
