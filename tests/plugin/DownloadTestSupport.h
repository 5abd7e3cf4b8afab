// Fixtures of the download tests: recorders for the two download callbacks
// (safe on the executor's thread) and unique file names under "/tmp/" (the
// plug-in's directory when none is given) that the test removes again.
#pragma once

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "CallLog.h"
#include "PluginTestSupport.h"
#include "TestFiles.h"

namespace kvtest {

// What the download callbacks delivered. Pass its address as user data.
struct Downloads : CallLog {
  W::WSTATUS status = 12345;
  std::string name;
  std::string resourceUID;
  std::string bytes;
  bool streamOpen = false;
  bool streamFailed = false;

  static void onDirect(W::WSTATUS status, const W::WContentProvider&, const std::string& name,
                       void* userData) {
    Downloads* self = static_cast<Downloads*>(userData);
    self->record([&] {
      self->status = status;
      self->name = name;
    });
  }

  static void onContent(int status, const W::WContentProvider&, const W::WMediaResource& resource,
                        std::istream& stream, void* userData) {
    Downloads* self = static_cast<Downloads*>(userData);
    auto* file = dynamic_cast<std::ifstream*>(&stream);
    const bool open = file != nullptr && file->is_open();
    const bool failed = stream.fail();
    std::string bytes;
    if (open)
      bytes.assign(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
    self->record([&] {
      self->status = status;
      self->resourceUID = resource.getUID();
      self->bytes = bytes;
      self->streamOpen = open;
      self->streamFailed = failed;
    });
  }
};

// The cancel callback's record.
struct Cancels : CallLog {
  W::WSTATUS status = 12345;
  void* userData = nullptr;

  static inline Cancels* current = nullptr;
  static void onCancel(W::WSTATUS status, const W::WContentProvider&, void* userData) {
    Cancels* self = current;
    self->record([&] {
      self->status = status;
      self->userData = userData;
    });
  }
};

// A file name no other test run uses, in the test process's temporary
// directory (dir()); the file is removed when this goes out of scope.
class TmpName {
 public:
  explicit TmpName(const std::string& suffix) {
    static std::atomic<int> counter{0};
    m_name = "kvdl-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + suffix;
    std::remove(path().c_str());
  }
  ~TmpName() { std::remove(path().c_str()); }
  const std::string& name() const { return m_name; }
  static std::string dir() {
    const char* tmp = std::getenv("TMPDIR");
    return tmp != nullptr && tmp[0] == '/' ? tmp : "/tmp";
  }
  std::string path() const { return dir() + "/" + m_name; }

 private:
  std::string m_name;
};

inline bool exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

// Polls `done()` for a bounded time.
template <class Done>
bool eventually(Done done, std::chrono::milliseconds timeout = kWatchdog) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    usleep(2000);
  }
  return true;
}

}  // namespace kvtest
