// A family-sharing session end to end over real loopback HTTP: the host
// executor carries every request to a small scripted service started here,
// and completions arrive on the executor's thread. Authenticate, list groups,
// create a group, read its feed, upload a real photo, view it, comment,
// list the comments, then delete the comment, the content and the group.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>

#include "OperationTestSupport.h"
#include "TestFiles.h"
#include "http_test_support.h"

namespace {

using kvtest::okAnswer;

const char* const kPrefix = "/openapi/service/kinvale/";

// One request as the service saw it.
struct Seen {
  std::string method;
  std::string target;  // path and query as sent
  std::string body;
  std::string authorization;
  std::map<std::string, std::string> params;  // decoded query or form fields
  std::string partName, partType, partBytes;  // the multipart file, if any
};

// Answers each resource with canned XML and records every request.
class ScriptedService {
 public:
  ScriptedService() {
    auto handle = [this](const httplib::Request& req, httplib::Response& res) {
      Seen seen;
      seen.method = req.method;
      seen.target = req.target;
      seen.body = req.body;
      seen.authorization = req.get_header_value("Authorization");
      for (const auto& p : req.params) seen.params[p.first] = p.second;
      if (req.has_file("filename")) {
        const httplib::MultipartFormData file = req.get_file_value("filename");
        seen.partName = file.name;
        seen.partType = file.content_type;
        seen.partBytes = file.content;
      }
      res.set_content(answerFor(req.method, req.path), "text/xml");
      std::lock_guard<std::mutex> lock(m_mutex);
      m_requests.push_back(seen);
    };
    server.http().Get(".*", handle);
    server.http().Post(".*", handle);
  }

  bool start() { return server.start(); }
  std::string base() const { return server.url(""); }
  std::vector<Seen> requests() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
  }

  httptest::LoopbackServer server;

 private:
  std::string answerFor(const std::string& method, const std::string& path) const {
    const std::string resource = path.rfind(kPrefix, 0) == 0 ? path.substr(strlen(kPrefix)) : path;
    if (resource == "me/group.list") {
      return okAnswer(
          "<group groupId=\"g-1\"><groupName>Family</groupName>"
          "<groupMaster><userId>u-1</userId><userName>Ann</userName></groupMaster></group>"
          "<group groupId=\"g-2\"><groupName>Friends</groupName></group>");
    }
    if (resource == "me/group.create") {
      return okAnswer("<group groupId=\"g-new\"><groupName>Walk Group</groupName></group>");
    }
    if (resource == "g-new/feeds") {
      return okAnswer(
          "<content contentId=\"c-old\"><contentType>photo</contentType>"
          "<uploadUrl>http://media/c-old.jpg</uploadUrl><contentDetail/></content>");
    }
    if (resource == "g-new/upload") {
      return okAnswer("<contentId>c-up</contentId><uploadUrl>" + base() +
                      "/store/c-up</uploadUrl>");
    }
    if (path == "/store/c-up" || resource == "c-up/view") {
      return okAnswer(
          "<content contentId=\"c-up\"><contentDesc>Walk &amp; talk</contentDesc>"
          "<contentDetail><contentUrl>" +
          base() + "/media/c-up.jpg</contentUrl></contentDetail></content>");
    }
    if (resource == "c-up/comment") return okAnswer("<commentId>cm-1</commentId>");
    if (resource == "c-up/comment.list") {
      return okAnswer(
          "<comment commentId=\"cm-1\"><commentText>Tom &amp; Jerry = 100%"
          "</commentText></comment>");
    }
    (void)method;
    return okAnswer("");
  }

  std::mutex m_mutex;
  std::vector<Seen> m_requests;
};

void onAuthenticated(W::WSTATUS status, const W::WContentProvider&, void* userData) {
  kvtest::Seen::record(userData, status, [](kvtest::Seen&) {});
}

class Walkthrough : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(service.start());
    kvtest::configure("app-1", "token-1", "duid-1", service.base());
    oai.reset(new W::WKVOAI());
    std::ofstream(photoPath, std::ios::binary) << photoBytes;
  }
  void TearDown() override {
    oai.reset();
    kvtest::clearConfiguration();
  }

  ScriptedService service;
  std::unique_ptr<W::WKVOAI> oai;
  const kvtest::TempDir dir{"kv-walk"};
  const std::string photoPath = dir.file("photo.jpg");
  const std::string photoBytes =
      std::string("\xFF\xD8\xFF\xE0 walk photo \0 bytes", 23) + "\xFF\xD9";
};

