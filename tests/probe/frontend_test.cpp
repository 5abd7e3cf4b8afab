// Demodulator and tuner operations and the acquisition loop against a fake chip
// behind the transfer hook: the init sequence, the gate around tuner messages,
// lock waits, offset retunes and errors that end a list.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "fake_i2c.h"
#include "frontend.h"
#include "pll.h"
#include "tda10046.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Writes = std::vector<Bytes>;

struct Report {
  uint32_t frequency;
  int locked;
  channel ch;
};

class Chip : public testing::Test {
 protected:
  void SetUp() override {
    fe = frontend_new(&handle);
    ASSERT_NE(nullptr, fe);
    fe->if_freq = 36166667;  // as the tool sets it
    bus.regs[0x00] = 0x46;
    bus.on_read = [this](uint8_t reg) {
      if (reg == 0x06) bus.regs[0x06] = Locks() ? 0x08 : 0x00;
      if (reg == 0x10 && counting) bus.regs[0x10]++;
    };
  }
  void TearDown() override { free(fe); }

  // The divider of the last tuner message.
  int LastDivider() const {
    auto pll = bus.PllWrites();
    if (pll.empty()) return -1;
    return (pll.back()[0] << 8) | pll.back()[1];
  }
  bool Locks() const { return lock_any || (lock_divider >= 0 && LastDivider() == lock_divider); }

  static int Record(frontend_state*, channel* ch, void* cookie, int locked) {
    static_cast<std::vector<Report>*>(cookie)->push_back({ch->frequency, locked, *ch});
    return 0;
  }

  int Acquire(std::vector<channel> list) {
    list.push_back(channel{});
    return frontend_acquire(fe, list.data(), &Chip::Record, &reports);
  }

  FakeI2c bus;
  i2c_handle handle{-1};
  frontend_state* fe = nullptr;
  bool counting = true;
  bool lock_any = false;
  int lock_divider = -1;
  std::vector<Report> reports;
};

channel Channel(uint32_t f, uint32_t bw) {
  channel ch{};
  ch.frequency = f;
  ch.bandwidth = bw;
  return ch;
}

TEST_F(Chip, InitWritesTheSequenceInOrder) {
  bus.regs[0x37] = 0xFF;
  bus.regs[0x3A] = 0x01;
  bus.regs[0x3B] = 0xFF;
  bus.regs[0x3D] = 0xFF;
  ASSERT_EQ(0, tda10046_init(fe));
  EXPECT_EQ((Writes{{0x07, 0x00}, {0x3B, 0xFE}, {0x01, 0x40},       {0x2D, 0xF0}, {0x2F, 0x08},
                    {0x30, 0x00}, {0x3E, 0x67}, {0x4D, 0xD7, 0x59}, {0x37, 0x3F}, {0x01, 0x87},
                    {0x07, 0x00}, {0x16, 0x88}, {0x1E, 0x07},       {0x1F, 0xC0}, {0x37, 0x38},
                    {0x3A, 0x81}, {0x3B, 0x7E}, {0x3B, 0x78},       {0x3D, 0x6F}, {0x43, 0x00},
                    {0x46, 0x12}, {0x47, 0x00}, {0x48, 0xFF},       {0x49, 0x00}, {0x4A, 0xFF},
                    {0x4F, 0x1A}}),
            bus.DemodWrites());
}

TEST_F(Chip, InitClockBytesFollowTheRecord) {
  fe->pll_n = 1;
  fe->pll_p = 2;
  ASSERT_EQ(0, tda10046_init(fe));
  Writes w = bus.DemodWrites();
  ASSERT_GE(w.size(), 8u);
  EXPECT_EQ((Bytes{0x30, 0x41}), w[5]);  // (p << 5) | n
  // fs = 4 MHz * 53 / (6 * 2) = 17,666,666: 0x3E gets 309 as a byte.
  EXPECT_EQ((Bytes{0x3E, static_cast<uint8_t>(309)}), w[6]);
}

TEST_F(Chip, InitStopsAtTheFirstFailingStepButNotAtTheRestart) {
  // Transfers: 0 write 0x07, 1-2 mask 0x3B, 3-4 restart's read and write.
  bus.fail_at = {3};
  testing::internal::CaptureStderr();
  EXPECT_EQ(0, tda10046_init(fe));
  testing::internal::GetCapturedStderr();

  FakeI2c failing;
  failing.fail_at = {5};  // the 0x2D write
  testing::internal::CaptureStderr();
  EXPECT_EQ(-1, tda10046_init(fe));
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(6u, failing.transfers.size());
}

