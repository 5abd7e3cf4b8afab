// Hand-over of callback reports from the executor's thread to the main one.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "Waiter.h"

namespace kvhost {
namespace {

using std::chrono::milliseconds;

Report reportOf(const std::string& op, int status) {
  Report r;
  r.op = op;
  r.status = status;
  return r;
}

TEST(Waiter, ReportFromAnotherThreadWakesTheWait) {
  Waiter waiter;
  waiter.begin("feed");
  std::thread executor([&] {
    std::this_thread::sleep_for(milliseconds(20));
    EXPECT_TRUE(waiter.finish(reportOf(waiter.op(), 100)));
  });
  Report got;
  ASSERT_TRUE(waiter.wait(milliseconds(5000), got));
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
  std::thread canceller([&] { EXPECT_TRUE(waiter.waitEnded(milliseconds(5000))); });
  std::this_thread::sleep_for(milliseconds(10));
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
