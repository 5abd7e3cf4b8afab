// The provider against a service that answers badly, through the real
// executor and a loopback server: answers too large to keep, answers that
// drip, media that never ends, redirects, and XML built to explode. Every
// case must end, quickly and with a true status, instead of hanging the
// host, filling its memory or following the server elsewhere.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>

#include "DownloadTestSupport.h"
#include "OperationTestSupport.h"
#include "http_test_support.h"

namespace {

const char kGroupListPath[] = "/openapi/service/kinvale/me/group.list";
const char kEnvelopeStart[] = "<rsp><result><stat>ok</stat></result><data>";

// Sends `chunk` until the client goes away, after `pause` each time.
void stream(httplib::Response& res, const std::string& type, std::string first, std::string chunk,
            std::chrono::milliseconds pause) {
  auto sentFirst = std::make_shared<bool>(false);
  res.set_chunked_content_provider(type, [=](size_t, httplib::DataSink& sink) {
    if (!*sentFirst) {
      *sentFirst = true;
      return sink.write(first.data(), first.size());
    }
    std::this_thread::sleep_for(pause);
    return sink.write(chunk.data(), chunk.size());
  });
}

// "Billion laughs": ten levels of ten references each.
std::string entityBomb() {
  std::string doc = "<?xml version=\"1.0\"?><!DOCTYPE rsp [<!ENTITY e0 \"laugh\">";
  for (int i = 1; i < 10; ++i) {
    doc += "<!ENTITY e" + std::to_string(i) + " \"";
    for (int j = 0; j < 10; ++j) doc += "&e" + std::to_string(i - 1) + ";";
    doc += "\">";
  }
  return doc +
         "]><rsp><result><stat>ok</stat></result><data><group groupId=\"&e9;\"/></data></rsp>";
}

std::string nested(int depth) {
  std::string open, close;
  for (int i = 0; i < depth; ++i) {
    open += "<n>";
    close += "</n>";
  }
  return kEnvelopeStart + open + close + "</data></rsp>";
}

class Hostile : public ::testing::Test {
 protected:
  void SetUp() override {
    server.http().Get(kGroupListPath, [this](const httplib::Request&, httplib::Response& res) {
      std::function<void(httplib::Response&)> answer;
      {
        std::lock_guard<std::mutex> lock(answerLock);
        answer = groupListAnswer;
      }
      if (answer) answer(res);
    });
    server.http().Get("/elsewhere", [this](const httplib::Request&, httplib::Response& res) {
      ++redirectTargetHits;
      res.set_content(kvtest::okAnswer(""), "text/xml");
    });
    server.http().Get("/media/endless", [](const httplib::Request&, httplib::Response& res) {
      const std::string chunk(64 * 1024, 'v');
      stream(res, "video/mp4", chunk, chunk, std::chrono::milliseconds(0));
    });
    server.http().Get("/media/old", [](const httplib::Request&, httplib::Response& res) {
      res.set_redirect("/media/file.jpg");
    });
    server.http().Get("/media/file.jpg", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("jpeg", "image/jpeg");
    });
    server.http().Post(R"(/openapi/service/kinvale/g-1/upload)", [](const httplib::Request&,
                                                                    httplib::Response& res) {
      stream(res, "text/xml", kEnvelopeStart, "  ", std::chrono::milliseconds(100));
    });
    server.http().Get("/media/to-ftp", [](const httplib::Request&, httplib::Response& res) {
      res.set_redirect("ftp://127.0.0.1:1/file.jpg");
    });
    ASSERT_TRUE(server.start());
    kvtest::configure("app-1", "token-1", "duid-1", server.url(""));
    // Small enough for the test's servers; the watchdogs sit far above.
    setOption("request_timeout", "1");
    setOption("max_answer_bytes", "65536");
    kvtest::logIn(oai);
  }
  void TearDown() override {
    EXPECT_TRUE(kvtest::eventually([&] { return oai.getService()->pendingArgs() == 0; }));
    kvtest::clearConfiguration();
  }
  static void setOption(const char* key, const std::string& value) {
    W::WConfigManager::getInstance().setCPOption(kvtest::provider(), key, value);
  }
  // Lists groups against an answer made by `answer` and returns the status
  // the callback got.
  W::WSTATUS listGroups(std::function<void(httplib::Response&)> answer) {
    {
      std::lock_guard<std::mutex> lock(answerLock);
      groupListAnswer = std::move(answer);
    }
    kvtest::Seen seen;
    EXPECT_EQ(oai.retrieveGroupList(W::WPerson(), &kvtest::onGroupList, 0, 10,
                                    W::KV_SORT_ALPHABETICAL, W::KV_INCLUDE_NONE, &seen),
              0);
    EXPECT_TRUE(seen.waitCalls(1, std::chrono::seconds(30)));
    return seen.status;
  }

