// The base of every callback recorder in the tests: counts the calls of a
// callback that may run on another thread and waits for them with a
// watchdog that only a hang reaches.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace kvtest {

// How long any test waits for something that must happen.
constexpr std::chrono::milliseconds kWatchdog(30000);

struct CallLog {
  std::mutex mutex;
  std::condition_variable cv;
  int calls = 0;

  // Counts one call: runs `fill` under the lock, then wakes the waiters
  // (still under the lock: a waiter may free the log right after).
  template <class Fill>
  void record(Fill fill) {
    std::lock_guard<std::mutex> lock(mutex);
    ++calls;
    fill();
    cv.notify_all();
  }
  // Waits until there were `n` calls in total.
  bool waitCalls(int n, std::chrono::milliseconds timeout = kWatchdog) {
    std::unique_lock<std::mutex> lock(mutex);
    return cv.wait_for(lock, timeout, [&] { return calls >= n; });
  }
  bool wait(std::chrono::milliseconds timeout = kWatchdog) { return waitCalls(1, timeout); }
  int callCount() {
    std::lock_guard<std::mutex> lock(mutex);
    return calls;
  }
};

}  // namespace kvtest
