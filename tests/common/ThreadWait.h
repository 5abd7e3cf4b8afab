// Orders "thread A is blocked waiting" before "thread B acts" without a
// fixed sleep: the kernel's view of A's state is the event.
#pragma once

#include <sys/syscall.h>
#include <sys/types.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

namespace kvtest {

// The calling thread's kernel id.
inline pid_t threadId() {
  return static_cast<pid_t>(syscall(SYS_gettid));
}

// Waits until thread `tid` of this process sleeps in the kernel (state S:
// a condition variable, a mutex, poll). True when it does; false when it
// never did within the watchdog or has ended.
inline bool waitUntilBlocked(pid_t tid,
                             std::chrono::milliseconds watchdog = std::chrono::seconds(30)) {
  const auto deadline = std::chrono::steady_clock::now() + watchdog;
  const std::string path = "/proc/self/task/" + std::to_string(tid) + "/stat";
  while (std::chrono::steady_clock::now() < deadline) {
    std::ifstream in(path);
    std::string stat;
    if (!std::getline(in, stat)) return false;
    // "tid (comm) S ...": the name may hold spaces, the state follows its ")".
    const size_t close = stat.rfind(')');
    if (close != std::string::npos && close + 2 < stat.size() && stat[close + 2] == 'S')
      return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return false;
}

}  // namespace kvtest
