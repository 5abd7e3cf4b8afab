// Content creation: the synchronous upload-slot request goes to a loopback
// server started here (its form text is recorded), the multipart upload
// that follows is captured at the executor and completed by the test, so the
// completion's progress and cancel steps run deterministically.
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <thread>

#include "../../host/src/HttpRequestImpl.h"
#include "OperationTestSupport.h"
#include "TestFiles.h"
#include "http_test_support.h"

extern "C" void destroyPlugin(W::WPlugin* plugin);

namespace {

// Answers "<group>/upload" with a configurable slot and records the request.
class SlotServer {
 public:
  SlotServer() {
    server.http().Post(R"(/openapi/service/kinvale/([^/]+)/upload)",
                       [this](const httplib::Request& req, httplib::Response& res) {
                         if (hold) {
                           arrived.open();
                           server.release.wait();
                         }
                         std::lock_guard<std::mutex> lock(mutex);
                         ++requests;
                         path = req.path;
                         form = req.body;
                         authorization = req.get_header_value("Authorization");
                         date = req.get_header_value("DATE");
                         hasAppToken = req.has_header("appToken");
                         res.status = status;
                         res.set_content(answer, "text/xml");
                       });
  }
  bool start() { return server.start(); }
  std::string baseUrl() const { return server.url(""); }

  httptest::LoopbackServer server;
  std::mutex mutex;
  int requests = 0;
  int status = 200;
  std::string answer = kvtest::okAnswer(
      "<contentId>c-new</contentId><uploadUrl>http://127.0.0.1:9/up/c-new</uploadUrl>");
  std::string path, form, authorization, date;
  bool hasAppToken = false;
  // With `hold`, a slot request opens `arrived` and waits for the server's
  // release before it is answered.
  std::atomic<bool> hold{false};
  httptest::Gate arrived;
};

// Feeds a captured upload the progress libcurl would report.
void reportUploadProgress(W::HttpRequest* upload, long done, long total) {
  W::HttpRequest::Impl::onProgress(&upload->impl(), 0, 0, total, done);
}

// What the provider's progress said while the caller's callback ran.
struct ProgressProbe {
  W::WKVOAI* oai = nullptr;
  int calls = 0;
  W::WSTATUS status = 12345;
  double done = -1;
  double total = -1;

  static void onCreated(W::WSTATUS status, const W::WContentProvider& provider, const W::WGroup&,
                        const W::WContent&, const std::string&, void* userData) {
    ProgressProbe* self = static_cast<ProgressProbe*>(userData);
    ++self->calls;
    self->status = status;
    self->oai->progressStatus(provider, self->done, self->total, nullptr);
  }
};

class ContentUpload : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(slots.start());
    kvtest::configure("app-1", "token-1", "duid-1", slots.baseUrl());
    kvtest::resetLogs();
    oai.reset(new W::WKVOAI());
    kvtest::logIn(*oai);
    std::ofstream(file, std::ios::binary) << "12345";
    photo.setMIMEType("image/jpeg");
  }
  void TearDown() override {
    oai.reset();
    kvtest::clearConfiguration();
  }

  W::WSTATUS create(const std::string& path, const std::string& description = "") {
    photo.setDescription(description);
    return oai->createContent(kvtest::groupWith("g-1"), photo, W::KV_CONTENT_PHOTO, path,
                              &kvtest::onContentCreated, &seen);
  }

  SlotServer slots;
  kvtest::CapturingExecutor executor;
  std::unique_ptr<W::WKVOAI> oai;
  const kvtest::TempDir dir{"kv-upload"};
  const std::string file = dir.file("photo.jpg");
  W::WContent photo;
  kvtest::Seen seen;
};