TEST_F(Walkthrough, FamilySharingSessionOverLoopbackHttp) {
  kvtest::Seen authenticated;
  ASSERT_EQ(oai->authKV(&onAuthenticated, &authenticated), 0);
  ASSERT_TRUE(authenticated.waitCalls(1));
  EXPECT_EQ(authenticated.status, 0);
  ASSERT_TRUE(oai->getService()->isLoggedIn());

  kvtest::Seen groups;
  ASSERT_EQ(oai->retrieveGroupList(W::WPerson(), &kvtest::onGroupList, 0, 10,
                                   W::KV_SORT_ALPHABETICAL, W::KV_INCLUDE_ALL, &groups),
            0);
  ASSERT_TRUE(groups.waitCalls(1));
  EXPECT_EQ(groups.status, 0);
  ASSERT_EQ(groups.groups.size(), 2u);
  EXPECT_EQ(groups.groups[0].getUID(), "g-1");
  EXPECT_EQ(groups.groups[0].getMaster().getName(), "Ann");

  kvtest::Seen created;
  ASSERT_EQ(oai->createGroup(kvtest::groupWith("", "Walk Group", "Weekend walks"), W::WPerson(),
                             &kvtest::onGroup, &created),
            0);
  ASSERT_TRUE(created.waitCalls(1));
  EXPECT_EQ(created.status, 0);
  const W::WGroup group = created.group;
  EXPECT_EQ(group.getUID(), "g-new");

  kvtest::Seen feed;
  ASSERT_EQ(oai->retrieveGroupFeeds(group, "now", "", 30, W::KV_BASE_CREATED_TIME, W::KV_ITEM_ALL,
                                    W::KV_INCLUDE_NONE, &kvtest::onContentList, &feed),
            0);
  ASSERT_TRUE(feed.waitCalls(1));
  EXPECT_EQ(feed.status, 0);
  ASSERT_EQ(feed.contents.size(), 1u);
  EXPECT_EQ(feed.contents[0].getResourceURL(), "http://media/c-old.jpg");

  kvtest::Seen uploaded;
  W::WContent photo;
  photo.setMIMEType("image/jpeg");
  photo.setDescription("Walk & talk");
  ASSERT_EQ(oai->createContent(group, photo, W::KV_CONTENT_PHOTO, photoPath,
                               &kvtest::onContentCreated, &uploaded),
            0);
  ASSERT_TRUE(uploaded.waitCalls(1));
  EXPECT_EQ(uploaded.status, 0);
  const W::WContent content = uploaded.content;
  EXPECT_EQ(content.getUID(), "c-up");
  EXPECT_EQ(uploaded.text, photoPath);

  kvtest::Seen viewed;
  ASSERT_EQ(oai->viewContent(content, &kvtest::onContent, &viewed), 0);
  ASSERT_TRUE(viewed.waitCalls(1));
  EXPECT_EQ(viewed.status, 0);
  EXPECT_EQ(viewed.content.getResourceURL(), service.base() + "/media/c-up.jpg");

  kvtest::Seen commented;
  ASSERT_EQ(oai->createComment(content, kvtest::commentWith("", "Tom & Jerry = 100%"),
                               &kvtest::onCommentText, &commented),
            0);
  ASSERT_TRUE(commented.waitCalls(1));
  EXPECT_EQ(commented.status, 0);

  kvtest::Seen listed;
  ASSERT_EQ(oai->retrieveComments(content, &kvtest::onCommentList, 0, 20, &listed), 0);
  ASSERT_TRUE(listed.waitCalls(1));
  EXPECT_EQ(listed.status, 0);
  ASSERT_EQ(listed.comments.size(), 1u);
  const W::WComment comment = listed.comments[0];
  EXPECT_EQ(comment.getComment(), "Tom & Jerry = 100%");

  kvtest::Seen commentGone, contentGone, groupGone;
  ASSERT_EQ(oai->deleteComment(comment, &kvtest::onComment, &commentGone), 0);
  ASSERT_TRUE(commentGone.waitCalls(1));
  ASSERT_EQ(oai->deleteContent(content, &kvtest::onContent, &contentGone), 0);
  ASSERT_TRUE(contentGone.waitCalls(1));
  ASSERT_EQ(oai->deleteGroup(group, &kvtest::onGroup, &groupGone), 0);
  ASSERT_TRUE(groupGone.waitCalls(1));
  EXPECT_EQ(commentGone.status, 0);
  EXPECT_EQ(contentGone.status, 0);
  EXPECT_EQ(groupGone.status, 0);
  EXPECT_EQ(groupGone.group.getUID(), "g-new");
  // The last command is unregistered right after its callback returns.
  const auto deadline = std::chrono::steady_clock::now() + httptest::kWait;
  while (oai->pendingCommands() != 0 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_EQ(oai->pendingCommands(), 0u);

  // What the service saw, in order.
  const std::vector<Seen> requests = service.requests();
  const std::string p = kPrefix;
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"POST", p + "auth"},
      {"GET", p + "me/group.list?search_index=0&search_count=10&option_sort=alphabetical"
                  "&&option_include=creator,member,usage,new"},
      {"POST", p + "me/group.create"},
      {"GET", p + "g-new/feeds?&search_before=now&search_count=30&search_base=created_time"
                  "&option_item=all&option_include=none"},
      {"POST", p + "g-new/upload"},
      {"POST", "/store/c-up"},
      {"GET", p + "c-up/view"},
      {"POST", p + "c-up/comment"},
      {"GET", p + "c-up/comment.list?search_index=0&search_count=20"},
      {"POST", p + "cm-1/delete"},
      {"POST", p + "c-up/delete"},
      {"POST", p + "me/group.delete"},
  };
  ASSERT_EQ(requests.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(requests[i].method, expected[i].first) << i;
    EXPECT_EQ(requests[i].target, expected[i].second) << i;
  }
  EXPECT_EQ(requests[2].body, "group_name=Walk+Group&group_desc=Weekend+walks");
  EXPECT_EQ(requests[4].body,
            "type=photo&description=Walk+%26+talk&file_size=" + std::to_string(photoBytes.size()));
  EXPECT_EQ(requests[5].partName, "filename");
  EXPECT_EQ(requests[5].partType, "image/jpeg");
  EXPECT_EQ(requests[5].partBytes, photoBytes);
  EXPECT_EQ(requests[7].body, "commentText=Tom+%26+Jerry+%3D+100%25");
  EXPECT_EQ(requests[7].params.at("commentText"), "Tom & Jerry = 100%");
  EXPECT_EQ(requests[7].authorization, "") << "comments carry only the app token";
  EXPECT_EQ(requests[11].body, "groupID=g-new");
  for (size_t i : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 8u, 9u, 10u, 11u}) {
    EXPECT_NE(requests[i].authorization.find("signature=\""), std::string::npos) << i;
  }
}

}  // namespace
