// Process plumbing for the tests that run programs under the simulator: a fresh temporary directory
// per run, fork and exec of fesim-run, a watchdog that kills only the child it started, and readers
// for the collected files.
#include "probe_runner.h"

#include "TestFiles.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <thread>

namespace {

// Child side: wire the files to the standard descriptors and exec.
[[noreturn]] void ExecChild(const std::string& dir, const std::vector<std::string>& argv) {
  int in = open((dir + "/stdin").c_str(), O_RDONLY);
  int out = open((dir + "/stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  int err = open((dir + "/stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (in < 0 || out < 0 || err < 0) _exit(126);
  dup2(in, 0);
  dup2(out, 1);
  dup2(err, 2);
  std::vector<char*> cargv;
  for (const std::string& a : argv) cargv.push_back(const_cast<char*>(a.c_str()));
  cargv.push_back(nullptr);
  setenv("FESIM_LIB", FESIM_LIB, 1);
  execv(cargv[0], cargv.data());
  _exit(127);
}

}  // namespace

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

ProbeRun RunUnderFesim(const std::string& config_text, const std::vector<std::string>& command,
                       const std::string& stdin_text, int watchdog_seconds) {
  ProbeRun run;
  const kvtest::TempDir temp("fesim-e2e");
  const std::string& dir = temp.path();
  if (dir.empty()) return run;
  temp.write("config", config_text);
  temp.write("stdin", stdin_text);

  std::vector<std::string> argv = {FESIM_RUN, "--config",   dir + "/config",
                                   "--log",   dir + "/log", "--"};
  argv.insert(argv.end(), command.begin(), command.end());

  auto start = std::chrono::steady_clock::now();
  pid_t pid = fork();
  if (pid == 0) ExecChild(dir, argv);
  if (pid > 0) {
    auto deadline = start + std::chrono::seconds(watchdog_seconds);
    int wstatus = 0;
    for (;;) {
      pid_t done = waitpid(pid, &wstatus, WNOHANG);
      if (done == pid) break;
      if (done < 0) return run;
      if (std::chrono::steady_clock::now() > deadline && !run.timed_out) {
        run.timed_out = true;
        kill(pid, SIGKILL);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (WIFEXITED(wstatus)) run.status = WEXITSTATUS(wstatus);
    if (WIFSIGNALED(wstatus)) run.signal = WTERMSIG(wstatus);
  }
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.out = kvtest::readFile(dir + "/stdout");
  run.err = kvtest::readFile(dir + "/stderr");
  run.log = SplitLines(kvtest::readFile(dir + "/log"));
  return run;
}

std::vector<std::string> LinesStartingWith(const std::vector<std::string>& log,
                                           const std::string& prefix) {
  std::vector<std::string> out;
  for (const std::string& line : log) {
    if (line.compare(0, prefix.size(), prefix) == 0) out.push_back(line);
  }
  return out;
}

int IndexOf(const std::vector<std::string>& log, const std::string& line, size_t from) {
  for (size_t i = from; i < log.size(); i++) {
    if (log[i] == line) return static_cast<int>(i);
  }
  return -1;
}

bool ContainsRun(const std::vector<std::string>& log, const std::vector<std::string>& want) {
  if (want.empty() || want.size() > log.size()) return want.empty();
  for (size_t i = 0; i + want.size() <= log.size(); i++) {
    size_t k = 0;
    while (k < want.size() && log[i + k] == want[k]) k++;
    if (k == want.size()) return true;
  }
  return false;
}

std::vector<long> TunedKhz(const std::vector<std::string>& log) {
  std::vector<long> khz;
  for (const std::string& line : LinesStartingWith(log, "i2c w 60 ")) {
    unsigned b0 = 0;
    unsigned b1 = 0;
    if (std::sscanf(line.c_str(), "i2c w 60 %x %x", &b0, &b1) != 2) continue;
    long n = static_cast<long>(((b0 & 0x7f) << 8) | b1);
    // (N - 217) steps of 1/6 MHz, to the nearest kHz.
    khz.push_back(((n - 217) * 1000 + 3) / 6);
  }
  return khz;
}
