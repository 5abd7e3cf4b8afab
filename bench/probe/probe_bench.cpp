// Helper of bench/probe/run-bench: counts a scan's I2C transfers from fesim's
// log, replays them as the CPU floor, and times a whole command's CPU.
//   kv_bench_probe count LOG      per-channel transfer figures ("name value" lines)
//   kv_bench_probe replay LOG     (under fesim-run) CPU of the channels' bare transfers
//   kv_bench_probe cputime [VAR=VALUE...] -- CMD...
//                                 user+system CPU of CMD run with those variables
//                                 set, its output discarded
// Exit status: 0, or 2 on any error.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "ScanCount.h"
#include "TransferLog.h"
#include "TransferReplay.h"

using namespace probebench;

namespace {

int fail(const std::string& what) {
  std::fprintf(stderr, "kv_bench_probe: %s\n", what.c_str());
  return 2;
}

bool load(const char* path, std::vector<Transfer>& transfers, std::string& error) {
  std::ifstream log(path);
  if (!log) {
    error = std::string("cannot read ") + path;
    return false;
  }
  return readTransfers(log, transfers, error);
}

int count(const char* path) {
  std::vector<Transfer> transfers;
  std::string error;
  ScanCount c;
  if (!load(path, transfers, error) || !countScan(transfers, c, error)) return fail(error);
  std::printf(
      "channels %u\nsetup_transfers %u\ntransfers %u\nrequired %u\nideal %u\n"
      "polls %u\nlocked %u\nretuned %u\n",
      c.channels, c.setupTransfers, c.transfers, c.required, c.ideal, c.polls, c.locked, c.retuned);
  return 0;
}

int replay(const char* path) {
  std::vector<Transfer> transfers;
  std::string error;
  if (!load(path, transfers, error)) return fail(error);
  size_t from = firstChannel(transfers);
  if (from == transfers.size()) return fail("no channel in the log");
  // The simulated node; the probe benchmark always scans bus 0.
  int fd = open("/dev/i2c-0", O_RDWR);
  if (fd < 0) return fail("cannot open /dev/i2c-0 (not under fesim-run?)");
  double cpuUs = 0;
  bool ok = replayTransfers(fd, transfers, from, cpuUs, error);
  close(fd);
  if (!ok) return fail(error);
  std::printf("replay_cpu_us %.1f transfers %zu\n", cpuUs, transfers.size() - from);
  return 0;
}

// argv: VAR=VALUE assignments, "--", then the command.
int cputime(char** argv) {
  char** cmd = argv;
  while (*cmd && std::strcmp(*cmd, "--") != 0) cmd++;
  if (!*cmd || !cmd[1]) return fail("cputime: no command after --");
  *cmd++ = nullptr;
  pid_t pid = fork();
  if (pid < 0) return fail("fork failed");
  if (pid == 0) {
    // Set in the child only: the timer itself runs without the simulator.
    for (char** a = argv; *a; a++) putenv(*a);
    int null = open("/dev/null", O_WRONLY);
    if (null >= 0) dup2(null, STDOUT_FILENO);
    execvp(cmd[0], cmd);
    std::perror(cmd[0]);
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return fail("wait4 failed");
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    return fail(std::string(cmd[0]) + " did not exit 0");
  }
  double us = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e6 +
              static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
  std::printf("cpu_us %.0f\n", us);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "count") == 0) return count(argv[2]);
  if (argc >= 3 && std::strcmp(argv[1], "replay") == 0) return replay(argv[2]);
  if (argc >= 3 && std::strcmp(argv[1], "cputime") == 0) return cputime(argv + 2);
  std::fprintf(
      stderr,
      "usage: kv_bench_probe count LOG | replay LOG | cputime [VAR=VALUE...] -- CMD [ARGS...]\n");
  return 2;
}
