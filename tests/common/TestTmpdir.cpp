// Every test process works in a temporary directory of its own: TMPDIR
// points there for the process and for every program it starts (kvsim,
// kvhost, feprobe, nginx, the plug-in's private download directory), and
// the directory is removed with all it holds when the process ends. A
// crashed test still leaves its files, under one name to look for.
#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

namespace {

constexpr const char* kOwnerVariable = "KV_TEST_TMPDIR";

class ProcessTmpdir {
 public:
  ProcessTmpdir() {
    const char* tmp = getenv("TMPDIR");
    const char* owned = getenv(kOwnerVariable);
    // A test process started by another one (a death test) shares its
    // parent's directory; the parent removes it.
    if (tmp != nullptr && owned != nullptr && std::strcmp(tmp, owned) == 0) return;
    std::string pattern =
        std::string(tmp != nullptr && tmp[0] == '/' ? tmp : "/tmp") + "/kv-test-XXXXXX";
    if (mkdtemp(&pattern[0]) == nullptr) return;
    m_path = pattern;
    m_owner = getpid();
    setenv("TMPDIR", m_path.c_str(), 1);
    // testing::TempDir() follows TEST_TMPDIR.
    setenv("TEST_TMPDIR", m_path.c_str(), 1);
    setenv(kOwnerVariable, m_path.c_str(), 1);
  }

  ~ProcessTmpdir() {
    // A forked child that exits normally must not remove its parent's files.
    if (m_path.empty() || getpid() != m_owner) return;
    removeOpenCapture();
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
  }

 private:
  // GoogleTest 1.12 captures output into "/tmp/gtest_captured_stream.XXXXXX"
  // whatever TEST_TMPDIR says, and only removes the file when the capture is
  // read back: a test that failed (or exited) in between leaves it behind.
  // Such a capture is still this process's standard output or error. (A
  // death test's child holds its parent's capture there: only the process
  // that made the directory looks.)
  static void removeOpenCapture() {
    static const char kCapture[] = "/tmp/gtest_captured_stream.";
    for (const char* fd : {"/proc/self/fd/1", "/proc/self/fd/2"}) {
      char target[256];
      const ssize_t n = readlink(fd, target, sizeof(target) - 1);
      if (n <= 0) continue;
      target[n] = '\0';
      if (std::strncmp(target, kCapture, sizeof(kCapture) - 1) == 0) unlink(target);
    }
  }

  std::string m_path;
  pid_t m_owner = 0;
};

// Before every other static object, so that none reads the old TMPDIR.
__attribute__((init_priority(101))) ProcessTmpdir g_processTmpdir;

}  // namespace
