// Download starts and completions behind the capturing executor: entry
// checks, file names and paths, what is queued, the hand-over failure, and
// the completion's statuses without a network.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "../../host/src/HttpRequestImpl.h"

#include "DownloadTestSupport.h"
#include "download/DownloadCommands.h"
#include "download/PrivateDownloadDir.h"

namespace {

using kvtest::Downloads;

class DownloadRequest : public ::testing::Test {
 protected:
  void SetUp() override {
    kvtest::configure();
    kvtest::logIn(oai);
  }
  void TearDown() override {
    executor.dropAll();
    kvtest::clearConfiguration();
  }
  template <class Cmd>
  Cmd* commandOf(size_t i) {
    W::HttpRequest* request = executor.at(i);
    if (request == nullptr) return nullptr;
    return dynamic_cast<Cmd*>(static_cast<W::KVServiceArgs*>(request->getArg())->pCmd);
  }
  W::WSTATUS startDirect(const std::string& url, const std::string& dir, const std::string& name) {
    return oai.download(kvtest::provider(), url, dir, name, Downloads::onDirect, &seen);
  }
  W::WSTATUS startContent(const std::string& url) {
    W::WMediaResource resource;
    resource.setResourceURL(url);
    resource.setUID("res-1");
    return W::WKVOAI::fnContentDownloader(resource, Downloads::onContent, &seen, &oai);
  }

  kvtest::CapturingExecutor executor;
  W::WKVOAI oai;
  Downloads seen;
};

TEST_F(DownloadRequest, DirectDownloadNamesTheFileByGivenNameOrByTheUrl) {
  struct Row {
    const char* url;
    const char* dir;
    const char* given;
    const char* path;
    const char* name;
  };
  const Row rows[] = {
      {"http://h/p/clip.mp4?sig=ab", "/d", "x.bin", "/d/x.bin", "x.bin"},
      {"http://h/p/clip.mp4?sig=ab", "/d", "", "/d/clip.mp4", "clip.mp4"},
      {"http://h/a/b.jpg?x=1/2", "/d", "", "/d/b.jpg", "b.jpg"},
      {"http://h/a/b.jpg", "/d/", "", "/d//b.jpg", "b.jpg"},
      {"http://h/a/b.jpg?x?y", "/d", "", "/d/b.jpg?x", "b.jpg?x"},
      {"clip.mp4?x=1", "/d", "", "/d/clip.mp4", "clip.mp4"},
      {"http://h/a/..?x=/", "/d", "ok.bin", "/d/ok.bin", "ok.bin"},
  };
  for (const Row& row : rows) {
    executor.dropAll();
    oai.cleanupCMD();
    ASSERT_EQ(startDirect(row.url, row.dir, row.given), 0) << row.url;
    ASSERT_EQ(executor.size(), 1u);
    W::HttpRequest* request = executor.at(0);
    EXPECT_EQ(request->getType(), W::HTTP_GET);
    EXPECT_EQ(request->getURL(), row.url);
    EXPECT_EQ(request->getFilePath(), row.path) << row.url;
    EXPECT_EQ(request->impl().fileMode, 0644u) << "the host's file: readable by all, not writable";
    EXPECT_TRUE(kvtest::headerNames(request).empty());
    auto* cmd = commandOf<W::KVDirectDownloadCMD>(0);
    ASSERT_NE(cmd, nullptr);
    EXPECT_EQ(cmd->getCMDKey(), 21u);
    EXPECT_EQ(cmd->url, row.url);
    EXPECT_EQ(cmd->path, row.path);
    EXPECT_EQ(cmd->name, row.name);
    EXPECT_EQ(cmd->userData, &seen);
    EXPECT_EQ(cmd->pOAI, &oai);
    EXPECT_EQ(oai.pendingCommands(), 1u);
  }
}

// The content downloader writes into a directory of the process's own
// (0700), under a number unique to the download and the name from the URL.
TEST_F(DownloadRequest, ContentDownloaderNamesTheFileAfterTheLastSlash) {
  struct Row {
    const char* url;
    const char* name;
  };
  const Row rows[] = {
      {"http://h/p/photo.jpg", "photo.jpg"}, {"http://h/a/b.jpg?x=1", "b.jpg"},
      {"http://h/a/b.jpg?x=1/2", "2"},       {"http://h/a/b.jpg?x=1/2?y", "2"},
      {"photo.jpg?s=1", "photo.jpg"},
  };
  std::set<std::string> paths;
  for (const Row& row : rows) {
    executor.dropAll();
    oai.cleanupCMD();
    ASSERT_EQ(startContent(row.url), 0) << row.url;
    ASSERT_EQ(executor.size(), 1u);
    EXPECT_EQ(executor.at(0)->getURL(), row.url);
    EXPECT_EQ(executor.at(0)->impl().fileMode, 0600u) << "the process's file: its own alone";
    const std::string path = executor.at(0)->getFilePath();
    const std::string dir = path.substr(0, path.rfind('/'));
    EXPECT_THAT(path.substr(dir.size()), testing::MatchesRegex(std::string("/[0-9]+-") + row.name));
    struct stat st;
    ASSERT_EQ(lstat(dir.c_str(), &st), 0) << dir;
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u) << dir;
    EXPECT_TRUE(paths.insert(path).second) << "one file per download: " << path;
    auto* cmd = commandOf<W::KVDownloadCMD>(0);
    ASSERT_NE(cmd, nullptr);
    EXPECT_EQ(cmd->getCMDKey(), 15u);
    EXPECT_EQ(cmd->path, path);
    EXPECT_EQ(cmd->resource.getUID(), "res-1");
    EXPECT_EQ(cmd->resource.getResourceURL(), row.url);
    EXPECT_EQ(cmd->pOAI, &oai);
    EXPECT_EQ(oai.pendingCommands(), 1u) << "registered like every command";
  }
}

