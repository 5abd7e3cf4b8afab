// Every fault kind over real HTTP, set through POST /admin/fault, and their
// counts, reset and refusal of bad rules.
#include <chrono>

#include "KvsimTestSupport.h"

namespace kvsim_test {
namespace {

class FaultsTest : public ServerFixture {
 protected:
  void fault(const std::string& form) {
    auto res = m_client->Post("/admin/fault", form, "application/x-www-form-urlencoded");
    ASSERT_TRUE(res);
    ASSERT_EQ(res->status, 200) << form << ": " << res->body;
  }
  static long long msSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
  }
  const std::string list = "me/group.list?search_index=0&search_count=10";
};

TEST_F(FaultsTest, ReplacedAnswersCarryTheirCodeAndBody) {
  struct Row {
    std::string rule;
    int status;
    std::string body;
  } rows[] = {
      {"kind=status&code=500&path=group.list&count=1", 500,
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rsp><result><stat>fail</stat>"
       "<desc>injected status 500</desc></result><data></data></rsp>"},
      {"kind=error&error=206&path=group.list&count=1", 403,
       "Error=206\nDescription=injected error\n"},
      {"kind=malformed&path=group.list&count=1", 200,
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rsp><result>"},
      {"kind=malformed&body=text&path=group.list&count=1", 200, "this is not XML\n"},
  };
  for (const Row& r : rows) {
    fault(r.rule);
    auto res = get(list);
    ASSERT_TRUE(res) << r.rule;
    EXPECT_EQ(res->status, r.status) << r.rule;
    EXPECT_EQ(res->body, r.body) << r.rule;
    // count=1: the next request is answered normally again.
    auto next = get(list);
    EXPECT_EQ(next->status, 200) << r.rule;
    EXPECT_NE(next->body.find("<stat>ok</stat>"), std::string::npos) << r.rule;
  }
}

TEST_F(FaultsTest, FaultsOnlyHitMatchingPathsAndMethods) {
  fault("kind=status&code=404&path=%5E%2Fmedia%2F&method=GET");
  EXPECT_EQ(m_client->Get("/media/users/u1/picture_72X72.png")->status, 404);
  EXPECT_EQ(get(list)->status, 200);
  fault("kind=error&error=203&path=comment&method=POST");
  EXPECT_EQ(post("c1001/comment", "commentText=x", {})->status, 403);
  EXPECT_EQ(get("c1001/comment.list?search_index=0&")->status, 200);  // path matches, method not
  EXPECT_EQ(get("c1001/view")->status, 200);
}

TEST_F(FaultsTest, LatencyDelaysTheAnswer) {
  // Far longer than a loaded machine takes for an undelayed answer (ms).
  fault("kind=latency&ms=3000&path=feeds&count=1");
  auto start = std::chrono::steady_clock::now();
  auto res = get("g1/feeds?&search_before=0");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
  EXPECT_GE(msSince(start), 3000);
  start = std::chrono::steady_clock::now();
  get("g1/feeds?&search_before=0");
  EXPECT_LT(msSince(start), 3000);  // the rule was for one request
}

TEST_F(FaultsTest, DroppedConnectionGetsNoAnswer) {
  fault("kind=drop&path=group.list&count=1");
  auto res = get(list);
  EXPECT_FALSE(res);
  EXPECT_NE(res.error(), httplib::Error::Success);
  EXPECT_EQ(get(list)->status, 200);
}

TEST_F(FaultsTest, TruncatedBodyEndsShortOfItsLength) {
  fault("kind=truncated&path=photo.jpg&count=1");
  std::string received;
  uint64_t announced = 0;
  auto res = m_client->Get(
      "/media/contents/c1001/photo.jpg",
      [&](const httplib::Response& r) {
        announced = std::stoull(r.get_header_value("Content-Length"));
        return true;
      },
      [&](const char* data, size_t n) {
        received.append(data, n);
        return true;
      });
  EXPECT_FALSE(res);
  EXPECT_EQ(announced, 8285u);
  EXPECT_EQ(received.size(), 8285u / 2);
  EXPECT_EQ(m_client->Get("/media/contents/c1001/photo.jpg")->body.size(), 8285u);
}

TEST_F(FaultsTest, SlowBodyArrivesWholeInSteps) {
  fault("kind=slow&path=photo.jpg&bytes=2000&interval_ms=60&count=1");
  std::vector<size_t> chunks;
  auto start = std::chrono::steady_clock::now();
  std::string body;
  auto res = m_client->Get("/media/contents/c1001/photo.jpg", [&](const char* data, size_t n) {
    body.append(data, n);
    chunks.push_back(n);
    return true;
  });
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
  EXPECT_EQ(body.size(), 8285u);
  EXPECT_GE(chunks.size(), 5u);       // 8285 bytes, 2000 at a time
  EXPECT_GE(msSince(start), 4 * 60);  // four pauses between five steps
}

TEST_F(FaultsTest, ClientCanAbandonASlowBody) {
  fault("kind=slow&path=photo.jpg&bytes=100&interval_ms=50");
  size_t got = 0;
  auto start = std::chrono::steady_clock::now();
  auto res = m_client->Get("/media/contents/c1001/photo.jpg", [&](const char*, size_t n) {
    got += n;
    return got < 300;  // cancel after three steps
  });
  EXPECT_FALSE(res);
  EXPECT_EQ(res.error(), httplib::Error::Canceled);
  EXPECT_LT(msSince(start), 2000);
  // The server goes on serving other requests.
  EXPECT_EQ(get(list)->status, 200);
}

TEST_F(FaultsTest, ResetRemovesRulesAndBadRulesAreRefused) {
  fault("kind=status&code=503");
  EXPECT_EQ(get(list)->status, 503);
  auto listed = m_client->Get("/admin/faults");
  EXPECT_NE(listed->body.find("kind=status"), std::string::npos);
  EXPECT_EQ(m_client->Get("/admin/reset")->status, 200);
  EXPECT_EQ(get(list)->status, 200);
  for (const char* bad : {"kind=", "kind=status&code=abc", "kind=slow&bytes=0"}) {
    auto res = m_client->Post("/admin/fault", bad, "application/x-www-form-urlencoded");
    EXPECT_EQ(res->status, 400) << bad;
  }
}

class StartupFaultTest : public ServerFixture {
 protected:
  void SetUp() override {
    kvsim::ServerConfig config;
    kvsim::FaultRule rule;
    std::string error;
    ASSERT_TRUE(kvsim::Faults::parseRule("kind=error&error=206&path=auth&count=2", rule, error));
    config.faults.push_back(rule);
    startServer(std::move(config));
  }
};

TEST_F(StartupFaultTest, RulesFromTheCommandLineApplyFromTheStart) {
  EXPECT_EQ(post("auth", "")->body, "Error=206\nDescription=injected error\n");
  EXPECT_EQ(post("auth", "")->status, 403);
  EXPECT_EQ(post("auth", "")->status, 200);
}

}  // namespace
}  // namespace kvsim_test
