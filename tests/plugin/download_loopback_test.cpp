// Downloads and MIME-type probes through the real host executor against
// loopback servers: files on disk, the stream the host reads, cancels,
// progress. One case drives the completion on a thread of its own to place
// a cancel after the answer was accepted.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

#include "DownloadTestSupport.h"
#include "download/PrivateDownloadDir.h"
#include "http_test_support.h"

namespace {

using kvtest::Cancels;
using kvtest::Downloads;

const std::string kBody = std::string("\x89PNG\r\n\x1a\n", 8) + std::string(3000, 'x') + "end";

class DownloadLoopback : public ::testing::Test {
 protected:
  void SetUp() override {
    kvtest::configure();
    kvtest::logIn(oai);
    Cancels::current = &cancels;
    server.http().Get(R"(/p/.*)", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(kBody, "application/octet-stream");
    });
    server.http().Get(R"(/hold/.*)", [this](const httplib::Request&, httplib::Response& res) {
      requestSeen.open();
      server.release.wait();
      res.set_content(kBody, "application/octet-stream");
    });
    server.http().Get("/img", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("jpegbytes", "image/jpeg");
    });
    server.http().Get("/err", [](const httplib::Request&, httplib::Response& res) {
      res.status = 500;
      res.set_content("broken", "text/plain");
    });
    // Any code, with part of a body where the code has one.
    server.http().Get(R"(/code/(\d+))", [](const httplib::Request& req, httplib::Response& res) {
      res.status = std::stoi(req.matches[1]);
      if (res.status != 204 && res.status != 304) res.set_content("part", "image/jpeg");
    });
    server.http().Get("/endless", [](const httplib::Request&, httplib::Response& res) {
      const std::string chunk(16 * 1024, 'v');
      res.set_chunked_content_provider("video/mp4", [chunk](size_t, httplib::DataSink& sink) {
        return sink.write(chunk.data(), chunk.size());
      });
    });
    ASSERT_TRUE(server.start());
  }
  void TearDown() override {
    // The provider is gone only after its completions have run.
    EXPECT_TRUE(kvtest::eventually([&] { return oai.getService()->pendingArgs() == 0; }));
    kvtest::clearConfiguration();
  }
  W::WSTATUS contentDownload(const std::string& url, Downloads* seen) {
    W::WMediaResource resource;
    resource.setResourceURL(url);
    resource.setUID("photo-1");
    return W::WKVOAI::fnContentDownloader(resource, Downloads::onContent, seen, &oai);
  }

  httptest::LoopbackServer server;
  httptest::Gate requestSeen;
  W::WKVOAI oai;
  Cancels cancels;
};

TEST_F(DownloadLoopback, DirectDownloadStoresTheFileUnderItsName) {
  struct Row {
    const char* path;
    const char* given;
    const char* stored;
  };
  const Row rows[] = {
      {"/p/a/clip.mp4?sig=ab", "x.bin", "x.bin"},
      {"/p/a/clip.mp4?sig=ab", "", "clip.mp4"},
      {"/p/a/b.jpg?x=1/2", "", "b.jpg"},
  };
  for (const Row& row : rows) {
    kvtest::TempDir dir;
    ASSERT_FALSE(dir.path().empty());
    Downloads seen;
    ASSERT_EQ(oai.download(kvtest::provider(), server.url(row.path), dir.path(), row.given,
                           Downloads::onDirect, &seen),
              0);
    ASSERT_TRUE(seen.wait()) << row.path;
    EXPECT_EQ(seen.status, 0);
    EXPECT_EQ(seen.name, row.stored);
    EXPECT_EQ(kvtest::readFile(dir.path() + "/" + row.stored), kBody);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{row.stored}) << "no temporary file left";
    EXPECT_TRUE(kvtest::eventually([&] { return oai.pendingCommands() == 0; }));
  }
}

// The file the content-download callback reads, found through the stream's
// open descriptor: its path and permissions, and those of its directory.
struct StreamedFile {
  std::string path;
  unsigned mode = 0;
  unsigned dirMode = 0;
  int calls = 0;

