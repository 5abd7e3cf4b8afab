// The content downloader's private directory.
#include "download/PrivateDownloadDir.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <vector>

namespace W {

namespace {

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
  return STRING(name.data());
}

}  // namespace

STRING privateDownloadDir() {
  static std::mutex lock;
  static STRING dir;
  std::lock_guard<std::mutex> guard(lock);
  if (!isPrivateDir(dir)) dir = makePrivateDir();
  return dir;
}

STRING privateDownloadPath(const STRING& name) {
  static std::atomic<unsigned long> sequence{0};
  const STRING dir = privateDownloadDir();
  if (dir.empty()) return STRING();
  return dir + "/" + std::to_string(++sequence) + "-" + name;
}

}  // namespace W
