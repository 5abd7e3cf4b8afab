// Elapsed-time arithmetic (32-bit wrap, truncating divisions), byte assembly and
// the bound that keeps busy-waits from hanging.
#include <gtest/gtest.h>

#include <climits>
#include <ctime>
#include <string>

#include "timeutil.h"

namespace {

struct timeval Tv(long sec, long usec) {
  struct timeval tv;
  tv.tv_sec = sec;
  tv.tv_usec = usec;
  return tv;
}

TEST(ElapsedMs, MillisecondsWithWrapAndTruncation) {
  const struct {
    const char* what;
    struct timeval a;
    struct timeval b;
    int32_t ms;
  } cases[] = {
      {"plain", Tv(10, 500000), Tv(9, 0), 1500},
      {"later usec smaller", Tv(1, 0), Tv(0, 999999), 1},
      {"sub-millisecond lost per side", Tv(5, 1999), Tv(5, 1000), 0},
      {"earlier minus later", Tv(0, 0), Tv(1, 0), -1000},
      {"negative usec truncates toward zero", Tv(1, -1500), Tv(0, 0), 999},
      {"seconds*1000 wraps 32 bits", Tv(4294968, 0), Tv(4294967, 0), 1000},
      {"result wraps to negative", Tv(2147484, 0), Tv(0, 0), -2147483296},
      {"both sides wrap", Tv(8589935, 250000), Tv(8589934, 750000), 500},
  };
  for (const auto& c : cases) EXPECT_EQ(c.ms, elapsed_ms(&c.a, &c.b)) << c.what;
}

// Waits are measured on the monotonic clock: a start taken from it is "now".
TEST(ElapsedMs, AtLeastComparesUnsigned) {
  struct timespec ts;
  ASSERT_EQ(0, clock_gettime(CLOCK_MONOTONIC, &ts));
  struct timeval now = Tv(ts.tv_sec, ts.tv_nsec / 1000);
  EXPECT_EQ(1, elapsed_at_least(&now, 0));
  struct timeval future = now;
  future.tv_sec += 100;  // negative elapsed time is a huge unsigned value
  EXPECT_EQ(1, elapsed_at_least(&future, 1000));
  EXPECT_EQ(0, elapsed_at_least(&now, 100000));
}

TEST(Deadline, PassedOnlyOnceReached) {
  int32_t d = 0;
  int32_t set = deadline_set(&d, 100000);
  EXPECT_EQ(set, d);
  EXPECT_EQ(0, deadline_passed(&d));
  deadline_set(&d, -1);
  EXPECT_EQ(1, deadline_passed(&d));
}

TEST(LittleEndian, LeastSignificantByteFirst) {
  const uint8_t b[4] = {0x78, 0x56, 0x34, 0x12};
  EXPECT_EQ(0x5678u, get_le16(b));
  EXPECT_EQ(0x345678u, get_le24(b));
  EXPECT_EQ(0x12345678u, get_le32(b));
  const uint8_t high[4] = {0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(0xFFFFFFFFu, get_le32(high));
}

TEST(Hexdump, LabelLowAddressBitsAndBytes) {
  const uint8_t b[3] = {0x00, 0x5c, 0xff};
  testing::internal::CaptureStdout();
  hexdump("tx", 0x12345u, b, 3);
  EXPECT_EQ("tx 2345: 00 5c ff\n", testing::internal::GetCapturedStdout());
}

TEST(PollLimit, PollCountEndsWaitEvenWithTimeLeft) {
  poll_limit limit;
  poll_limit_start(&limit, 3600000, 3);
  EXPECT_EQ(0, poll_limit_reached(&limit));
  EXPECT_EQ(0, poll_limit_reached(&limit));
  EXPECT_EQ(1, poll_limit_reached(&limit));
}

TEST(PollLimit, TimeEndsWaitBeforePollCount) {
  poll_limit limit;
  poll_limit_start(&limit, 0, UINT32_MAX);
  EXPECT_EQ(1, poll_limit_reached(&limit));

  poll_limit_start(&limit, 60000, UINT32_MAX);
  int early = 0;
  for (int i = 0; i < 1000; i++) early += poll_limit_reached(&limit);
  EXPECT_EQ(0, early);

  poll_limit_start(&limit, 20, UINT32_MAX);
  while (!poll_limit_reached(&limit)) {
  }
  EXPECT_EQ(1, elapsed_at_least(&limit.start, 20));
}

}  // namespace