// While a transfer runs, another that could not become the current one
// (only one is tracked) ends: the running one keeps its progress and can
// still be cancelled.
TEST_F(DownloadRequest, AnotherTransfersCompletionLeavesTheCurrentOneAlone) {
  kvtest::TmpName first(".bin"), second(".bin");
  ASSERT_EQ(startDirect("http://h/a", kvtest::TmpName::dir(), first.name()), 0);
  ASSERT_EQ(startDirect("http://h/b", kvtest::TmpName::dir(), second.name()), 0);
  W::HttpRequest* running = executor.at(0);
  W::HttpRequest::Impl::onProgress(&running->impl(), 10, 4, 0, 0);
  executor.complete(1, 0, 404, "");
  ASSERT_EQ(seen.callCount(), 1);
  double done = -1, total = -1;
  ASSERT_EQ(oai.progressStatus(kvtest::provider(), done, total, nullptr), 0);
  EXPECT_EQ(done, 4.0);
  EXPECT_EQ(total, 10.0);
  ASSERT_EQ(oai.cancel(kvtest::provider(), nullptr, nullptr), 0);
  EXPECT_TRUE(running->isCancelled()) << "the cancel reaches the transfer still running";
}

// A cancel stops the live reading of the running transfer's progress, which
// then reports its last reading until its completion; another transfer
// ending meanwhile must not zero that reading.
TEST_F(DownloadRequest, AnotherTransfersCompletionKeepsTheCancelledOnesLastProgress) {
  kvtest::TmpName first(".bin"), second(".bin");
  ASSERT_EQ(startDirect("http://h/a", kvtest::TmpName::dir(), first.name()), 0);
  ASSERT_EQ(startDirect("http://h/b", kvtest::TmpName::dir(), second.name()), 0);
  W::HttpRequest::Impl::onProgress(&executor.at(0)->impl(), 10, 4, 0, 0);
  double done = -1, total = -1;
  ASSERT_EQ(oai.progressStatus(kvtest::provider(), done, total, nullptr), 0);
  ASSERT_EQ(oai.cancel(kvtest::provider(), nullptr, nullptr), 0);
  executor.complete(1, 0, 404, "");
  ASSERT_EQ(oai.progressStatus(kvtest::provider(), done, total, nullptr), 0);
  EXPECT_EQ(done, 4.0) << "the other transfer's end zeroed the cancelled one's progress";
  EXPECT_EQ(total, 10.0);
}

// The private directory is used again only while it is still a directory
// of this user that nobody else may enter, read or write; otherwise a fresh
// one is made.
TEST(PrivateDownloadDir, IsReplacedOnceOthersMayUseIt) {
  const struct Row {
    mode_t mode;
    bool kept;
  } rows[] = {{0700, true}, {0770, false}, {0720, false}, {0740, false},
              {0710, false}, {0707, false}, {0702, false}, {0701, false}};
  for (const Row& row : rows) {
    const std::string dir = W::privateDownloadDir();
    ASSERT_FALSE(dir.empty());
    ASSERT_EQ(chmod(dir.c_str(), row.mode), 0) << dir;
    const std::string next = W::privateDownloadDir();
    EXPECT_EQ(next == dir, row.kept) << "directory of mode 0" << std::oct << row.mode;
    if (next != dir) rmdir(dir.c_str());
  }
  const std::string dir = W::privateDownloadDir();
  ASSERT_EQ(rmdir(dir.c_str()), 0);
  ASSERT_EQ(symlink(kvtest::TmpName::dir().c_str(), dir.c_str()), 0);
  EXPECT_NE(W::privateDownloadDir(), dir) << "a link in its place is not the directory";
  unlink(dir.c_str());
}

