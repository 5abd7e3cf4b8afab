// The soak's gauges read what the process really holds, and its verdict
// tells a leak from a cache that fills and drains.
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "ProcessGauges.h"
#include "TestFiles.h"

namespace kvload {
namespace {

TEST(ProcessGauges, EachResourceTheProcessTakesShowsInItsGauge) {
  const kvtest::TempDir temp("kv-gauges");
  const std::string host = temp.file("downloads");
  ASSERT_EQ(mkdir(host.c_str(), 0700), 0);
  const Gauges before = readGauges(temp.path(), host);

  const int file = open(temp.write("open.txt", "x").c_str(), O_RDONLY);
  int pair[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
  std::promise<void> release;
  std::thread waiter([future = release.get_future()]() mutable { future.wait(); });
  ASSERT_EQ(mkdir(temp.file("kinvale-AbC123").c_str(), 0700), 0);
  kvtest::writeFile(temp.file("kinvale-AbC123") + "/1-photo.jpg", "jpg");
  kvtest::writeFile(temp.file("kinvale-AbC123") + "/2-clip.mp4", "mp4");
  ASSERT_EQ(mkdir(temp.file("other-dir").c_str(), 0700), 0);
  kvtest::writeFile(temp.file("other-dir") + "/not-ours", "");
  kvtest::writeFile(host + "/op7.bin.part", "");
  void* block = std::malloc(2 << 20);  // mmapped by malloc, counted as in use
  std::memset(block, 1, 2 << 20);

  const Gauges now = readGauges(temp.path(), host);
  EXPECT_EQ(now.descriptors, before.descriptors + 1);
  EXPECT_EQ(now.sockets, before.sockets + 2);
  EXPECT_EQ(now.threads, before.threads + 1);
  EXPECT_EQ(now.privateFiles, before.privateFiles + 2);
  EXPECT_EQ(now.strayFiles, before.strayFiles + 1);
#ifndef __SANITIZE_ADDRESS__  // AddressSanitizer's allocator is not glibc's
  EXPECT_GE(now.heapBytes, before.heapBytes + (2 << 20));
#endif

  std::free(block);
  release.set_value();
  waiter.join();
  close(pair[0]);
  close(pair[1]);
  close(file);
}

// Readings in which one gauge takes the given values and the others stay.
std::vector<Gauges> Series(long Gauges::*heap, int Gauges::*count, std::vector<long> values) {
  std::vector<Gauges> readings;
  for (long v : values) {
    Gauges g;
    g.heapBytes = 500000;
    g.descriptors = 6;
    g.sockets = 4;
    g.threads = 2;
    if (heap != nullptr) g.*heap = v;
    if (count != nullptr) g.*count = static_cast<int>(v);
    readings.push_back(g);
  }
  return readings;
}

TEST(ProcessGauges, GrowthIsWhatPilesUpPastTheWarmUpNotWhatComesAndGoes) {
  const long kSlack = 65536;
  const struct {
    const char* what;
    std::vector<Gauges> readings;
    size_t warmup;
    std::vector<std::string> grown;
  } cases[] = {
      {"kept connections come and go",
       Series(nullptr, &Gauges::sockets, {3, 7, 4, 7, 3, 5, 4, 6}),
       2,
       {}},
      {"one more descriptor every other round",
       Series(nullptr, &Gauges::descriptors, {6, 6, 7, 7, 8, 8, 9, 9}),
       2,
       {"fds"}},
      {"a private file left behind once, after the warm-up",
       Series(nullptr, &Gauges::privateFiles, {0, 0, 0, 1, 1, 1, 1, 1}),
       2,
       {"private"}},
      {"a thread that never ends, over the last quarter",
       Series(nullptr, &Gauges::threads, {2, 2, 2, 2, 2, 2, 3, 3}),
       2,
       {"threads"}},
      {"only the very last reading high",
       Series(nullptr, &Gauges::sockets, {5, 5, 5, 5, 5, 5, 5, 9}),
       2,
       {}},
      {"heap up by the slack exactly",
       Series(&Gauges::heapBytes, nullptr, {500000, 490000, 565536, 565536}),
       2,
       {}},
      {"heap up by one byte more",
       Series(&Gauges::heapBytes, nullptr, {500000, 490000, 565537, 565537}),
       2,
       {"heap"}},
      {"stray files pile up",
       Series(nullptr, &Gauges::strayFiles, {0, 0, 1, 2, 3, 4, 5, 6}),
       2,
       {"stray"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> grown;
    const std::vector<GaugeVerdict> verdicts = judgeGrowth(c.readings, c.warmup, kSlack);
    ASSERT_EQ(verdicts.size(), 6u);
    for (const GaugeVerdict& v : verdicts)
      if (v.grew) grown.push_back(v.name);
    EXPECT_EQ(grown, c.grown);
  }
  EXPECT_TRUE(judgeGrowth(Series(nullptr, nullptr, {1, 2}), 2, kSlack).empty());
}

}  // namespace
}  // namespace kvload