TEST_F(Chip, RestartReportsAFailedWrite) {
  ASSERT_EQ(0, tda10046_restart(fe));
  EXPECT_EQ(0x40, bus.regs[0x01]);
  bus.fail_at = {3};  // the write after the read
  testing::internal::CaptureStderr();
  EXPECT_EQ(-1, tda10046_restart(fe));
  testing::internal::GetCapturedStderr();
}

TEST_F(Chip, RevisionCheck) {
  const struct {
    uint8_t id;
    int result;
    const char* message;
  } cases[] = {
      {0x46, 0, ""},
      {0x45, 0, ""},
      {0x12, -EINVAL, "unknown tda revision 12. need to wake up? (option --wakeup)\n"},
      {0x00, -EINVAL,
       "unknown tda revision 00. need to wake up? (option --wakeup)\n"
       "maybe a hardware reset is needed. (option --hw-reset)\n"},
  };
  for (const auto& c : cases) {
    bus.regs[0x00] = c.id;
    fe->revision = 0;
    testing::internal::CaptureStderr();
    EXPECT_EQ(c.result, tda10046_check_revision(fe)) << int(c.id);
    EXPECT_EQ(c.message, testing::internal::GetCapturedStderr()) << int(c.id);
    EXPECT_EQ(c.result == 0 ? c.id : 0u, fe->revision) << int(c.id);
  }
  bus.fail_from = 0;
  testing::internal::CaptureStderr();
  EXPECT_EQ(-ENODEV, tda10046_check_revision(fe));
  EXPECT_EQ("i2c_transfer: No such device or address\ncould not read revision\n",
            testing::internal::GetCapturedStderr());
}

TEST_F(Chip, SleepWakeInversionAndModulationBits) {
  bus.regs[0x07] = 0x82;
  ASSERT_EQ(0, tda10046_sleep(fe));
  EXPECT_EQ(0x83, bus.regs[0x07]);
  ASSERT_EQ(0, tda10046_wakeup(fe));
  EXPECT_EQ(0x82, bus.regs[0x07]);

  bus.regs[0x16] = 0x88;
  ASSERT_EQ(0, tda10046_set_inversion(fe, 0));
  EXPECT_EQ(0xA8, bus.regs[0x16]);
  uint32_t inv = 7;
  ASSERT_EQ(0, tda10046_read_inversion(fe, &inv));
  EXPECT_EQ(0u, inv);
  ASSERT_EQ(0, tda10046_set_inversion(fe, 1));
  EXPECT_EQ(0x88, bus.regs[0x16]);
  ASSERT_EQ(0, tda10046_read_inversion(fe, &inv));
  EXPECT_EQ(1u, inv);

  bus.regs[0x04] = 0xFC;
  const struct {
    int points;
    uint8_t reg04;
  } modulations[] = {{4, 0xFC}, {16, 0xFD}, {64, 0xFE}};
  for (const auto& m : modulations) {
    ASSERT_EQ(0, tda10046_set_modulation(fe, m.points)) << m.points;
    EXPECT_EQ(m.reg04, bus.regs[0x04]) << m.points;
  }

  size_t before = bus.transfers.size();
  EXPECT_EQ(-EINVAL, tda10046_set_inversion(fe, 2));
  EXPECT_EQ(-EINVAL, tda10046_set_modulation(fe, 8));
  EXPECT_EQ(-EINVAL, tda10046_set_modulation(fe, 0));
  EXPECT_EQ(before, bus.transfers.size());
}

TEST_F(Chip, BandwidthIsOneFiveByteWriteAt0x31) {
  const struct {
    uint32_t bw;
    Bytes write;
  } cases[] = {
      {6000000, {0x31, 0x7B, 0x2E, 0x11, 0xF0, 0xD2}},
      {7000000, {0x31, 0x6A, 0x02, 0x6A, 0x43, 0x9F}},
      {8000000, {0x31, 0x5C, 0x32, 0xC2, 0x96, 0x6D}},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(0, tda10046_set_bandwidth(fe, c.bw));
    EXPECT_EQ(c.write, bus.DemodWrites().back()) << c.bw;
  }
}

