// Nothing the plug-in or the executor opens is inherited by a process the
// host starts: every descriptor a transfer holds (its socket, the uploaded
// file, the download's temporary file, the stream handed to the host) is
// close-on-exec. Through the real executor against loopback servers whose
// own sockets are close-on-exec too.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "DownloadTestSupport.h"
#include "ExecutorTurn.h"
#include "OperationTestSupport.h"
#include "TestFiles.h"
#include "http_test_support.h"

extern "C" W::WPlugin* createPlugin();
extern "C" void destroyPlugin(W::WPlugin* plugin);

namespace {

std::set<int> openDescriptors() {
  std::set<int> fds;
  DIR* dir = opendir("/proc/self/fd");
  if (dir == nullptr) return fds;
  while (const dirent* entry = readdir(dir)) {
    if (entry->d_name[0] != '.') fds.insert(std::atoi(entry->d_name));
  }
  fds.erase(dirfd(dir));
  closedir(dir);
  return fds;
}

// The descriptors opened since `before` that an exec would keep, each with
// what it is ("socket:[...]", a path).
std::vector<std::string> inheritedSince(const std::set<int>& before) {
  std::vector<std::string> inherited;
  for (int fd : openDescriptors()) {
    const int flags = fcntl(fd, F_GETFD);
    if (before.count(fd) != 0 || flags < 0 || (flags & FD_CLOEXEC) != 0) continue;
    char target[512] = {0};
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    if (readlink(link.c_str(), target, sizeof target - 1) < 0) target[0] = '?';
    inherited.push_back(std::to_string(fd) + " " + target);
  }
  return inherited;
}

// Checks the descriptors inside the content download's callback, while the
// stream is open.
struct StreamCheck : kvtest::CallLog {
  const std::set<int>* before = nullptr;
  bool streamOpen = false;
  std::vector<std::string> inherited;
  static void onContent(int, const W::WContentProvider&, const W::WMediaResource&,
                        std::istream& stream, void* userData) {
    StreamCheck* self = static_cast<StreamCheck*>(userData);
    const auto* file = dynamic_cast<std::ifstream*>(&stream);
    const bool open = file != nullptr && file->is_open();
    std::vector<std::string> inherited = inheritedSince(*self->before);
    self->record([&] {
      self->streamOpen = open;
      self->inherited = inherited;
    });
  }
};

std::string httpAnswer(const std::string& type, const std::string& body) {
  return "HTTP/1.1 200 OK\r\nContent-Type: " + type +
         "\r\nConnection: close\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
         body;
}

TEST(Descriptors, EveryDescriptorOfATransferIsCloseOnExec) {
  httptest::SilentServer silent;
  httptest::RawOnceServer slot(
      httpAnswer("text/xml", kvtest::okAnswer("<contentId>c-new</contentId><uploadUrl>" +
                                              silent.url("/up/c-new") + "</uploadUrl>")));
  httptest::RawOnceServer media(httpAnswer("image/jpeg", "jpeg bytes"));
  httptest::RawOnceServer warmUp(httpAnswer("text/plain", ""));
  httptest::RawOnceServer lastTurn(httpAnswer("text/plain", ""));
  ASSERT_TRUE(slot.ok() && media.ok() && warmUp.ok() && lastTurn.ok());
  const kvtest::TempDir dir("kv-fds");
  // Larger than the socket buffers: the upload stalls with its file open.
  const std::string photo = dir.write("photo.jpg", std::string(8 << 20, 'p'));
  kvtest::configure("app-1", "token-1", "duid-1", slot.url(""));
  // The executor's worker runs before the baseline: libcurl makes its own
  // wake-up pair when the worker starts, and the executor cannot flag it.
  ASSERT_TRUE(kvtest::awaitExecutorTurn(warmUp.url("/")));
  const std::set<int> before = openDescriptors();

  W::WPlugin* plugin = createPlugin();
  ASSERT_NE(plugin, nullptr);
  W::WKVOAI* oai = static_cast<W::WKVOAI*>(plugin);
  kvtest::logIn(*oai);

  kvtest::Seen uploaded;
  ASSERT_EQ(oai->createContent(kvtest::groupWith("g-1"), kvtest::photoToUpload(),
                               W::KV_CONTENT_PHOTO, photo, &kvtest::onContentCreated, &uploaded),
            0);
  ASSERT_TRUE(silent.acceptConnections(1));
  // Once bytes went out, the file is being read.
  double done = 0;
  double total = 0;
  ASSERT_TRUE(kvtest::eventually([&] {
    return oai->progressStatus(kvtest::provider(), done, total, nullptr) == 0 && done > 0;
  }));
  EXPECT_EQ(inheritedSince(before), std::vector<std::string>()) << "upload in flight";

  kvtest::Seen direct;
  ASSERT_EQ(oai->download(
                kvtest::provider(), silent.url("/m/a.jpg"), dir.path(), "a.jpg",
                [](W::WSTATUS, const W::WContentProvider&, const std::string&, void*) {}, &direct),
            0);
  ASSERT_TRUE(silent.acceptConnections(2));
  EXPECT_EQ(inheritedSince(before), std::vector<std::string>()) << "download in flight";

  StreamCheck check;
  check.before = &before;
  W::WMediaResource resource;
  resource.setResourceURL(media.url("/m/b.jpg"));
  ASSERT_EQ(W::WKVOAI::fnContentDownloader(resource, &StreamCheck::onContent, &check, oai), 0);
  ASSERT_TRUE(check.wait());
  EXPECT_TRUE(check.streamOpen);
  EXPECT_EQ(check.inherited, std::vector<std::string>()) << "stream handed to the host";

  destroyPlugin(plugin);
  // The transfers the destroy dropped go, with their temporary files, at
  // the executor's next turn; only then may the directory go.
  EXPECT_TRUE(kvtest::awaitExecutorTurn(lastTurn.url("/")));
  kvtest::clearConfiguration();
}

}  // namespace
