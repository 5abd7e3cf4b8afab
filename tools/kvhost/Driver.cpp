// The wait-for-callback loop shared by every kvhost command.
#include "Driver.h"

#include <unistd.h>

#include <W/WStatus.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "JsonWriter.h"
#include "ProgressBar.h"
#include "TableWriter.h"

namespace kvhost {

namespace {

bool isSuccess(int status) {
  return status == 0 || status == 100;
}

const char* nameOf(int status) {
  return W::WSTATUS2STRING(static_cast<unsigned>(status));
}

}  // namespace

int exitCodeOf(const Outcome& outcome) {
  if (outcome.kind == Outcome::kCompleted || outcome.kind == Outcome::kRefused)
    return isSuccess(outcome.status) ? 0 : 1;
  return 1;
}

Driver::Driver(W::WKinvaleOAI& provider, CallContext& context, const Invocation& invocation,
               std::FILE* out)
    : m_provider(provider), m_context(context), m_invocation(invocation), m_out(out) {}

void Driver::emit(const Report& report) {
  const std::string text = m_invocation.json ? toJsonLine(report) + "\n" : toTable(report);
  std::fputs(text.c_str(), m_out);
  std::fflush(m_out);
  if (!isSuccess(report.status))
    std::fprintf(stderr, "kvhost: %s failed: %s (%d)\n", report.op.c_str(), nameOf(report.status),
                 report.status);
}

void Driver::emitRefusal(const std::string& op, W::WSTATUS status) {
  Report refusal;
  refusal.op = op;
  refusal.status = status;
  refusal.values["stage"] = "start";
  const std::string text = m_invocation.json ? toJsonLine(refusal) + "\n" : toTable(refusal);
  std::fputs(text.c_str(), m_out);
  std::fflush(m_out);
  std::fprintf(stderr, "kvhost: %s: the provider refused to start it: %s (%d)\n", op.c_str(),
               nameOf(status), status);
}

Outcome Driver::run(const std::string& op, const std::function<W::WSTATUS(void*)>& start,
                    RunMode mode) {
  Waiter& waiter = m_context.waiter;
  waiter.begin(op);
  const W::WSTATUS started = start(&m_context);
  if (started != 0) {
    emitRefusal(op, started);
    return Outcome{Outcome::kRefused, started};
  }

  ProgressBar bar(m_provider, stderr);
  if (mode.transfer && (m_invocation.forceProgress || isatty(STDERR_FILENO))) bar.start();

  std::atomic<int> cancelStatus{0};
  std::thread canceller;
  if (mode.cancellable && m_invocation.cancelAfterMs >= 0) {
    canceller = std::thread([&] {
      if (waiter.waitEnded(std::chrono::milliseconds(m_invocation.cancelAfterMs))) return;
      cancelStatus =
          m_provider.cancel(m_provider.getContentProvider(), &callbacks::onCancel, &m_context);
    });
  }

  Report report;
  const bool arrived = waiter.wait(std::chrono::seconds(m_invocation.timeoutSec), report);
  if (!arrived) waiter.abandon();
  if (canceller.joinable()) canceller.join();
  bar.stop();

  if (cancelStatus != 0)
    std::fprintf(stderr, "kvhost: %s: cancel refused: %s (%d)\n", op.c_str(), nameOf(cancelStatus),
                 cancelStatus.load());
  if (!arrived) {
    std::fprintf(stderr, "kvhost: %s: no answer within %ld s (--timeout)\n", op.c_str(),
                 m_invocation.timeoutSec);
    return Outcome{Outcome::kTimedOut, 0};
  }
  emit(report);
  return Outcome{Outcome::kCompleted, report.status};
}

}  // namespace kvhost
