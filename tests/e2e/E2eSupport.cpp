// Process, temporary directory and kvsim handling for the end-to-end tests.
#include "E2eSupport.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace e2e {

const char* const kPluginPath = KV_PLUGIN_PATH;
const char* const kKvhostPath = KV_KVHOST_PATH;
const char* const kAppId = "kvdemo-app";
const char* const kAuthToken = "kvdemo-token";
const char* const kDuid = "kvdemo-tv-0001";

namespace {

using Clock = std::chrono::steady_clock;

std::vector<char*> argvOf(const std::vector<std::string>& args) {
  std::vector<char*> out;
  for (const std::string& a : args) out.push_back(const_cast<char*>(a.c_str()));
  out.push_back(nullptr);
  return out;
}

// Starts `args` with stdin from /dev/null, stdout to `outFd` and stderr to
// `errFd`. Returns the pid, or -1.
pid_t spawn(const std::vector<std::string>& args, int outFd, int errFd) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, outFd, 1);
  posix_spawn_file_actions_adddup2(&actions, errFd, 2);
  std::vector<char*> argv = argvOf(args);
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : -1;
}

// Waits for `pid` until `deadline`; returns true with `status` when it ended.
bool waitUntil(pid_t pid, Clock::time_point deadline, int& status) {
  while (true) {
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) return true;
    if (done < 0 || Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

int remainingMs(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

void storeExit(int status, ProcessResult& result) {
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
}

}  // namespace

ProcessResult runProcess(const std::vector<std::string>& args, int timeoutMs) {
  ProcessResult result;
  int outPipe[2];
  int errPipe[2];
  if (pipe2(outPipe, O_CLOEXEC) != 0) return result;
  if (pipe2(errPipe, O_CLOEXEC) != 0) {
    close(outPipe[0]);
    close(outPipe[1]);
    return result;
  }
  const pid_t pid = spawn(args, outPipe[1], errPipe[1]);
  close(outPipe[1]);
  close(errPipe[1]);
  if (pid < 0) {
    close(outPipe[0]);
    close(errPipe[0]);
    result.err = "cannot start " + args[0];
    return result;
  }

  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  int open = 2;
  while (open > 0) {
    const int left = remainingMs(deadline);
    if (left == 0) {
      result.timedOut = true;
      kill(pid, SIGKILL);
      break;
    }
    if (poll(fds, 2, left) < 0) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[i]->append(buffer, static_cast<size_t>(n));
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
  for (pollfd& f : fds)
    if (f.fd >= 0) close(f.fd);
  int status = 0;
  if (!waitUntil(pid, Clock::now() + std::chrono::seconds(10), status)) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    result.timedOut = true;
  }
  storeExit(status, result);
  return result;
}

Kvsim::Kvsim(const std::vector<std::string>& flags) {
  kvtest::KvsimProcess::Options options;
  options.flags = {"--log", m_dir.file("requests.log"), "--exit-after", "300"};
  options.flags.insert(options.flags.end(), flags.begin(), flags.end());
  options.errPath = m_dir.file("kvsim.err");
  m_process = std::make_unique<kvtest::KvsimProcess>(KV_KVSIM_PATH, options);
  if (!m_process->running()) m_error = m_process->error() + " " + readFile(m_dir.file("kvsim.err"));
}

Kvsim::~Kvsim() {
  if (m_process->running() && m_process->stop() == -1)
    ADD_FAILURE() << "kvsim did not stop on SIGTERM";
  // kvsim's own sanitizer findings count too.
  const std::string err = readFile(m_dir.file("kvsim.err"));
  if (err.find("Sanitizer") != std::string::npos || err.find("runtime error:") != std::string::npos)
    ADD_FAILURE() << "kvsim reported:\n" << err;
}

std::vector<std::string> Kvsim::logLines() const {
  std::vector<std::string> lines;
  std::istringstream in(readFile(m_dir.path() + "/requests.log"));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> Kvsim::logLinesWith(const std::vector<std::string>& parts) const {
  std::vector<std::string> found;
  for (const std::string& line : logLines()) {
    bool all = true;
    for (const std::string& part : parts) all = all && line.find(part) != std::string::npos;
    if (all) found.push_back(line);
  }
  return found;
}

std::vector<std::string> Kvsim::awaitLogLinesWith(const std::vector<std::string>& parts) const {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  std::vector<std::string> found = logLinesWith(parts);
  while (found.empty() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    found = logLinesWith(parts);
  }
  return found;
}

nlohmann::json field(const nlohmann::json& value, const std::string& pointer) {
  const nlohmann::json::json_pointer path(pointer);
  return value.contains(path) ? value.at(path) : nlohmann::json();
}

std::string text(const nlohmann::json& value, const std::string& pointer) {
  const nlohmann::json found = field(value, pointer);
  return found.is_string() ? found.get<std::string>() : std::string();
}

long long number(const nlohmann::json& value, const std::string& pointer) {
  const nlohmann::json found = field(value, pointer);
  return found.is_number() ? found.get<long long>() : 0;
}

const nlohmann::json& HostRun::last(const std::string& op) const {
  static const nlohmann::json kNullValue;
  for (auto it = lines.rbegin(); it != lines.rend(); ++it)
    if (text(*it, "/op") == op) return *it;
  return kNullValue;
}

std::string HostRun::describe() const {
  return "exit " + std::to_string(process.exitCode) + " signal " + std::to_string(process.signal) +
         "\nstdout:\n" + process.out + "stderr:\n" + process.err;
}

HostRun runKvhostBare(const std::vector<std::string>& args, int timeoutMs) {
  std::vector<std::string> argv = {kKvhostPath};
  argv.insert(argv.end(), args.begin(), args.end());
  HostRun run;
  run.process = runProcess(argv, timeoutMs);
  EXPECT_FALSE(run.process.timedOut) << "kvhost did not end in time\n" << run.describe();
  const std::string& err = run.process.err;
  EXPECT_TRUE(err.find("Sanitizer") == std::string::npos &&
              err.find("runtime error:") == std::string::npos)
      << "sanitizer report from kvhost:\n"
      << err;
  std::istringstream out(run.process.out);
  for (std::string line; std::getline(out, line);) {
    nlohmann::json value = nlohmann::json::parse(line, nullptr, false);
    if (value.is_object()) {
      run.lines.push_back(std::move(value));
    } else {
      ADD_FAILURE() << "kvhost printed a line that is not a JSON object: " << line;
    }
  }
  return run;
}

HostRun runKvhost(const Kvsim& sim, const std::vector<std::string>& args, int timeoutMs) {
  std::vector<std::string> all = {"--plugin", KV_PLUGIN_PATH, "--json",      "--timeout",
                                  "20",       "--base-url",   sim.baseUrl(), "--app-id",
                                  kAppId,     "--auth-token", kAuthToken,    "--duid",
                                  kDuid};
  all.insert(all.end(), args.begin(), args.end());
  return runKvhostBare(all, timeoutMs);
}

}  // namespace e2e
