// A host process that ends while the plug-in is busy, for
// process_exit_test.cpp. Usage: kv_process_exit_child MODE BASE_URL
//   return-during-download  main returns while a content download is in flight
//   exit-in-completion      exit() while a completion runs its host callback;
//                           the callback goes on during exit(), after the
//                           static objects made later than the provider are
//                           gone, and starts an operation and a download
// Exits 0 when everything went as planned, 2 when a wait ran out.
#include <dirent.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "CallLog.h"
#include "PluginTestSupport.h"
#include "download/PrivateDownloadDir.h"

extern "C" W::WPlugin* createPlugin();

namespace {

// A one-way latch: once recorded, every wait returns. A wait that runs out
// of its watchdog ends the process.
struct Latch : kvtest::CallLog {
  void open() {
    record([] {});
  }
  void await() {
    if (!wait()) _exit(2);
  }
};

W::WKVOAI* g_oai = nullptr;
std::string g_base;
Latch g_entered;   // the completion runs its host callback
Latch g_released;  // exit() has begun
Latch g_finished;  // the callback has done its work

void ignoreGroups(W::WSTATUS, const W::WContentProvider&, const W::WContainer<W::WGroup>&,
                  const W::WPerson&, void*) {}

void ignoreMedia(int, const W::WContentProvider&, const W::WMediaResource&, std::istream&, void*) {}

W::WSTATUS fetch(const std::string& path) {
  W::WMediaResource media;
  media.setResourceURL(g_base + path);
  return W::WKVOAI::fnContentDownloader(media, &ignoreMedia, nullptr, g_oai);
}

// Holds the completion until exit() has begun, then uses the options and
// the private directory, as a host callback that starts the next step does.
void holdTheCompletion(W::WSTATUS, const W::WContentProvider&, const W::WContainer<W::WGroup>&,
                       const W::WPerson& person, void*) {
  g_entered.open();
  g_released.await();
  g_oai->retrieveGroupList(person, &ignoreGroups, 0, 10, W::KV_SORT_ALPHABETICAL,
                           W::KV_INCLUDE_NONE, nullptr);
  fetch("/media/x.jpg");
  g_finished.open();
}

// Registered after the executor's own exit handler and before the objects
// the session makes later, so it runs after those are destroyed.
void releaseTheCompletion() {
  g_released.open();
  g_finished.await();
}

bool privateDirHoldsAFile() {
  DIR* dir = opendir(W::privateDownloadDir().c_str());
  if (dir == nullptr) return false;
  bool found = false;
  while (const dirent* entry = readdir(dir)) {
    found =
        found || (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0);
  }
  closedir(dir);
  return found;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 64;
  const std::string mode = argv[1];
  g_base = argv[2];
  g_oai = static_cast<W::WKVOAI*>(createPlugin());
  if (g_oai == nullptr) return 3;
  if (mode == "exit-in-completion") std::atexit(&releaseTheCompletion);
  kvtest::configure("app-1", "token-1", "duid-1", g_base);
  kvtest::logIn(*g_oai);

  if (mode == "return-during-download") {
    if (fetch("/media/held") != 0) return 4;
    // The transfer has begun once its temporary file is in the directory.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!privateDirHoldsAFile()) {
      if (std::chrono::steady_clock::now() > deadline) return 2;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return 0;
  }
  if (mode == "exit-in-completion") {
    if (g_oai->retrieveGroupList(W::WPerson(), &holdTheCompletion, 0, 10, W::KV_SORT_ALPHABETICAL,
                                 W::KV_INCLUDE_NONE, nullptr) != 0) {
      return 4;
    }
    g_entered.await();
    std::exit(0);
  }
  return 64;
}
