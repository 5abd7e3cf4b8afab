// Spawns kvsim with posix_spawn and reads the URL it announces.
#include "KvsimChild.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <vector>

extern char** environ;

namespace kvbench {

namespace {

using Clock = std::chrono::steady_clock;

std::string siblingPath(const char* name) {
  char exe[4096];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0) return std::string();
  std::string path(exe, static_cast<size_t>(n));
  return path.substr(0, path.rfind('/') + 1) + name;
}

int remainingMs(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Reaps `pid` if it ends before `deadline`; true when it did.
bool reapBy(pid_t pid, Clock::time_point deadline) {
  int status = 0;
  do {
    if (waitpid(pid, &status, WNOHANG) == pid) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  } while (Clock::now() < deadline);
  return false;
}

}  // namespace

KvsimChild::KvsimChild(int exitAfterSec) {
  const std::string path = siblingPath("kvsim");
  const std::string exitAfter = std::to_string(exitAfterSec);
  std::vector<std::string> args = {path, "--port", "0", "--exit-after", exitAfter};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(&arg[0]);
  argv.push_back(nullptr);

  int out[2];
  if (path.empty() || pipe2(out, O_CLOEXEC) != 0) {
    m_error = "cannot locate kvsim or make a pipe";
    return;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  const int rc = posix_spawn(&m_pid, path.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (rc != 0) {
    m_pid = -1;
    close(out[0]);
    m_error = "cannot start " + path;
    return;
  }
  // Only the first line matters; kvsim ignores SIGPIPE for what follows.
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(20);
  std::string line;
  pollfd fd = {out[0], POLLIN, 0};
  while (line.find('\n') == std::string::npos && remainingMs(deadline) > 0) {
    if (poll(&fd, 1, remainingMs(deadline)) <= 0) break;
    char buffer[256];
    const ssize_t n = read(out[0], buffer, sizeof buffer);
    if (n <= 0) break;
    line.append(buffer, static_cast<size_t>(n));
  }
  close(out[0]);
  const std::string prefix = "listening on ";
  const size_t end = line.find('\n');
  if (line.compare(0, prefix.size(), prefix) == 0 && end != std::string::npos) {
    m_baseUrl = line.substr(prefix.size(), end - prefix.size());
  } else {
    m_error = "kvsim did not announce its URL: '" + line + "'";
  }
}

KvsimChild::~KvsimChild() {
  if (m_pid <= 0) return;
  kill(m_pid, SIGTERM);
  if (!reapBy(m_pid, Clock::now() + std::chrono::seconds(5))) {
    kill(m_pid, SIGKILL);
    int status = 0;
    waitpid(m_pid, &status, 0);
  }
}

}  // namespace kvbench
