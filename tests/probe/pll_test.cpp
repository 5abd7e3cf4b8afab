// Tuner message arithmetic: divider, ratio codes, charge-pump and band edges, and
// the four bytes that reach the tuner.
#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <string>

#include "frontend.h"
#include "pll.h"

namespace {

// The record as the tool configures it: chip defaults plus the tool's IF.
frontend_state ToolDefaults() {
  frontend_state* fe = frontend_new(nullptr);
  frontend_state copy = *fe;
  free(fe);
  copy.if_freq = 36166667;
  return copy;
}

using Message = std::array<uint8_t, 4>;

struct MessageCase {
  const char* what;
  uint32_t step;
  uint8_t cp;
  uint8_t test;
  uint32_t f;
  uint32_t bw;
  Message bytes;
};

TEST(PllMessage, BytesForRasterAndOtherSteps) {
  const MessageCase cases[] = {
      {"474 MHz, 8 MHz channel", 166667, 0, 1, 474000000, 8000000, {0x0B, 0xF5, 0xCA, 0x6C}},
      {"474 MHz, 7 MHz channel", 166667, 0, 1, 474000000, 7000000, {0x0B, 0xF5, 0xCA, 0x64}},
      {"no bandwidth given", 166667, 0, 1, 474000000, 0, {0x0B, 0xF5, 0xCA, 0x64}},
      {"177.5 MHz band 2", 166667, 0, 1, 177500000, 7000000, {0x05, 0x02, 0xCA, 0x62}},
      {"+333,333 Hz retune", 166667, 0, 1, 474333333, 8000000, {0x0B, 0xF7, 0xCA, 0x6C}},
      {"step 62,500, ratio 0", 62500, 0, 1, 474000000, 8000000, {0x1F, 0xE3, 0xC8, 0x6C}},
      {"fixed charge pump 2", 166667, 2, 1, 474000000, 8000000, {0x0B, 0xF5, 0xCA, 0x4C}},
      {"test bits 0", 166667, 0, 0, 474000000, 8000000, {0x0B, 0xF5, 0xC2, 0x6C}},
      {"band 1 at 160 MHz", 166667, 0, 1, 160000000, 7000000, {0x04, 0x99, 0xCA, 0xC1}},
  };
  for (const auto& c : cases) {
    frontend_state fe = ToolDefaults();
    fe.step_size = c.step;
    fe.cp = c.cp;
    fe.test = c.test;
    Message out{};
    ASSERT_EQ(0, pll_build_message(&fe, c.f, c.bw, out.data())) << c.what;
    EXPECT_EQ(c.bytes, out) << c.what;
  }
}

TEST(PllDivider, RasterAndGeneralFormula) {
  frontend_state fe = ToolDefaults();
  uint32_t n = 0;
  ASSERT_EQ(0, pll_divider(&fe, 474000000, &n));
  EXPECT_EQ(3061u, n);

  // The chip's own default IF (one hertz lower) leaves the raster shortcut.
  fe.if_freq = 36166666;
  ASSERT_EQ(0, pll_divider(&fe, 474000000, &n));
  EXPECT_EQ(3061u, n);  // (474e6 + 36166666 + 83333) / 166667
  ASSERT_EQ(0, pll_divider(&fe, 474100000, &n));
  EXPECT_EQ(3062u, n);  // (474.1e6 + 36166666 + 83333) / 166667
}

TEST(PllDivider, TooLargeIsRejectedWithMessageBeforeBandCheck) {
  frontend_state fe = ToolDefaults();
  fe.step_size = 62500;
  uint32_t n = 0;
  testing::internal::CaptureStderr();
  EXPECT_EQ(-1, pll_divider(&fe, 2100000000u, &n));
  EXPECT_EQ("invalid frequency: 2100000000\n", testing::internal::GetCapturedStderr());

  Message out{};
  testing::internal::CaptureStderr();
  EXPECT_EQ(-1, pll_build_message(&fe, 2100000000u, 8000000, out.data()));  // not the band's -22
  EXPECT_EQ("invalid frequency: 2100000000\n", testing::internal::GetCapturedStderr());
}

TEST(PllRatio, KnownStepsAndInvalidStepMessage) {
  const struct {
    uint32_t step;
    int code;
  } cases[] = {{62500, 0}, {142860, 1}, {166667, 2}, {50000, 3}, {125000, 4}};
  for (const auto& c : cases) EXPECT_EQ(c.code, pll_ratio_code(c.step)) << c.step;

  testing::internal::CaptureStderr();
  EXPECT_EQ(-EINVAL, pll_ratio_code(100000));
  EXPECT_EQ("invalid step_size: 100000\n", testing::internal::GetCapturedStderr());

  frontend_state fe = ToolDefaults();
  fe.step_size = 100000;
  Message out{};
  testing::internal::CaptureStderr();
  EXPECT_EQ(-EINVAL, pll_build_message(&fe, 474000000, 8000000, out.data()));
  EXPECT_EQ("invalid step_size: 100000\n", testing::internal::GetCapturedStderr());
}

TEST(PllChargePump, EachThresholdPlusMinusOneHertz) {
  const struct {
    uint32_t lo;
    int cp;
  } cases[] = {
      {86999999, -1}, {87000000, 3},     {129999999, 3}, {130000000, 5}, {159999999, 5},
      {160000000, 6}, {199999999, 6},    {200000000, 3}, {289999999, 3}, {290000000, 5},
      {419999999, 5}, {420000000, 6},    {479999999, 6}, {480000000, 3}, {619999999, 3},
      {620000000, 5}, {829999999, 5},    {830000000, 7}, {894999999, 7}, {895000000, -1},
      {0, -1},        {4294967295u, -1},
  };
  for (const auto& c : cases) EXPECT_EQ(c.cp, pll_charge_pump(c.lo)) << c.lo;
}

TEST(PllBand, EachThresholdPlusMinusOneHertz) {
  const struct {
    uint32_t f;
    int band;
  } cases[] = {
      {0, -1},        {48999999, -1}, {49000000, 1},  {160999999, 1},       {161000000, 2},
      {443999999, 2}, {444000000, 4}, {860999999, 4}, {861000000, -EINVAL}, {4294967295u, -EINVAL},
  };
  for (const auto& c : cases) EXPECT_EQ(c.band, pll_band(c.f)) << c.f;
}

TEST(PllMessage, OutOfRangeFrequenciesSayWhyInOneLine) {
  frontend_state fe = ToolDefaults();
  const char kPump[] = "no automatic charge pump for oscillator frequency ";
  const char kBand[] = "outside the tuner's bands (49 to 861 MHz)\n";
  const struct {
    const char* what;
    uint8_t cp;
    uint32_t f;
    int result;
    std::string err;
  } cases[] = {
      {"48 MHz: oscillator 84.17 MHz below the charge-pump table", 0, 48000000, -1,
       std::string(kPump) + "84166667 Hz (87 to 895 MHz)\n"},
      {"48 MHz with a fixed charge pump: below band 1", 3, 48000000, -1,
       std::string("frequency 48000000 Hz ") + kBand},
      {"861 MHz with a fixed charge pump: above band 4", 3, 861000000, -EINVAL,
       std::string("frequency 861000000 Hz ") + kBand},
      {"861 MHz automatic: the charge pump fails first", 0, 861000000, -1,
       std::string(kPump) + "897166667 Hz (87 to 895 MHz)\n"},
      {"860 MHz: oscillator 896 MHz above the table", 0, 860000000, -1,
       std::string(kPump) + "896166667 Hz (87 to 895 MHz)\n"},
  };
  for (const auto& c : cases) {
    fe.cp = c.cp;
    Message out{0xEE, 0xEE, 0xEE, 0xEE};
    testing::internal::CaptureStderr();
    EXPECT_EQ(c.result, pll_build_message(&fe, c.f, 8000000, out.data())) << c.what;
    EXPECT_EQ(c.err, testing::internal::GetCapturedStderr()) << c.what;
    EXPECT_EQ((Message{0xEE, 0xEE, 0xEE, 0xEE}), out) << c.what;
  }
}

}  // namespace
