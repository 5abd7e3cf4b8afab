// Hand-over of callback reports from the executor's thread to the main one.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "ThreadWait.h"
#include "Waiter.h"

namespace kvhost {
namespace {

using std::chrono::milliseconds;

// Watchdog of the waits that must end: only a hang reaches it.
constexpr milliseconds kWatchdog(30000);

Report reportOf(const std::string& op, int status) {
  Report r;
  r.op = op;
  r.status = status;
  return r;
}

TEST(Waiter, ReportFromAnotherThreadWakesTheWait) {
  Waiter waiter;
  waiter.begin("feed");
  const pid_t mainThread = kvtest::threadId();
  std::thread executor([&] {
    // Reports only once the main thread is blocked in wait().
    kvtest::waitUntilBlocked(mainThread);
    EXPECT_TRUE(waiter.finish(reportOf(waiter.op(), 100)));
  });
  Report got;
  ASSERT_TRUE(waiter.wait(kWatchdog, got));
  executor.join();
  EXPECT_EQ(got.op, "feed");
  EXPECT_EQ(got.status, 100);
}

TEST(Waiter, WaitGivesUpAfterTheTimeout) {
  Waiter waiter;
  waiter.begin("auth");
  Report got;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(waiter.wait(milliseconds(50), got));
  EXPECT_GE(std::chrono::steady_clock::now() - start, milliseconds(50));
}

TEST(Waiter, KeepsTheFirstReportAndRefusesASecond) {
  Waiter waiter;
  waiter.begin("view");
  EXPECT_TRUE(waiter.finish(reportOf("view", 0)));
  EXPECT_FALSE(waiter.finish(reportOf("cancel", 0)));
  Report got;
  ASSERT_TRUE(waiter.wait(milliseconds(0), got));
  EXPECT_EQ(got.op, "view");
}

TEST(Waiter, AbandonReleasesWaitEndedButNotWait) {
  Waiter waiter;
  waiter.begin("upload");
  std::atomic<pid_t> cancellerId{0};
  std::thread canceller([&] {
    cancellerId.store(kvtest::threadId());
    EXPECT_TRUE(waiter.waitEnded(kWatchdog));
  });
  while (cancellerId.load() == 0) std::this_thread::yield();
  kvtest::waitUntilBlocked(cancellerId.load());  // abandons a wait in progress
  waiter.abandon();
  canceller.join();
  Report got;
  EXPECT_FALSE(waiter.wait(milliseconds(0), got));
}

TEST(Waiter, BeginForgetsThePreviousOperation) {
  Waiter waiter;
  waiter.begin("auth");
  waiter.finish(reportOf("auth", 0));
  waiter.begin("groups");
  Report got;
  EXPECT_FALSE(waiter.wait(milliseconds(0), got));
  EXPECT_FALSE(waiter.waitEnded(milliseconds(0)));
  EXPECT_EQ(waiter.op(), "groups");
}

}  // namespace
}  // namespace kvhost
