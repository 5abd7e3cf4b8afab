// Runs one provider operation the way a host does: start it, wait for its
// callback with a bounded timeout, optionally cancel it after a delay and
// show transfer progress, then print the callback's report.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "Callbacks.h"
#include "Invocation.h"
#include "Report.h"
#include "frame/WKinvaleOAI.h"

namespace kvhost {

// How a command ended, and the status that decides kvhost's exit code.
struct Outcome {
  enum Kind {
    kCompleted,  // a callback arrived; status is its status
    kRefused,    // the operation returned a failure at once
    kTimedOut,   // no callback within --timeout
    kFailed,     // kvhost could not run the command (message already printed)
  };
  Kind kind = kFailed;
  int status = 0;
};

// 0 for a completed or refused operation with status 0 or 100, else 1.
int exitCodeOf(const Outcome& outcome);

// What kind of operation is run.
struct RunMode {
  bool transfer = false;    // shows the progress bar
  bool cancellable = true;  // --cancel-after applies (not to the login before a command)
};

class Driver {
 public:
  // All references must outlive the driver; `context` must outlive the
  // plug-in (see CallContext). Reports go to `out`.
  Driver(W::WKinvaleOAI& provider, CallContext& context, const Invocation& invocation,
         std::FILE* out);

  // Runs operation `op`: `start` calls the provider with the user data it is
  // given and returns the provider's immediate status. Prints the report of
  // the callback (or of the refusal) and returns how it ended.
  Outcome run(const std::string& op, const std::function<W::WSTATUS(void*)>& start,
              RunMode mode = RunMode());

  // Prints a report as --json or as a table on the driver's output, and a
  // message on standard error when its status is a failure.
  void emit(const Report& report);

  CallContext& context() { return m_context; }

 private:
  // Prints the report of an operation that returned `status` at once (with
  // "stage":"start") and says so on standard error.
  void emitRefusal(const std::string& op, W::WSTATUS status);

  W::WKinvaleOAI& m_provider;
  CallContext& m_context;
  const Invocation& m_invocation;
  std::FILE* m_out;
};

}  // namespace kvhost