// Sizes of 2 GiB and more are exact on 32-bit ARM too (sparse files here).
TEST_F(ContentUpload, SlotFormCarriesTypeDescriptionAndSize) {
  struct Row {
    long long size;  // -1: no such file
    const char* description;
    const char* form;
  };
  const Row rows[] = {
      {5, "My trip & more", "type=photo&description=My+trip+%26+more&file_size=5"},
      {5, "", "type=photo&file_size=5"},
      {-1, "Lost", "type=photo&description=Lost&"},
      {-1, "", "type=photo&"},
      {2147483648LL, "", "type=photo&file_size=2147483648"},
      {4294967301LL, "", "type=photo&file_size=4294967301"},
  };
  for (const Row& row : rows) {
    std::string path = row.size == 5 ? file : dir.file("no-such-file.jpg");
    if (row.size > 5) {
      path = dir.write("large.jpg", "");
      ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(row.size)), 0) << row.size;
    }
    ASSERT_EQ(create(path, row.description), 0) << row.form;
    std::lock_guard<std::mutex> lock(slots.mutex);
    EXPECT_EQ(slots.form, row.form);
    EXPECT_EQ(slots.path, "/openapi/service/kinvale/g-1/upload");
    EXPECT_NE(slots.authorization.find("auth_identifier=\"KV_AUTH_V1\""), std::string::npos);
    EXPECT_NE(slots.authorization.find("token=\"token-1\""), std::string::npos);
    EXPECT_FALSE(slots.date.empty());
    EXPECT_FALSE(slots.hasAppToken);
  }
}

TEST_F(ContentUpload, FileGoesToTheSlotUrlAsOnePart) {
  ASSERT_EQ(create(file), 0);
  ASSERT_EQ(executor.size(), 1u);
  W::HttpRequest* upload = executor.last();
  EXPECT_EQ(upload->getURL(), "http://127.0.0.1:9/up/c-new");
  EXPECT_EQ(upload->getType(), W::HTTP_POST);
  EXPECT_EQ(upload->getFilePath(), file);
  EXPECT_NE(upload->getFormPost(), nullptr);
  EXPECT_EQ(kvtest::headerNames(upload), (std::vector<std::string>{"Authorization", "DATE"}));
  EXPECT_EQ(oai->pendingCommands(), 1u);
}

TEST_F(ContentUpload, SlotWithoutIdentifierOrUrlIsRefused) {
  const std::string answers[] = {
      kvtest::okAnswer("<contentId>c-new</contentId>"),
      kvtest::okAnswer("<uploadUrl>http://127.0.0.1:9/up</uploadUrl>"),
      kvtest::failAnswer(),
  };
  for (const std::string& answer : answers) {
    {
      std::lock_guard<std::mutex> lock(slots.mutex);
      slots.answer = answer;
    }
    EXPECT_EQ(create(file), -1) << answer;
  }
  EXPECT_EQ(executor.size(), 0u);
  EXPECT_EQ(oai->pendingCommands(), 0u);
  EXPECT_EQ(oai->getService()->pendingArgs(), 0u);
  EXPECT_EQ(seen.callCount(), 0);
}

// A refused slot says why, as every other answer does.
TEST_F(ContentUpload, RefusedSlotReportsTheMappedStatus) {
  const struct {
    int code;
    W::WSTATUS status;
  } rows[] = {{401, -202}, {404, -205}, {500, -107}, {302, -16}};
  for (const auto& row : rows) {
    {
      std::lock_guard<std::mutex> lock(slots.mutex);
      slots.status = row.code;
    }
    EXPECT_EQ(create(file), row.status) << row.code;
  }
  EXPECT_EQ(executor.size(), 0u);
  EXPECT_EQ(oai->pendingCommands(), 0u);
  EXPECT_EQ(oai->getService()->pendingArgs(), 0u);
  EXPECT_EQ(seen.callCount(), 0);
}

TEST_F(ContentUpload, UnreachableSlotServiceReturnsTheTransportStatus) {
  kvtest::configure("app-1", "token-1", "duid-1",
                    "http://127.0.0.1:" + std::to_string(httptest::closedPort()));
  const W::WSTATUS status = create(file);
  EXPECT_LT(status, 0);
  EXPECT_NE(status, -1);
  EXPECT_EQ(oai->pendingCommands(), 0u);
  EXPECT_EQ(executor.size(), 0u);
}