  std::mutex answerLock;
  std::function<void(httplib::Response&)> groupListAnswer;
  std::atomic<int> redirectTargetHits{0};
  httptest::LoopbackServer server;
  W::WKVOAI oai;
};

TEST_F(Hostile, ServiceAnswersEndWithATrueStatus) {
  struct Row {
    const char* name;
    std::function<void(httplib::Response&)> answer;
    W::WSTATUS status;
  };
  const Row rows[] = {
      {"answer over max_answer_bytes",
       [](httplib::Response& res) {
         res.set_content(kEnvelopeStart + std::string(1 << 20, ' ') + "</data></rsp>", "text/xml");
       },
       -16},
      {"endless answer",
       [](httplib::Response& res) {
         stream(res, "text/xml", kEnvelopeStart, std::string(64 * 1024, ' '),
                std::chrono::milliseconds(0));
       },
       -16},
      {"answer dripping past request_timeout",
       [](httplib::Response& res) {
         stream(res, "text/xml", kEnvelopeStart, "  ", std::chrono::milliseconds(100));
       },
       -105},
      {"redirect is an answer, not followed",
       [](httplib::Response& res) { res.set_redirect("/elsewhere"); }, -16},
      {"entity expansion bomb",
       [](httplib::Response& res) { res.set_content(entityBomb(), "text/xml"); }, -16},
      {"nesting deeper than any answer",
       [](httplib::Response& res) { res.set_content(nested(5000), "text/xml"); }, -16},
  };
  for (const Row& row : rows) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(listGroups(row.answer), row.status) << row.name;
    // An order of magnitude above the one-second request timeout.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15)) << row.name;
  }
  EXPECT_EQ(redirectTargetHits.load(), 0);
}

// The upload slot is asked for synchronously: a dripping slot must not keep
// the host's thread for ever.
TEST_F(Hostile, DrippingUploadSlotEndsWithTheTimeoutStatus) {
  W::WContent photo;
  photo.setMIMEType("image/jpeg");
  kvtest::Seen seen;
  EXPECT_EQ(oai.createContent(kvtest::groupWith("g-1"), photo, W::KV_CONTENT_PHOTO,
                              "/tmp/kv-no-such-photo.jpg", &kvtest::onContentCreated, &seen),
            -105);
  EXPECT_EQ(oai.pendingCommands(), 0u);
}

// A host callback that throws on the executor's thread ends there, once
// told: the executor goes on with the next request, and the process lives.
TEST_F(Hostile, HostCallbackThatThrowsLeavesTheExecutorRunning) {
  const auto answer = [](httplib::Response& res) {
    res.set_content(kvtest::okAnswer("<group groupId=\"g-1\"/>"), "text/xml");
  };
  {
    std::lock_guard<std::mutex> lock(answerLock);
    groupListAnswer = answer;
  }
  kvtest::CallLog thrown;
  const W::KVGroupListCallback throwing = [](W::WSTATUS, const W::WContentProvider&,
                                             const W::WContainer<W::WGroup>&, const W::WPerson&,
                                             void* log) {
    static_cast<kvtest::CallLog*>(log)->record([] {});
    throw std::runtime_error("a fault of the host's");
  };
  ASSERT_EQ(oai.retrieveGroupList(W::WPerson(), throwing, 0, 10, W::KV_SORT_ALPHABETICAL,
                                  W::KV_INCLUDE_NONE, &thrown),
            0);
  ASSERT_TRUE(thrown.wait());
  EXPECT_EQ(listGroups(answer), 0);
  EXPECT_EQ(thrown.callCount(), 1);
  EXPECT_TRUE(kvtest::eventually([&] { return oai.pendingCommands() == 0; }));
}

TEST_F(Hostile, MediaIsProbedByItsHeadersAndFetchedThroughRedirects) {
  W::WContent endless;
  endless.setResourceURL(server.url("/media/endless"));
  EXPECT_EQ(oai.retrieveContentMIMEType(endless), 0) << "the probe stops after the headers";
  EXPECT_EQ(endless.getMIMEType(), "video/mp4");

  const struct {
    const char* path;
    W::WSTATUS status;
    bool stored;
  } rows[] = {{"/media/old", 0, true}, {"/media/to-ftp", -3, false}};
  for (const auto& row : rows) {
    kvtest::TempDir dir;
    kvtest::Downloads seen;
    ASSERT_EQ(oai.download(kvtest::provider(), server.url(row.path), dir.path(), "x.jpg",
                           kvtest::Downloads::onDirect, &seen),
              0);
    ASSERT_TRUE(seen.wait(std::chrono::seconds(30)));
    EXPECT_EQ(seen.status, row.status) << row.path;
    EXPECT_EQ(kvtest::exists(dir.path() + "/x.jpg"), row.stored) << row.path;
  }
}

}  // namespace