  static void onContent(int status, const W::WContentProvider& provider,
                        const W::WMediaResource& resource, std::istream& stream, void* u) {
    StreamedFile* self = static_cast<StreamedFile*>(u);
    ++self->calls;
    char link[64];
    char target[4096];
    for (int fd = 3; fd < 1024; ++fd) {
      std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
      const ssize_t n = readlink(link, target, sizeof target - 1);
      if (n <= 0) continue;
      const std::string path(target, static_cast<size_t>(n));
      if (path.find("/kinvale-") == std::string::npos) continue;
      struct stat file, dir;
      if (stat(path.c_str(), &file) != 0) continue;
      if (stat(path.substr(0, path.rfind('/')).c_str(), &dir) != 0) continue;
      self->path = path;
      self->mode = file.st_mode & 07777;
      self->dirMode = dir.st_mode & 07777;
    }
    Downloads::onContent(status, provider, resource, stream, self->downloads);
  }
  Downloads* downloads = nullptr;
};

TEST_F(DownloadLoopback, ContentDownloaderHandsTheHostTheFileBytes) {
  kvtest::TmpName plain(".jpg");
  kvtest::TmpName fromQuery(".jpg");
  const std::string urls[] = {server.url("/p/" + plain.name()),
                              server.url("/p/b.jpg?x=1/" + fromQuery.name())};
  const std::string names[] = {plain.name(), fromQuery.name()};
  // A file of the host's under the same name in the temporary directory is
  // none of ours.
  std::ofstream(plain.path()) << "the host's own";
  ASSERT_EQ(chmod(plain.path().c_str(), 0600), 0);
  for (int i = 0; i < 2; ++i) {
    Downloads seen;
    StreamedFile streamed;
    streamed.downloads = &seen;
    W::WMediaResource resource;
    resource.setResourceURL(urls[i]);
    resource.setUID("photo-1");
    ASSERT_EQ(W::WKVOAI::fnContentDownloader(resource, StreamedFile::onContent, &streamed, &oai),
              0);
    ASSERT_TRUE(seen.wait());
    EXPECT_EQ(seen.status, 0);
    EXPECT_TRUE(seen.streamOpen);
    EXPECT_EQ(seen.bytes, kBody) << "the stream reads the file from its start";
    EXPECT_EQ(seen.resourceUID, "photo-1");
    EXPECT_THAT(streamed.path, testing::EndsWith("-" + names[i]));
    EXPECT_EQ(streamed.mode, 0600u) << "readable by the process alone";
    EXPECT_EQ(streamed.dirMode, 0700u);
    EXPECT_TRUE(kvtest::eventually([&] { return !kvtest::exists(streamed.path); }))
        << "removed once the callback returned";
  }
  EXPECT_EQ(kvtest::readFile(plain.path()), "the host's own");
  struct stat st;
  ASSERT_EQ(stat(plain.path().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

// Only a whole 200 answer within max_download_bytes stores a file and
// reports success. Every other answer leaves the host's file as it was and
// nothing beside it, gives an unopened stream, and fails with the status of
// its code (-16 for the codes the tables map to 0, and past the limit).
TEST_F(DownloadLoopback, OnlyAWhole200StoresAFileAndReportsSuccess) {
  const struct {
    const char* path;
    const char* maxDownloadBytes;
    W::WSTATUS status;
  } rows[] = {
      {"/p/x.bin", "", 0},     {"/code/201", "", -16},    {"/code/204", "", -16},
      {"/code/206", "", -16},  {"/code/304", "", -16},    {"/err", "", -107},
      {"/p/x.bin", "3011", 0}, {"/p/x.bin", "3010", -16}, {"/endless", "65536", -16},
  };
  const std::string hosts = "the host's own file";
  for (const auto& row : rows) {
    const std::string name =
        std::string(row.path) + " under max_download_bytes '" + row.maxDownloadBytes + "'";
    W::WConfigManager::getInstance().setCPOption(kvtest::provider(), "max_download_bytes",
                                                 row.maxDownloadBytes);
    kvtest::TempDir dir;
    dir.write("x.bin", hosts);
    Downloads direct;
    ASSERT_EQ(oai.download(kvtest::provider(), server.url(row.path), dir.path(), "x.bin",
                           Downloads::onDirect, &direct),
              0);
    ASSERT_TRUE(direct.wait()) << name;
    EXPECT_EQ(direct.status, row.status) << name;
    EXPECT_EQ(kvtest::readFile(dir.file("x.bin")), row.status == 0 ? kBody : hosts) << name;
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"x.bin"}) << name;

    Downloads content;
    ASSERT_EQ(contentDownload(server.url(row.path), &content), 0);
    ASSERT_TRUE(content.wait()) << name;
    EXPECT_EQ(content.status, row.status) << name;
    EXPECT_EQ(content.streamOpen, row.status == 0) << name;
    EXPECT_EQ(content.bytes, row.status == 0 ? kBody : "") << name;
    EXPECT_TRUE(kvtest::eventually([] {
      return kvtest::entriesOf(W::privateDownloadDir()).empty();
    })) << name
        << ": the private directory keeps nothing";
  }
}

TEST_F(DownloadLoopback, NotFoundLeavesNoFileAndAnUnopenedStream) {
  kvtest::TempDir dir;
  Downloads direct;
  ASSERT_EQ(oai.download(kvtest::provider(), server.url("/missing/a.bin"), dir.path(), "",
                         Downloads::onDirect, &direct),
            0);
  ASSERT_TRUE(direct.wait());
  EXPECT_EQ(direct.status, -205);
  EXPECT_EQ(direct.name, "a.bin");
  EXPECT_TRUE(dir.entries().empty());

  kvtest::TmpName name(".jpg");
  Downloads content;
  ASSERT_EQ(contentDownload(server.url("/missing/" + name.name()), &content), 0);
  ASSERT_TRUE(content.wait());
  EXPECT_EQ(content.status, -205);
  EXPECT_FALSE(content.streamOpen);
  EXPECT_EQ(content.bytes, "");
  EXPECT_FALSE(kvtest::exists(name.path()));
}

TEST_F(DownloadLoopback, CancelBeforeTheAnswerTellsOnlyTheCancelCallback) {
  kvtest::TmpName name(".jpg");
  Downloads seen;
  ASSERT_EQ(contentDownload(server.url("/hold/" + name.name()), &seen), 0);
  ASSERT_TRUE(requestSeen.wait());
  ASSERT_EQ(oai.cancel(kvtest::provider(), Cancels::onCancel, nullptr), 0);
  ASSERT_TRUE(cancels.wait());
  server.release.open();
  EXPECT_EQ(cancels.status, 0);
  EXPECT_EQ(cancels.userData, &seen) << "the cancelled download's user data";
  EXPECT_TRUE(kvtest::eventually([&] { return oai.pendingCommands() == 0; }));
  EXPECT_EQ(seen.callCount(), 0);
  EXPECT_FALSE(oai.isCancelRequested());
  EXPECT_FALSE(kvtest::exists(name.path())) << "an aborted transfer writes no file";
}

TEST_F(DownloadLoopback, CancelOfADirectDownloadBeforeTheAnswerWritesNothing) {
  kvtest::TempDir dir;
  Downloads seen;
  ASSERT_EQ(oai.download(kvtest::provider(), server.url("/hold/a.bin"), dir.path(), "",
                         Downloads::onDirect, &seen),
            0);
  ASSERT_TRUE(requestSeen.wait());
  ASSERT_EQ(oai.cancel(kvtest::provider(), Cancels::onCancel, nullptr), 0);
  ASSERT_TRUE(cancels.wait());
  server.release.open();
  EXPECT_EQ(cancels.userData, &seen);
  EXPECT_TRUE(kvtest::eventually([&] { return oai.pendingCommands() == 0; }));
  EXPECT_EQ(seen.callCount(), 0);
  EXPECT_TRUE(dir.entries().empty());
}

TEST_F(DownloadLoopback, ProgressIsLiveDuringASlowDownloadAndZeroAfter) {
  const size_t half = 32 * 1024;
  const std::string slow(2 * half, 's');
  server.http().Get("/slow/s.bin", [&](const httplib::Request&, httplib::Response& res) {
    res.set_content_provider(slow.size(), "application/octet-stream",
                             [&](size_t offset, size_t, httplib::DataSink& sink) {
                               if (offset >= half) server.release.wait();
                               sink.write(slow.data() + offset, half);
                               return true;
                             });
  });
  kvtest::TempDir dir;
  Downloads seen;
  ASSERT_EQ(oai.download(kvtest::provider(), server.url("/slow/s.bin"), dir.path(), "",
                         Downloads::onDirect, &seen),
            0);
  double done = 0;
  double total = 0;
  EXPECT_TRUE(kvtest::eventually([&] {
    EXPECT_EQ(oai.progressStatus(kvtest::provider(), done, total, nullptr), 0);
    return done >= static_cast<double>(half);
  }));
  EXPECT_EQ(done, static_cast<double>(half)) << "the rest is held by the server";
  EXPECT_EQ(total, static_cast<double>(slow.size()));
  server.release.open();
  ASSERT_TRUE(seen.wait());
  EXPECT_EQ(seen.status, 0);
  EXPECT_EQ(kvtest::readFile(dir.path() + "/s.bin"), slow);
  EXPECT_TRUE(kvtest::eventually([&] { return oai.getService()->pendingArgs() == 0; }));
  EXPECT_EQ(oai.progressStatus(kvtest::provider(), done, total, nullptr), 0);
  EXPECT_EQ(done, 0.0);
  EXPECT_EQ(total, 0.0);
}

TEST_F(DownloadLoopback, MimeProbesKeepTheServersTypeOnlyFrom200) {
  W::WMediaResource thumb;
  thumb.setResourceURL(server.url("/img"));
  EXPECT_EQ(oai.retrieveThumbMIMEType(thumb), 0);
  EXPECT_EQ(thumb.getMIMEType(), "image/jpeg");

  W::WContent content;
  content.setResourceURL(server.url("/img"));
  EXPECT_EQ(oai.retrieveContentMIMEType(content), 0);
  EXPECT_EQ(content.getMIMEType(), "image/jpeg");

  W::WMediaResource broken;
  broken.setResourceURL(server.url("/err"));
  broken.setMIMEType("old/type");
  EXPECT_EQ(oai.retrieveThumbMIMEType(broken), 0) << "a 500 answer still probes successfully";
  EXPECT_EQ(broken.getMIMEType(), "old/type");
  W::WContent brokenContent;
  brokenContent.setResourceURL(server.url("/err"));
  brokenContent.setMIMEType("old/type");
  EXPECT_EQ(oai.retrieveContentMIMEType(brokenContent), 0);
  EXPECT_EQ(brokenContent.getMIMEType(), "old/type");

  W::WMediaResource unreachable;
  unreachable.setResourceURL("http://127.0.0.1:" + std::to_string(httptest::closedPort()) + "/x");
  unreachable.setMIMEType("old/type");
  EXPECT_EQ(oai.retrieveThumbMIMEType(unreachable), -100);
  EXPECT_EQ(unreachable.getMIMEType(), "old/type");
}

// The kernel's name for a thread blocked opening a FIFO that has no writer.
std::string waitChannel(pid_t tid) {
  return kvtest::readFile("/proc/self/task/" + std::to_string(tid) + "/wchan");
}

// A cancel can only land between the completion's acceptance of a 200 and
// its cancel check when the completion pauses there: a FIFO at the target
// path blocks the completion's open until the test has cancelled and then
// opens the writing end. The executor's hook lets this thread deliver it.
TEST_F(DownloadLoopback, CancelAfterAnAcceptedAnswerRemovesTheOpenedFile) {
  for (int kind = 0; kind < 2; ++kind) {
    kvtest::TmpName fifo(".bin");
    kvtest::CapturingExecutor executor;
    Cancels kindCancels;
    Cancels::current = &kindCancels;
    Downloads seen;
    if (kind == 0) {
      ASSERT_EQ(oai.download(kvtest::provider(), "http://127.0.0.1:9/x", kvtest::TmpName::dir(),
                             fifo.name(), Downloads::onDirect, &seen),
                0);
    } else {
      ASSERT_EQ(contentDownload("http://127.0.0.1:9/" + fifo.name(), &seen), 0);
    }
    const std::string target = executor.last()->getFilePath();
    ASSERT_EQ(mkfifo(target.c_str(), 0600), 0);
    std::atomic<pid_t> tid{0};
    std::thread completion([&] {
      tid = static_cast<pid_t>(syscall(SYS_gettid));
      executor.completeLast(0, 200, "");
    });
    ASSERT_TRUE(kvtest::eventually([&] { return tid != 0; }));
    bool blocked = kvtest::eventually([&] { return waitChannel(tid) == "wait_for_partner"; });
    if (blocked) {
      EXPECT_EQ(oai.cancel(kvtest::provider(), Cancels::onCancel, nullptr), 0);
    }
    int writer = open(target.c_str(), O_WRONLY);  // lets the completion's open return
    if (writer >= 0) close(writer);
    completion.join();
    ASSERT_TRUE(blocked) << "the completion never reached the file";
    EXPECT_EQ(seen.callCount(), 0) << kind;
    EXPECT_EQ(kindCancels.calls, 1);
    EXPECT_EQ(kindCancels.userData, &seen);
    EXPECT_FALSE(kvtest::exists(target)) << "the opened file is removed";
    EXPECT_FALSE(oai.isCancelRequested());
    EXPECT_EQ(oai.pendingCommands(), 0u);
  }
  Cancels::current = &cancels;
}

}  // namespace