TEST_F(DownloadRequest, NamesThatLeaveTheDirectoryAreRefused) {
  struct Row {
    const char* url;
    std::string given;
  };
  const Row rows[] = {
      {"http://h/p/", ""},
      {"http://h/p/?x=1", ""},
      {"http://h/p/.", ""},
      {"http://h/p/..?x=1", ""},
      {"http://h/p/a.jpg", "."},
      {"http://h/p/a.jpg", ".."},
      {"http://h/p/a.jpg", "../a.jpg"},
      {"http://h/p/a.jpg", "sub/a.jpg"},
      {"http://h/p/a.jpg", "/etc/passwd"},
      {"http://h/p/a.jpg", std::string("a\0b", 3)},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(startDirect(row.url, "/d", row.given), -1) << row.url << " " << row.given;
  }
  const char* contentUrls[] = {"http://h/p/", "http://h/p/?x=1", "http://h/p/.",
                               "http://h/p/a.jpg?x=/..", "http://h/p/..?x"};
  for (const char* url : contentUrls) EXPECT_EQ(startContent(url), -1) << url;
  EXPECT_EQ(executor.size(), 0u);
  EXPECT_EQ(oai.pendingCommands(), 0u);
}

TEST_F(DownloadRequest, EntryChecksRefuseBeforeAnythingIsQueued) {
  EXPECT_EQ(startDirect("", "/d", "x"), -1);
  EXPECT_EQ(startDirect("http://h/x", "", "x"), -1);
  EXPECT_EQ(startContent(""), -1);
  EXPECT_EQ(oai.download(W::WContentProvider("Other", 3), "http://h/x", "/d", "x",
                         Downloads::onDirect, &seen),
            -16);
  oai.getService()->setUserCredential(nullptr, kvtest::provider());
  EXPECT_EQ(startDirect("http://h/x", "/d", "x"), -202);
  EXPECT_EQ(executor.size(), 0u);
  EXPECT_EQ(oai.pendingCommands(), 0u);
}

TEST_F(DownloadRequest, StartClearsAStaleCancel) {
  ASSERT_EQ(oai.cancel(kvtest::provider(), nullptr, nullptr), 0);
  ASSERT_EQ(startDirect("http://h/x", "/d", "x"), 0);
  EXPECT_FALSE(oai.isCancelRequested());
  ASSERT_EQ(oai.cancel(kvtest::provider(), nullptr, nullptr), 0);
  ASSERT_EQ(startContent("http://h/y"), 0);
  EXPECT_FALSE(oai.isCancelRequested());
}

TEST_F(DownloadRequest, RefusedHandOverReturnsTheStatusAndForgetsTheCommand) {
  executor.refuseNext(-16);
  EXPECT_EQ(startDirect("http://h/x", "/d", "x"), -16);
  executor.refuseNext(-1);
  EXPECT_EQ(startContent("http://h/y"), -1);
  EXPECT_EQ(oai.pendingCommands(), 0u);
  EXPECT_EQ(oai.getService()->pendingArgs(), 0u);
  double done = 1;
  double total = 1;
  EXPECT_EQ(oai.progressStatus(kvtest::provider(), done, total, nullptr), 0);
  EXPECT_EQ(done, 0.0);
  EXPECT_EQ(total, 0.0);
}

