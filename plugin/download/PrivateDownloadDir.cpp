// The content downloader's private directory, and its removal when the
// process exits.
#include "download/PrivateDownloadDir.h"

#include <W/HttpDelegator.h>

#include <dirent.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <vector>

namespace W {

namespace {

// Never destroyed: completions may still use it while the process exits,
// and the exit handler reads it last.
struct DirState {
  std::mutex lock;           // guards every field
  STRING dir;                // empty until made
  pid_t owner = 0;           // the process that made it (a forked child is not)
  bool exitHandler = false;  // removeAtExit registered
  bool closed = false;       // removed at exit: never made again
};

DirState& state() {
  static DirState* const instance = new DirState();
  return *instance;
}

// Where the directory is made: $TMPDIR when it is an absolute path, else /tmp.
STRING temporaryRoot() {
  const char* tmpdir = getenv("TMPDIR");
  if (tmpdir != nullptr && tmpdir[0] == '/') return tmpdir;
  return "/tmp";
}

// Still ours: a directory (not a link) owned by this user, closed to others.
bool isPrivateDir(const STRING& path) {
  struct stat st;
  if (path.empty() || lstat(path.c_str(), &st) != 0) return false;
  return S_ISDIR(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & 077) == 0;
}

STRING makePrivateDir() {
  STRING pattern = temporaryRoot() + "/kinvale-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  // mkdtemp creates it 0700 under a name nobody else holds.
  if (mkdtemp(name.data()) == nullptr) return STRING();
  try {
    return STRING(name.data());
  } catch (...) {
    rmdir(name.data());  // never a directory nobody knows of
    throw;
  }
}

// Empties the directory and removes it. The downloads put plain files in
// it and nothing else.
void removeDirectory(const STRING& path) {
  if (DIR* dir = opendir(path.c_str())) {
    const int fd = dirfd(dir);
    while (const dirent* entry = readdir(dir)) {
      if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
      unlinkat(fd, entry->d_name, 0);
    }
    closedir(dir);
  }
  rmdir(path.c_str());
}

// At a normal exit. The executor goes first: until it is shut down, a
// transfer may still write into the directory.
void removeAtExit() {
  HttpDelegator::getInstance()->shutdown();
  DirState& s = state();
  STRING dir;
  {
    std::lock_guard<std::mutex> guard(s.lock);
    s.closed = true;
    if (s.owner == getpid()) dir = s.dir;
    s.dir.clear();
  }
  if (isPrivateDir(dir)) removeDirectory(dir);
}

}  // namespace

STRING privateDownloadDir() {
  DirState& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  if (s.closed) return STRING();
  if (!isPrivateDir(s.dir)) {
    s.dir = makePrivateDir();
    s.owner = getpid();
    if (!s.dir.empty() && !s.exitHandler) s.exitHandler = std::atexit(&removeAtExit) == 0;
  }
  return s.dir;
}

STRING privateDownloadPath(const STRING& name) {
  static std::atomic<unsigned long> sequence{0};
  const STRING dir = privateDownloadDir();
  if (dir.empty()) return STRING();
  return dir + "/" + std::to_string(++sequence) + "-" + name;
}

}  // namespace W