TEST_F(ContentUpload, RefusedUploadLeavesNoCommandBehind) {
  executor.refuseNext(-16);
  EXPECT_EQ(create(file), -16);
  EXPECT_EQ(oai->pendingCommands(), 0u);
  EXPECT_EQ(oai->getService()->pendingArgs(), 0u);
}

TEST_F(ContentUpload, SuccessHandsTheCallerTheUploadedContent) {
  ASSERT_EQ(create(file, "desc"), 0);
  executor.completeLast(0, 200,
                        kvtest::okAnswer("<content contentId=\"c-new\"><contentDesc>desc"
                                         "</contentDesc></content>"));
  ASSERT_EQ(seen.callCount(), 1);
  EXPECT_EQ(seen.status, 0);
  EXPECT_EQ(seen.content.getUID(), "c-new");
  EXPECT_EQ(seen.content.getDescription(), "desc");
  EXPECT_EQ(seen.group.getUID(), "g-1");
  EXPECT_EQ(seen.text, file);
  EXPECT_EQ(oai->pendingCommands(), 0u);
  double done = -1, total = -1;
  ASSERT_EQ(oai->progressStatus(kvtest::provider(), done, total, nullptr), 0);
  EXPECT_EQ(done, 0.0) << "progress is zeroed when the upload is over";
  EXPECT_EQ(total, 0.0);
}

TEST_F(ContentUpload, ProgressIsLiveDuringTheUploadAndCompleteOnlyAfterSuccess) {
  struct Row {
    int code;
    double doneInCallback;
  };
  const Row rows[] = {{200, 5.0}, {500, 3.0}};
  for (const Row& row : rows) {
    ProgressProbe probe;
    probe.oai = oai.get();
    ASSERT_EQ(oai->createContent(kvtest::groupWith("g-1"), photo, W::KV_CONTENT_PHOTO, file,
                                 &ProgressProbe::onCreated, &probe),
              0);
    reportUploadProgress(executor.last(), 3, 5);
    double done = -1, total = -1;
    ASSERT_EQ(oai->progressStatus(kvtest::provider(), done, total, nullptr), 0);
    EXPECT_EQ(done, 3.0);
    EXPECT_EQ(total, 5.0);
    executor.completeLast(0, row.code, kvtest::okAnswer("<content contentId=\"c-new\"/>"));
    ASSERT_EQ(probe.calls, 1);
    EXPECT_EQ(probe.done, row.doneInCallback) << row.code;
    EXPECT_EQ(probe.total, 5.0) << row.code;
    ASSERT_EQ(oai->progressStatus(kvtest::provider(), done, total, nullptr), 0);
    EXPECT_EQ(done, 0.0) << row.code;
    EXPECT_EQ(total, 0.0) << row.code;
  }
}

TEST_F(ContentUpload, FailuresHandTheCallerItsOwnContent) {
  struct Row {
    W::SESSION_STATUS session;
    int code;
    std::string payload;
    W::WSTATUS status;
  };
  const Row rows[] = {
      {0, 200, "<html/>", -16},
      {0, 200, kvtest::okAnswer(""), 0},
      {0, 409, "", -203},
      {0, 401, "", -202},
  };
  for (const Row& row : rows) {
    ASSERT_EQ(create(file, "mine"), 0);
    executor.completeLast(row.session, row.code, row.payload);
    ASSERT_EQ(seen.callCount() > 0, true);
    EXPECT_EQ(seen.status, row.status) << row.code << " " << row.payload;
    EXPECT_EQ(seen.content.getUID(), "") << "the caller's content, not the slot";
    EXPECT_EQ(seen.content.getDescription(), "mine");
    EXPECT_EQ(seen.content.getMIMEType(), "image/jpeg");
  }
  EXPECT_EQ(oai->pendingCommands(), 0u);
}

