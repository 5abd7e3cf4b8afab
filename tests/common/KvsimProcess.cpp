// posix_spawn, a bounded wait for kvsim's first line, and a bounded stop.
#include "KvsimProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

extern char** environ;

namespace kvtest {

namespace {

using Clock = std::chrono::steady_clock;

int remainingMs(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Appends what `fd` gives until `done` says so, EOF, or `deadline`.
// Returns false on EOF or error.
template <typename Done>
bool readUntil(int fd, std::string& text, Clock::time_point deadline, Done done) {
  pollfd p = {fd, POLLIN, 0};
  while (!done(text)) {
    const int left = remainingMs(deadline);
    if (left == 0 || poll(&p, 1, left) <= 0) return true;
    char buffer[512];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) return false;
    text.append(buffer, static_cast<size_t>(n));
  }
  return true;
}

}  // namespace

int waitForExit(pid_t pid, std::chrono::milliseconds wait) {
  const Clock::time_point deadline = Clock::now() + wait;
  int status = 0;
  while (true) {
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
    if (done < 0 || Clock::now() >= deadline) break;
    // Polls the child's state; the deadline is the watchdog.
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
  return -1;
}

KvsimProcess::KvsimProcess(const std::string& binary, const Options& options) {
  std::vector<std::string> args = {binary, "--port", "0"};
  args.insert(args.end(), options.flags.begin(), options.flags.end());
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(&arg[0]);
  argv.push_back(nullptr);

  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) {
    m_error = "cannot make a pipe";
    return;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  if (options.captureOutput) {
    posix_spawn_file_actions_adddup2(&actions, out[1], 2);
  } else if (!options.errPath.empty()) {
    posix_spawn_file_actions_addopen(&actions, 2, options.errPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
  }
  const int rc = posix_spawn(&m_pid, binary.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (rc != 0) {
    m_pid = -1;
    close(out[0]);
    m_error = "cannot start " + binary;
    return;
  }
  m_out = out[0];

  const Clock::time_point deadline = Clock::now() + options.announceWait;
  std::string text;
  const bool open = readUntil(m_out, text, deadline, [](const std::string& t) {
    return t.find('\n') != std::string::npos;
  });
  const std::string prefix = "listening on ";
  const size_t end = text.find('\n');
  if (text.compare(0, prefix.size(), prefix) == 0 && end != std::string::npos) {
    m_baseUrl = text.substr(prefix.size(), end - prefix.size());
    m_rest = text.substr(end + 1);
  } else {
    // A kvsim that ended at start (a usage error) keeps its output and code.
    if (open && readUntil(m_out, text, deadline, [](const std::string&) { return false; }))
      kill(m_pid, SIGKILL);
    m_exitCode = waitForExit(m_pid, std::chrono::seconds(10));
    m_pid = -1;
    m_error = "kvsim did not announce its URL: '" + text + "'";
    m_rest = text;
  }
  if (!options.captureOutput || m_pid < 0) {
    close(m_out);
    m_out = -1;
  }
}

KvsimProcess::~KvsimProcess() {
  stop();
  if (m_out >= 0) close(m_out);
}

int KvsimProcess::port() const {
  const size_t colon = m_baseUrl.rfind(':');
  return colon == std::string::npos ? -1 : std::atoi(m_baseUrl.c_str() + colon + 1);
}

int KvsimProcess::stop(std::chrono::seconds wait) {
  if (m_pid > 0) kill(m_pid, SIGTERM);
  return awaitExit(wait);
}

int KvsimProcess::awaitExit(std::chrono::seconds wait) {
  if (m_pid <= 0) return m_exitCode;
  m_exitCode = waitForExit(m_pid, wait);
  m_pid = -1;
  return m_exitCode;
}

std::string KvsimProcess::readRest(std::chrono::seconds wait) {
  std::string text = std::move(m_rest);
  m_rest.clear();
  if (m_out < 0) return text;
  readUntil(m_out, text, Clock::now() + wait, [](const std::string&) { return false; });
  return text;
}

}  // namespace kvtest
