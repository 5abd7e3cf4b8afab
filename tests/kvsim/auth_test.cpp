// kvsim's credential checks over HTTP: which Authorization, DATE and
// appToken combinations a resource accepts (200) and which it refuses (401).
#include "KvsimTestSupport.h"

namespace kvsim_test {
namespace {

using AuthTest = ServerFixture;

httplib::Headers withAuthorization(const std::string& value, const std::string& date) {
  httplib::Headers h;
  if (!value.empty()) h.emplace("Authorization", value);
  if (!date.empty()) h.emplace("DATE", date);
  return h;
}

TEST_F(AuthTest, SignedRequestsAreAcceptedOrRefusedWith401) {
  const std::string now = kvsim::formatDateHeader(std::time(nullptr));
  const std::string good =
      kvsim::buildAuthorization(kAppId, kToken, kDuid, kvsim::signatureOf(kAppId, kToken));
  const std::string emptyKey =
      kvsim::buildAuthorization(kAppId, kToken, kDuid, kvsim::signatureOf("", ""));
  const std::string wrongSig =
      kvsim::buildAuthorization(kAppId, kToken, kDuid, std::string(40, 'f'));
  const std::string otherAccount =
      kvsim::buildAuthorization("someone", kToken, kDuid, kvsim::signatureOf("someone", kToken));
  const std::string wrongDuid =
      kvsim::buildAuthorization(kAppId, kToken, "tv-9", kvsim::signatureOf(kAppId, kToken));
  struct Row {
    const char* name;
    bool isPost;
    std::string resource;
    std::string authorization;
    std::string date;
    int status;
  } rows[] = {
      {"auth, own signature", true, "auth", good, now, 200},
      {"auth, empty-key signature", true, "auth", emptyKey, now, 200},
      {"register, empty-key signature", true, "register", emptyKey, now, 200},
      {"auth, wrong signature", true, "auth", wrongSig, now, 401},
      {"auth, unknown app", true, "auth", otherAccount, now, 401},
      {"auth, no DATE", true, "auth", good, "", 401},
      {"list, own signature", false, "me/group.list", good, now, 200},
      {"list, zero-padded DATE", false, "me/group.list", good, "Tue, 08 Dec 2026 01:02:03 GMT",
       200},
      {"list, empty-key signature", false, "me/group.list", emptyKey, now, 401},
      {"list, wrong DUID", false, "me/group.list", wrongDuid, now, 401},
      {"list, no Authorization", false, "me/group.list", "", now, 401},
      {"list, other scheme", false, "me/group.list", "Basic a2V5OnZhbHVl", now, 401},
      {"list, bad DATE", false, "me/group.list", good, "yesterday", 401},
      {"view, no DATE", false, "c1001/view", good, "", 401},
  };
  for (const Row& r : rows) {
    httplib::Headers h = withAuthorization(r.authorization, r.date);
    auto res = r.isPost ? post(r.resource, "", h) : get(r.resource, h);
    ASSERT_TRUE(res) << r.name;
    EXPECT_EQ(res->status, r.status) << r.name << ": " << res->body;
  }
}

TEST_F(AuthTest, AuthAnswerHasResultChildrenAndUser) {
  auto res = post("auth", "", signedHeaders());
  ASSERT_TRUE(res);
  EXPECT_EQ(res->get_header_value("Content-Type"), "text/xml; charset=UTF-8");
  EXPECT_NE(res->body.find("<result><stat>ok</stat><desc>authenticated</desc></result>"),
            std::string::npos);
  EXPECT_NE(res->body.find("<userId>u1</userId><userName>Alex Kim</userName>"), std::string::npos);
}

TEST_F(AuthTest, CommentCreationNeedsOnlyAMatchingAppToken) {
  struct Row {
    const char* name;
    httplib::Headers headers;
    int status;
  } rows[] = {
      {"no headers at all", {}, 200},
      {"empty appToken", {{"appToken", ""}}, 200},
      {"wrong appToken", {{"appToken", "guess"}}, 401},
      {"signed instead", signedHeaders(), 200},
  };
  for (const Row& r : rows) {
    auto res = post("c1002/comment", "commentText=hi", r.headers);
    ASSERT_TRUE(res) << r.name;
    EXPECT_EQ(res->status, r.status) << r.name << ": " << res->body;
  }
}

class AppTokenAccountTest : public ServerFixture {
 protected:
  void SetUp() override {
    kvsim::ServerConfig config;
    kvsim::Account a = kvsim::AccountList::defaultAccount();
    a.appToken = "at-1";
    config.accounts.add(a);
    startServer(std::move(config));
  }
};

TEST_F(AppTokenAccountTest, AccountWithAppTokenRefusesEmptyOrWrongOnes) {
  EXPECT_EQ(post("c1002/comment", "commentText=hi", {})->status, 401);
  EXPECT_EQ(post("c1002/comment", "commentText=hi", {{"appToken", "at-1"}})->status, 200);
  httplib::Headers wrong = signedHeaders();
  wrong.emplace("appToken", "at-2");
  EXPECT_EQ(post("me/group.delete", "groupID=g1", wrong)->status, 401);
  httplib::Headers right = signedHeaders();
  right.emplace("appToken", "at-1");
  EXPECT_EQ(post("me/group.delete", "groupID=g1", right)->status, 200);
}

TEST_F(AuthTest, UnknownPathsAndMethodsAreNotFoundOrNotAllowed) {
  EXPECT_EQ(get("me/group.lists")->status, 404);
  EXPECT_EQ(get("a/b/c")->status, 404);
  EXPECT_EQ(m_client->Get("/openapi/other", signedHeaders())->status, 404);
  EXPECT_EQ(get("auth")->status, 405);
  EXPECT_EQ(post("me/group.list", "")->status, 405);
}

}  // namespace
}  // namespace kvsim_test