TEST_F(ContentUpload, CancelDuringTheUploadCallsOnlyTheCancelCallback) {
  kvtest::Seen cancelled;
  ASSERT_EQ(oai->createContent(kvtest::groupWith("g-1"), photo, W::KV_CONTENT_PHOTO, file,
                               &kvtest::onContentCreated, &cancelled),
            0);
  W::HttpRequest* upload = executor.last();
  ASSERT_EQ(oai->cancel(kvtest::provider(), &kvtest::onCancel, nullptr), 0);
  EXPECT_TRUE(upload->isCancelled()) << "the transfer in flight is told to stop";
  executor.completeLast(81, 0, "");
  ASSERT_EQ(kvtest::cancels().size(), 1u);
  EXPECT_EQ(kvtest::cancels().entries[0].status, 0);
  EXPECT_EQ(kvtest::cancels().entries[0].userData, &cancelled);
  EXPECT_EQ(seen.callCount(), 0);
  EXPECT_FALSE(oai->isCancelRequested());
  EXPECT_EQ(oai->pendingCommands(), 0u);
}

// A cancel accepted while the slot is asked for: nothing is uploaded, and
// the cancel callback hears of it with the creation's user data.
TEST_F(ContentUpload, CancelDuringTheSlotRequestSendsNoUpload) {
  slots.hold = true;
  W::WSTATUS created = 12345;
  std::thread caller([&] { created = create(file); });
  ASSERT_TRUE(slots.arrived.wait());
  EXPECT_EQ(oai->cancel(kvtest::provider(), &kvtest::onCancel, nullptr), 0);
  slots.server.release.open();
  caller.join();
  EXPECT_EQ(created, 0);
  EXPECT_EQ(executor.size(), 0u) << "no upload request";
  ASSERT_EQ(kvtest::cancels().size(), 1u);
  EXPECT_EQ(kvtest::cancels().entries[0].status, 0);
  EXPECT_EQ(kvtest::cancels().entries[0].userData, &seen);
  EXPECT_EQ(seen.callCount(), 0);
  EXPECT_FALSE(oai->isCancelRequested());
  EXPECT_EQ(oai->pendingCommands(), 0u);
}

TEST_F(ContentUpload, CancelAfterA200SkipsTheAnswer) {
  ASSERT_EQ(create(file), 0);
  ASSERT_EQ(oai->cancel(kvtest::provider(), &kvtest::onCancel, nullptr), 0);
  executor.completeLast(0, 200, kvtest::okAnswer("<content contentId=\"c-new\"/>"));
  EXPECT_EQ(kvtest::cancels().size(), 1u);
  EXPECT_EQ(seen.callCount(), 0);
}

// The upload completes before createContent has returned, and its callback
// destroys the provider (a host that unloads on the first result):
// createContent then touches nothing of it (AddressSanitizer holds this).
TEST_F(ContentUpload, ProviderDestroyedByTheUploadsCallbackIsNotTouchedAfterTheHandOver) {
  executor.completeOnAdd(200, kvtest::okAnswer("<contentId>c-new</contentId>"));
  struct Unloader {
    W::WKVOAI* provider;
    int calls = 0;
  } unloader{oai.release()};
  const W::KVContentCreationCallback unload = [](W::WSTATUS, const W::WContentProvider&,
                                                 const W::WGroup&, const W::WContent&,
                                                 const std::string&, void* u) {
    Unloader* self = static_cast<Unloader*>(u);
    ++self->calls;
    destroyPlugin(self->provider);
  };
  EXPECT_EQ(unloader.provider->createContent(kvtest::groupWith("g-1"), photo, W::KV_CONTENT_PHOTO,
                                             file, unload, &unloader),
            0);
  EXPECT_EQ(unloader.calls, 1);
}

}  // namespace
