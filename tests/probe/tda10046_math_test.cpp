// Demodulator register values computed from the clock set-up: sample clock,
// register 0x3E, the IF word and the bandwidth timing bytes.
#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <cstdlib>

#include "frontend.h"
#include "tda10046.h"

namespace {

TEST(Tda10046Clock, DefaultsGive53MHzAndRegister3EValue67) {
  frontend_state* fe = frontend_new(nullptr);
  ASSERT_NE(nullptr, fe);
  EXPECT_EQ(53000000u, tda10046_sample_clock(fe));
  EXPECT_EQ(0x67, tda10046_clock_byte(tda10046_sample_clock(fe)));
  fe->pll_n = 1;  // 4 MHz * 53 / (4 * 2)
  EXPECT_EQ(26500000u, tda10046_sample_clock(fe));
  fe->pll_n = 0;
  fe->pll_p = 1;  // 4 MHz * 53 / 5
  EXPECT_EQ(42400000u, tda10046_sample_clock(fe));
  free(fe);
}

TEST(Tda10046Clock, Register3ERoundsToNearest) {
  const struct {
    uint32_t fs;
    uint8_t value;
  } cases[] = {
      {53000000, 0x67},  // 103.04 -> 103
      {40000000, 0x89},  // 136.53 -> 137
      {32768000, 0xA7},  // 166.67 -> 167
  };
  for (const auto& c : cases) EXPECT_EQ(c.value, tda10046_clock_byte(c.fs)) << c.fs;
}

TEST(Tda10046IfWord, RoundsHalvesAwayFromZero) {
  const struct {
    uint32_t if_freq;
    uint32_t fs;
    uint16_t word;
  } cases[] = {
      {36166667, 53000000, 0xD759},  // -10407
      {36166666, 53000000, 0xD759}, {53000000, 53000000, 0x0000},
      {66250000, 53000000, 0x2000},  // +fs/4 -> +8192
      {65537, 65536, 0x0001},        // +0.5 -> +1
      {65535, 65536, 0xFFFF},        // -0.5 -> -1
      {98304, 65536, 0x4000},        // +0.5 * 32768 exactly
      {0, 53000000, 0x8000},         // -32768
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.word, tda10046_if_word(c.if_freq, c.fs)) << c.if_freq << " at " << c.fs;
}

TEST(Tda10046Bandwidth, TimingBytesFor6To8MHzAt53MHz) {
  using Bytes = std::array<uint8_t, 5>;
  const struct {
    uint32_t bw;
    Bytes bytes;
  } cases[] = {
      {6000000, {0x7B, 0x2E, 0x11, 0xF0, 0xD2}},
      {7000000, {0x6A, 0x02, 0x6A, 0x43, 0x9F}},
      {8000000, {0x5C, 0x32, 0xC2, 0x96, 0x6D}},
  };
  for (const auto& c : cases) {
    Bytes out{};
    EXPECT_EQ(0, tda10046_bandwidth_bytes(53000000, c.bw, out.data())) << c.bw;
    EXPECT_EQ(c.bytes, out) << c.bw;
  }
}

// 0 would divide by zero; past the edges a timing word (12 and 26 bits) would
// be cut short on its way into the registers.
TEST(Tda10046Bandwidth, RefusesZeroAndWhatTheTimingWordsCannotHold) {
  const struct {
    uint32_t bw;
    int result;
  } cases[] = {
      {0, -EINVAL},  {2898791, -EINVAL},  {2898792, 0},
      {11593749, 0}, {11593750, -EINVAL}, {4294967295u, -EINVAL},
  };
  for (const auto& c : cases) {
    std::array<uint8_t, 5> out{0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(c.result, tda10046_bandwidth_bytes(53000000, c.bw, out.data())) << c.bw;
    if (c.result != 0) {
      EXPECT_EQ(0xEE, out[0]) << c.bw;
    }
  }
}

}  // namespace
