// Hands the report of a provider callback, which runs on the executor's
// thread, to kvhost's main thread, with a bounded wait.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>

#include "Report.h"

namespace kvhost {

class Waiter {
 public:
  // Starts a new operation named `op`; forgets any earlier result.
  void begin(const std::string& op);
  // The name given to begin().
  std::string op() const;

  // Stores the report of a finished callback and wakes the waiters. Returns
  // false, keeping the first report, when one has already arrived.
  bool finish(Report report);

  // Waits until a report arrives or `timeout` passes. Returns true and moves
  // the report into `out`, or false on timeout.
  bool wait(std::chrono::milliseconds timeout, Report& out);

  // Waits up to `timeout` for the operation to end (report or abandon()).
  // Returns true when it ended.
  bool waitEnded(std::chrono::milliseconds timeout);

  // Ends the operation without a report (after a timeout), so that every
  // waitEnded() returns at once.
  void abandon();

 private:
  mutable std::mutex m_lock;  // guards every field below
  std::condition_variable m_changed;
  std::string m_op;
  bool m_hasReport = false;
  bool m_abandoned = false;
  Report m_report;
};

}  // namespace kvhost
