// The probe benchmark's accounting: fesim log lines grouped into transfers,
// and per-channel required counts that follow the chip's answers, so a
// redundant transfer by the probe shows up as one more than required.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "ScanCount.h"
#include "TransferLog.h"

using namespace probebench;

namespace {

const char* const kSetup =
    "open /dev/i2c-0 rdwr\n"
    "sleep 1\n"
    "i2c w 08 00\ni2c r 08 46\n"
    "i2c w 08 16\ni2c r 08 20\n"
    "i2c w 08 16 20\n";

std::string bandwidth(bool eight) {
  return eight ? "i2c w 08 31 5c 32 c2 96 6d\n" : "i2c w 08 31 6a 02 6a 43 9f\n";
}

// Gate open, tuner message, gate close, settings, restart, counter clear.
std::string tune() {
  return "i2c w 08 07\ni2c r 08 00\ni2c w 08 07 02\n"
         "i2c w 60 0b f5 ca 6c\n"
         "i2c w 08 07\ni2c r 08 02\ni2c w 08 07 00\n"
         "usleep 100\n"
         "i2c w 08 01 97 80 c0\ni2c w 08 01 d7\ni2c w 08 10 00\n";
}

// `misses` status reads without lock (each followed by a counter read of
// 1, 2, ...), then a status read with lock.
std::string lockAfter(int misses) {
  std::string s;
  for (int i = 1; i <= misses; i++) {
    s += "i2c w 08 06\ni2c r 08 07\ni2c w 08 10\ni2c r 08 0" + std::to_string(i) + "\n";
  }
  return s + "i2c w 08 06\ni2c r 08 0f\n";
}

// Eight status and counter reads until the counter gives up, then the
// offset read reporting `code`.
std::string giveUp(int code) {
  std::string s;
  for (int i = 1; i <= 8; i++) {
    s += "i2c w 08 06\ni2c r 08 07\ni2c w 08 10\ni2c r 08 0" + std::to_string(i) + "\n";
  }
  static const char* const tps[] = {"00 00", "00 40", "00 80", "00 c0", "80 00"};
  return s + "i2c w 08 04\ni2c r 08 " + tps[code] + "\n";
}

const char* const kReadBack =
    "i2c w 08 04\ni2c r 08 0d 08\n"
    "i2c w 08 16\ni2c r 08 20\n"
    "i2c w 08 01 a0 0d 08\ni2c w 08 01 e0\n";

bool count(const std::string& log, ScanCount& c, std::string& error) {
  std::istringstream in(log);
  std::vector<Transfer> transfers;
  return readTransfers(in, transfers, error) && countScan(transfers, c, error);
}

struct CountCase {
  const char* name;
  std::string log;
  unsigned transfers;
  unsigned required;
  unsigned ideal;
  unsigned locked;
  unsigned retuned;
};

class ScanCountTable : public ::testing::TestWithParam<CountCase> {};

TEST_P(ScanCountTable, CountsChannelTransfersAgainstTheSequence) {
  const CountCase& k = GetParam();
  ScanCount c;
  std::string error;
  ASSERT_TRUE(count(kSetup + k.log, c, error)) << error;
  EXPECT_EQ(c.setupTransfers, 3u);
  EXPECT_EQ(c.transfers, k.transfers);
  EXPECT_EQ(c.required, k.required);
  EXPECT_EQ(c.ideal, k.ideal);
  EXPECT_EQ(c.locked, k.locked);
  EXPECT_EQ(c.retuned, k.retuned);
}

// Locked after 3 misses: 1 + 8 + 7 polls + 4 = 20; ideal drops the 2 gate
// reads and the parameter write-back with its restart.
// Given up with code 0: 1 + 8 + 16 polls + 1 = 26.
// Retuned at code 1 then locked: 1 + (8 + 16 + 1) + (8 + 1 + 4) = 39.
INSTANTIATE_TEST_SUITE_P(
    Scans, ScanCountTable,
    ::testing::Values(
        CountCase{"LockedChannel", bandwidth(true) + tune() + lockAfter(3) + kReadBack, 20, 20, 16,
                  1, 0},
        CountCase{"EmptyChannel", bandwidth(true) + tune() + giveUp(0), 26, 26, 24, 0, 0},
        CountCase{"RetunedAtOffset",
                  bandwidth(false) + tune() + giveUp(1) + tune() + lockAfter(0) + kReadBack, 39, 39,
                  33, 1, 1},
        CountCase{"OffsetReportedTwiceStopsAfterOneRetune",
                  bandwidth(true) + tune() + giveUp(3) + tune() + giveUp(3), 51, 51, 47, 0, 1},
        // The second channel keeps the bandwidth: its bandwidth write is avoidable.
        CountCase{"SameBandwidthTwice",
                  bandwidth(true) + tune() + giveUp(0) + bandwidth(true) + tune() + giveUp(0), 52,
                  52, 47, 0, 0},
        // Faults the ratio must show: a status re-read after lock, a retune
        // the chip did not ask for.
        CountCase{
            "ExtraStatusReadAfterLock",
            bandwidth(true) + tune() + lockAfter(0) + "i2c w 08 06\ni2c r 08 0f\n" + kReadBack, 15,
            14, 10, 1, 0},
        CountCase{"RetuneDespiteCodeZero",
                  bandwidth(true) + tune() + giveUp(0) + tune() + giveUp(0), 51, 26, 24, 0, 0}),
    [](const ::testing::TestParamInfo<CountCase>& info) { return std::string(info.param.name); });

TEST(ScanCount, RejectsLogsTheSequenceCannotBeReadFrom) {
  const std::vector<std::pair<const char*, std::string>> cases = {
      {"no channel", std::string(kSetup)},
      {"wait stopped early",
       bandwidth(true) + tune() + "i2c w 08 06\ni2c r 08 07\ni2c w 08 04\ni2c r 08 00 00\n"},
      {"no offset read", bandwidth(true) + tune() + giveUp(0).substr(0, 8 * 48)},
      {"retune missing", bandwidth(true) + tune() + giveUp(2)},
      {"refused message", bandwidth(true) + "i2c w 60 0b f5 ca 6c nak\n"},
      {"invalid transfer", bandwidth(true) + "i2c invalid -22\n"},
  };
  for (const auto& [name, log] : cases) {
    ScanCount c;
    std::string error;
    EXPECT_FALSE(count(kSetup + log, c, error)) << name;
    EXPECT_FALSE(error.empty()) << name;
  }
}

TEST(TransferLog, GroupsRegisterReadsIntoOneTransfer) {
  std::istringstream in(
      "i2c w 08 06\ni2c r 08 0f\n"            // register read: one transfer
      "i2c w 08 10 00\n"                      // register write
      "i2c w 08 07\nusleep 1\ni2c r 08 02\n"  // split by another event: two
      "i2c w 60 0b f5 ca 6c\n");
  std::vector<Transfer> t;
  std::string error;
  ASSERT_TRUE(readTransfers(in, t, error)) << error;
  ASSERT_EQ(t.size(), 5u);
  EXPECT_TRUE(t[0].isRegisterRead());
  EXPECT_EQ(t[0].reg(), 0x06);
  EXPECT_EQ(t[0].data(), std::vector<uint8_t>{0x0f});
  EXPECT_EQ(t[1].reg(), 0x10);
  EXPECT_EQ(t[1].data(), std::vector<uint8_t>{0x00});
  EXPECT_FALSE(t[2].isRegisterRead());
  EXPECT_EQ(t[4].reg(), -1);
  EXPECT_EQ(t[4].data(), (std::vector<uint8_t>{0x0b, 0xf5, 0xca, 0x6c}));
}

}  // namespace