TEST_F(DownloadRequest, CompletionStatusesWithoutAFile) {
  // Nothing was written to the target: a 200 cannot open it.
  kvtest::TmpName missing(".bin");
  struct Row {
    W::SESSION_STATUS session;
    int code;
    W::WSTATUS status;
  };
  const Row rows[] = {
      {0, 200, -16},
      {0, 404, -205},
      {0, 500, -107},
      {W::SESSION_CANCELLED, 0, -108},
      {W::SESSION_FILE_ERROR, 200, -5},
  };
  for (const Row& row : rows) {
    Downloads direct;
    ASSERT_EQ(oai.download(kvtest::provider(), "http://h/x", kvtest::TmpName::dir(), missing.name(),
                           Downloads::onDirect, &direct),
              0);
    executor.completeLast(row.session, row.code, "");
    EXPECT_EQ(direct.callCount(), 1);
    EXPECT_EQ(direct.status, row.status) << row.code;
    EXPECT_EQ(direct.name, missing.name());

    Downloads content;
    W::WMediaResource resource;
    resource.setResourceURL("http://h/" + missing.name());
    ASSERT_EQ(W::WKVOAI::fnContentDownloader(resource, Downloads::onContent, &content, &oai), 0);
    executor.completeLast(row.session, row.code, "");
    EXPECT_EQ(content.callCount(), 1);
    EXPECT_EQ(content.status, row.status) << row.code;
    EXPECT_FALSE(content.streamOpen);
    EXPECT_EQ(content.streamFailed, row.code == 200 && row.session == 0)
        << "only a failed open leaves the stream failed";
  }
  EXPECT_EQ(oai.pendingCommands(), 0u);
  EXPECT_EQ(executor.flushes(), 0);
}

TEST_F(DownloadRequest, WithoutCallbackTheCancelIsResetAndTheFileStays) {
  kvtest::TmpName file(".bin");
  { std::ofstream(file.path()) << "data"; }
  ASSERT_EQ(oai.download(kvtest::provider(), "http://h/x", kvtest::TmpName::dir(), file.name(),
                         nullptr, nullptr),
            0);
  ASSERT_EQ(oai.cancel(kvtest::provider(), nullptr, nullptr), 0);
  executor.completeLast(0, 200, "");
  EXPECT_FALSE(oai.isCancelRequested());
  EXPECT_TRUE(kvtest::exists(file.path()));
  EXPECT_EQ(oai.pendingCommands(), 0u);
}

TEST_F(DownloadRequest, MimeTypeAnswersSetTheTypeOnlyOn200) {
  struct Row {
    int code;
    W::WSTATUS status;
    const char* type;
  };
  const Row rows[] = {{200, 0, "image/jpeg"}, {500, -107, "old/type"}, {404, -205, "old/type"}};
  for (const Row& row : rows) {
    W::HttpResponse response;
    response.setHttpResponseCode(row.code);
    response.setContentType("image/jpeg");
    W::WMediaResource resource;
    resource.setMIMEType("old/type");
    W::WContent content;
    content.setMIMEType("old/type");
    EXPECT_EQ(oai.thumbMIMETypeDone(response, resource), row.status);
    EXPECT_EQ(oai.contentMIMETypeDone(response, content), row.status);
    EXPECT_EQ(resource.getMIMEType(), row.type);
    EXPECT_EQ(content.getMIMEType(), row.type);
  }
}

// A media record the host kept across a reload of the provider names one
// that is gone: its download is refused with -16 and nothing of the old
// provider is read (AddressSanitizer holds that); the live provider's
// records still download.
TEST(DownloadAfterReload, RecordOfADestroyedProviderIsRefused) {
  kvtest::configure();
  kvtest::CapturingExecutor executor;
  W::WMediaResource thumbnail;
  thumbnail.setResourceURL("http://kv.test/m/t.jpg");
  std::unique_ptr<W::WKVOAI> unloaded(new W::WKVOAI());
  kvtest::logIn(*unloaded);
  thumbnail.setDownloader(&W::WKVOAI::fnContentDownloader, unloaded.get());
  W::WKVOAI reloaded;  // alive meanwhile, so at another address
  kvtest::logIn(reloaded);
  unloaded.reset();
  Downloads seen;
  testing::internal::CaptureStdout();
  EXPECT_EQ(thumbnail.download(Downloads::onContent, &seen), -16);
  EXPECT_EQ(testing::internal::GetCapturedStdout().rfind("#ERROR WSTATUS:WSTATUS_FAILURE(-16)", 0),
            0u);
  EXPECT_EQ(executor.size(), 0u);
  thumbnail.setDownloader(&W::WKVOAI::fnContentDownloader, &reloaded);
  EXPECT_EQ(thumbnail.download(Downloads::onContent, &seen), 0);
  EXPECT_EQ(executor.size(), 1u);
  executor.dropAll();
  EXPECT_EQ(seen.callCount(), 0);
  kvtest::clearConfiguration();
}

TEST(DownloadDeath, ContentDownloaderWithoutProviderStops) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  W::WMediaResource resource;
  resource.setResourceURL("http://h/x");
  EXPECT_DEATH(W::WKVOAI::fnContentDownloader(resource, Downloads::onContent, nullptr, nullptr),
               "pDownloaderArg != __null");
}

}  // namespace
