// Scan band table, channel lists built from band masks, and --freq scaling.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "scan.h"

namespace {

struct Row {
  uint32_t start_khz;
  uint32_t stop_khz;
  uint32_t step_khz;
};

// The channels of the given rows, frequencies and bandwidths in Hz.
std::vector<std::pair<uint32_t, uint32_t>> Expected(const std::vector<Row>& rows) {
  std::vector<std::pair<uint32_t, uint32_t>> out;
  for (const Row& r : rows)
    for (uint32_t f = r.start_khz; f <= r.stop_khz; f += r.step_khz)
      out.emplace_back(f * 1000u, r.step_khz * 1000u);
  return out;
}

// The list up to its terminator; checks that only frequency and bandwidth are set.
std::vector<std::pair<uint32_t, uint32_t>> Channels(const channel* list) {
  std::vector<std::pair<uint32_t, uint32_t>> out;
  for (; list->frequency != 0; list++) {
    EXPECT_EQ(0u, list->inversion + list->transmission_mode + list->guard_interval +
                      list->modulation + list->hierarchy + list->code_rate_hp + list->code_rate_lp);
    out.emplace_back(list->frequency, list->bandwidth);
  }
  EXPECT_EQ(0u, list->bandwidth);
  return out;
}

TEST(ScanBands, ChannelCountPerRow) {
  const uint32_t counts[SCAN_BAND_COUNT] = {7, 5, 9, 7,  14, 42, 3,  2,  1,
                                            2, 7, 8, 10, 21, 8,  17, 34, 32};
  for (size_t i = 0; i < SCAN_BAND_COUNT; i++)
    EXPECT_EQ(counts[i], scan_band_channels(&scan_bands[i])) << "row " << i + 1;
  const scan_band reversed = {1, 500, 400, 100};
  EXPECT_EQ(0u, scan_band_channels(&reversed));
}

TEST(ScanList, DefaultMaskGives57ChannelsInTableOrder) {
  channel* list = scan_list_build(100);
  ASSERT_NE(nullptr, list);
  auto got = Channels(list);
  EXPECT_EQ(57u, got.size());
  EXPECT_EQ(Expected({{177500, 226500, 7000}, {474000, 602000, 8000}, {610000, 858000, 8000}}),
            got);
  EXPECT_EQ(std::make_pair(177500000u, 7000000u), got.front());
  EXPECT_EQ(std::make_pair(858000000u, 8000000u), got.back());
  free(list);
}

TEST(ScanList, TableOrderNotFrequencyOrder) {
  channel* list = scan_list_build(0x2020);
  ASSERT_NE(nullptr, list);
  EXPECT_EQ(Expected({{529500, 578500, 7000}, {474000, 602000, 8000}}), Channels(list));
  free(list);
}

TEST(ScanList, RowTwelveAnswersToBothItsBits) {
  for (uint32_t mask : {0x0004u, 0x1000u, 0x1004u}) {
    channel* list = scan_list_build(mask);
    ASSERT_NE(nullptr, list) << mask;
    EXPECT_EQ(Expected({{177500, 226500, 7000}}), Channels(list)) << mask;
    free(list);
  }
}

TEST(ScanList, LowBandStartsAt48MHz) {
  channel* list = scan_list_build(0x80);
  ASSERT_NE(nullptr, list);
  EXPECT_EQ(Expected({{48000, 84000, 6000}}), Channels(list));
  free(list);
}

TEST(ScanList, EveryRowOnce) {
  channel* list = scan_list_build(0xFFFFFFFFu);
  ASSERT_NE(nullptr, list);
  EXPECT_EQ(229u, Channels(list).size());
  free(list);
}

TEST(ScanList, NoRowSelectedGivesNull) {
  EXPECT_EQ(nullptr, scan_list_build(0));
  EXPECT_EQ(nullptr, scan_list_build(0x8000));
}

TEST(NormalizeFrequency, ScalesMHzAndKHzToHz) {
  const struct {
    uint32_t in;
    uint32_t out;
  } cases[] = {
      {474, 474000000},           {474000, 474000000}, {474000000, 474000000}, {0, 0},
      {10000000, 10000000},       {4, 4000000000u},    {4294967, 4294967000u}, {10000, 10000000},
      {4294967295u, 4294967295u},
  };
  for (const auto& c : cases) {
    uint32_t out = 1;
    EXPECT_EQ(0, normalize_frequency(c.in, &out)) << c.in;
    EXPECT_EQ(c.out, out) << c.in;
  }
}

TEST(NormalizeFrequency, RefusesScalingPast32Bits) {
  for (uint32_t in : {5u, 4294968u, 9999999u, 5000u}) {
    uint32_t out = 77;
    EXPECT_EQ(-EOVERFLOW, normalize_frequency(in, &out)) << in;
    EXPECT_EQ(77u, out) << in;
  }
}

}  // namespace