TEST_F(Chip, TunerMessageGoesBetweenGateOpenAndClose) {
  bus.regs[0x07] = 0x01;
  ASSERT_EQ(0, pll_set_frequency(fe, 474000000, 8000000));
  EXPECT_EQ((std::vector<std::vector<FakeMsg>>{
                {{0x08, 0, {0x07}}, {0x08, I2C_M_RD, {0x01}}},
                {{0x08, 0, {0x07, 0x03}}},
                {{0x60, 0, {0x0B, 0xF5, 0xCA, 0x6C}}},
                {{0x08, 0, {0x07}}, {0x08, I2C_M_RD, {0x03}}},
                {{0x08, 0, {0x07, 0x01}}},
            }),
            bus.transfers);
}

// The tool never reads the tuner, but the driver offers it: the same gate
// around a read of the tuner's status byte.
TEST_F(Chip, TunerReadGoesBetweenGateOpenAndClose) {
  bus.regs[0x07] = 0x01;
  bus.pll_status = {0x5a};
  uint8_t status = 0;
  ASSERT_EQ(0, pll_read_gated(fe, &status, 1));
  EXPECT_EQ(0x5a, status);
  EXPECT_EQ((std::vector<std::vector<FakeMsg>>{
                {{0x08, 0, {0x07}}, {0x08, I2C_M_RD, {0x01}}},
                {{0x08, 0, {0x07, 0x03}}},
                {{0x60, I2C_M_RD, {0x5a}}},
                {{0x08, 0, {0x07}}, {0x08, I2C_M_RD, {0x03}}},
                {{0x08, 0, {0x07, 0x01}}},
            }),
            bus.transfers);
}

TEST_F(Chip, FailedTunerWriteLeavesGateOpen) {
  bus.fail_at = {2};
  testing::internal::CaptureStderr();
  EXPECT_EQ(-1, pll_set_frequency(fe, 474000000, 7000000));
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(3u, bus.transfers.size());
  EXPECT_EQ(0x02, bus.regs[0x07] & 0x02);
}

TEST_F(Chip, RejectedFrequencyWritesNothing) {
  EXPECT_EQ(-1, pll_set_frequency(fe, 48000000, 6000000));
  EXPECT_TRUE(bus.transfers.empty());
}

TEST_F(Chip, LockedChannelReadsBackAndProgramsItsParameters) {
  lock_any = true;
  bus.regs[0x04] = 0x1E;  // 8K, 1/4, QAM 64, no hierarchy
  bus.regs[0x05] = 0x09;  // FEC 2/3, FEC 2/3
  ASSERT_EQ(0, Acquire({Channel(474000000, 8000000)}));
  ASSERT_EQ(1u, reports.size());
  EXPECT_EQ(FRONTEND_LOCKED, reports[0].locked);
  EXPECT_EQ(474000000u, reports[0].frequency);
  const channel& ch = reports[0].ch;
  EXPECT_EQ(1u, ch.transmission_mode);
  EXPECT_EQ(3u, ch.guard_interval);
  EXPECT_EQ(2u, ch.modulation);
  EXPECT_EQ(0u, ch.hierarchy);
  EXPECT_EQ(1u, ch.code_rate_hp);
  EXPECT_EQ(1u, ch.code_rate_lp);
  EXPECT_EQ(0u, ch.inversion);
  EXPECT_EQ((Writes{{0x16, 0x20},
                    {0x31, 0x5C, 0x32, 0xC2, 0x96, 0x6D},
                    {0x07, 0x02},
                    {0x07, 0x00},
                    {0x01, 0x97, 0x80, 0xC0},
                    {0x01, 0xD7},
                    {0x10, 0x00},
                    {0x01, 0xA0, 0x1E, 0x09},
                    {0x01, 0xE0}}),
            bus.DemodWrites());
  EXPECT_EQ((Writes{{0x0B, 0xF5, 0xCA, 0x6C}}), bus.PllWrites());
}

