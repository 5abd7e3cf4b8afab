// Names printed for the transmission-parameter codes (masked, so any code has a
// name), the offset-code table and the record's defaults.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "frontend.h"

namespace {

TEST(ParameterNames, EveryCodeMaskedToItsTable) {
  using Lookup = const char* (*)(uint32_t);
  const struct {
    Lookup lookup;
    uint32_t code;
    const char* name;
  } cases[] = {
      {inversion_name, 0, "INVERSION_OFF"},
      {inversion_name, 1, "INVERSION_ON"},
      {inversion_name, 2, "INVERSION_OFF"},
      {inversion_name, 0xFFFFFFFF, "INVERSION_ON"},
      {transmission_mode_name, 0, "TRANSMISSION_MODE_2K"},
      {transmission_mode_name, 1, "TRANSMISSION_MODE_8K"},
      {transmission_mode_name, 3, "TRANSMISSION_MODE_8K"},
      {guard_interval_name, 0, "GUARD_INTERVAL_1_32"},
      {guard_interval_name, 1, "GUARD_INTERVAL_1_16"},
      {guard_interval_name, 2, "GUARD_INTERVAL_1_8"},
      {guard_interval_name, 3, "GUARD_INTERVAL_1_4"},
      {guard_interval_name, 4, "GUARD_INTERVAL_1_32"},
      {modulation_name, 0, "QPSK"},
      {modulation_name, 1, "QAM_16"},
      {modulation_name, 2, "QAM_64"},
      {modulation_name, 3, "QAM_AUTO"},
      {modulation_name, 6, "QAM_64"},
      {hierarchy_name, 0, "HIERARCHY_NONE"},
      {hierarchy_name, 1, "HIERARCHY_1"},
      {hierarchy_name, 2, "HIERARCHY_2"},
      {hierarchy_name, 3, "HIERARCHY_4"},
      {hierarchy_name, 5, "HIERARCHY_1"},
      {code_rate_name, 0, "FEC_1_2"},
      {code_rate_name, 1, "FEC_2_3"},
      {code_rate_name, 2, "FEC_3_4"},
      {code_rate_name, 3, "FEC_5_6"},
      {code_rate_name, 4, "FEC_7_8"},
      {code_rate_name, 5, "FEC_AUTO"},
      {code_rate_name, 6, "FEC_AUTO"},
      {code_rate_name, 7, "FEC_AUTO"},
      {code_rate_name, 8, "FEC_1_2"},
      {code_rate_name, 12, "FEC_7_8"},
  };
  for (const auto& c : cases) EXPECT_STREQ(c.name, c.lookup(c.code)) << c.name << " " << c.code;
}

TEST(OffsetTable, HertzPerOffsetCode) {
  const int32_t expected[8] = {0, 166667, -166667, 333333, -333333, 500000, -500000, 0};
  for (int code = 0; code < 8; code++) EXPECT_EQ(expected[code], offset_table[code]) << code;
}

TEST(FrontendNew, ChipDefaults) {
  frontend_state* fe = frontend_new(nullptr);
  ASSERT_NE(nullptr, fe);
  EXPECT_EQ(0x08, fe->demod_addr);
  EXPECT_EQ(0x60, fe->pll_addr);
  EXPECT_EQ(0u, fe->revision);
  EXPECT_EQ(fe->bus, fe->tuner_bus);
  EXPECT_EQ(36166666u, fe->if_freq);
  EXPECT_EQ(166667u, fe->step_size);
  EXPECT_EQ(0, fe->cp);
  EXPECT_EQ(1, fe->test);
  EXPECT_EQ(0, fe->atc);
  EXPECT_EQ(4, fe->al);
  EXPECT_EQ(4000000u, fe->xtal_freq);
  EXPECT_EQ(8u, fe->pll_m);
  EXPECT_EQ(0u, fe->pll_n);
  EXPECT_EQ(0u, fe->pll_p);
  free(fe);
}

}  // namespace