TEST_F(Chip, UnlockedChannelWithoutOffsetIsTunedOnce) {
  ASSERT_EQ(0, Acquire({Channel(474000000, 8000000), Channel(482000000, 8000000)}));
  ASSERT_EQ(2u, reports.size());
  EXPECT_EQ(0, reports[0].locked);
  EXPECT_EQ(474000000u, reports[0].frequency);
  EXPECT_EQ(0, reports[1].locked);
  EXPECT_EQ(482000000u, reports[1].frequency);
  EXPECT_EQ(2u, bus.PllWrites().size());
}

TEST_F(Chip, ReportedOffsetGivesOneRetune) {
  const struct {
    uint8_t reg04;
    uint8_t reg05;
    Bytes retune_acq;
    Bytes retune_pll;
  } cases[] = {
      {0x00, 0xC0, {0x01, 0x97, 0x00, 0xC0}, {0x0B, 0xF7, 0xCA, 0x6C}},  // code 3: +333,333
      {0x80, 0x00, {0x01, 0x97, 0x80, 0x00}, {0x0B, 0xF3, 0xCA, 0x6C}},  // code 4: -333,333
      {0x80, 0x40, {0x01, 0x97, 0x80, 0x40}, {0x0B, 0xF8, 0xCA, 0x6C}},  // code 5: +500,000
  };
  for (const auto& c : cases) {
    FakeI2c fresh;
    fresh.regs[0x04] = c.reg04;
    fresh.regs[0x05] = c.reg05;
    fresh.on_read = [&fresh](uint8_t reg) {
      if (reg == 0x10) fresh.regs[0x10]++;
    };
    std::vector<channel> list = {Channel(474000000, 8000000), channel{}};
    ASSERT_EQ(0, frontend_acquire(fe, list.data(), nullptr, nullptr));
    Writes pll = fresh.PllWrites();
    ASSERT_EQ(2u, pll.size());
    EXPECT_EQ((Bytes{0x0B, 0xF5, 0xCA, 0x6C}), pll[0]);
    EXPECT_EQ(c.retune_pll, pll[1]);
    Writes demod = fresh.DemodWrites();
    EXPECT_NE(demod.end(), std::find(demod.begin(), demod.end(), c.retune_acq));
    EXPECT_EQ(474000000u, list[0].frequency);  // not locked: nominal frequency kept
  }
}

TEST_F(Chip, LockAfterRetuneReportsTheTunedFrequency) {
  const struct {
    uint8_t reg04;
    uint8_t reg05;
    int divider;
    uint32_t reported;
  } cases[] = {
      {0x00, 0x80, 3060, 473833333},  // code 2: -166,667
      {0x00, 0x40, 3062, 474166667},  // code 1: +166,667, printed as 474167 kHz
  };
  for (const auto& c : cases) {
    reports.clear();
    bus.regs[0x04] = c.reg04;
    bus.regs[0x05] = c.reg05;
    lock_divider = c.divider;
    ASSERT_EQ(0, Acquire({Channel(474000000, 8000000)}));
    ASSERT_EQ(1u, reports.size());
    EXPECT_EQ(FRONTEND_LOCKED, reports[0].locked);
    EXPECT_EQ(c.reported, reports[0].frequency);
  }
}

TEST_F(Chip, CounterThatNeverCountsEndsTheWaitWithTimeout) {
  counting = false;
  testing::internal::CaptureStderr();
  EXPECT_EQ(-ETIMEDOUT, Acquire({Channel(474000000, 8000000), Channel(482000000, 8000000)}));
  EXPECT_EQ("lock wait timeout at 474000000 Hz\n", testing::internal::GetCapturedStderr());
  EXPECT_TRUE(reports.empty());
  EXPECT_EQ(1u, bus.PllWrites().size());
}

TEST_F(Chip, TunerRangeErrorEndsTheList) {
  EXPECT_EQ(-1, Acquire({Channel(48000000, 6000000), Channel(474000000, 8000000)}));
  EXPECT_TRUE(reports.empty());
  EXPECT_TRUE(bus.PllWrites().empty());
}

TEST_F(Chip, InversionFailureEndsBeforeAnyChannel) {
  bus.fail_from = 0;
  testing::internal::CaptureStderr();
  EXPECT_EQ(-1, Acquire({Channel(474000000, 8000000)}));
  testing::internal::GetCapturedStderr();
  EXPECT_TRUE(reports.empty());
  EXPECT_EQ(1u, bus.transfers.size());
}

}  // namespace
