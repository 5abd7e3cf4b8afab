// The simulator's own model, without a probe: config parsing, divider and
// bandwidth decoding, the demodulator's registers and reception, the NAK
// policies of a transfer, path recognition and the front processor's bits.
// A wrong model would make the end-to-end tests pass for the wrong reasons.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

extern "C" {
#include "fesim_config.h"
#include "fesim_fp.h"
#include "fesim_frontend.h"
#include "fesim_i2c.h"
#include "fesim_log.h"
#include "fesim_path.h"
#include "fesim_x86_load.h"
}

namespace {

// Captures log lines in a memory file for the length of a test.
class LogCapture {
 public:
  LogCapture() : m_fd(memfd_create("fesim-test-log", 0)) { fesim_log_set_fd(m_fd); }
  ~LogCapture() {
    fesim_log_set_fd(-1);
    close(m_fd);
  }
  std::vector<std::string> Lines() const {
    std::string text;
    char buf[4096];
    ssize_t n;
    off_t off = 0;
    while ((n = pread(m_fd, buf, sizeof(buf), off)) > 0) {
      text.append(buf, static_cast<size_t>(n));
      off += n;
    }
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
      lines.push_back(text.substr(start, nl - start));
    return lines;
  }

 private:
  int m_fd;
};

fesim_config Parse(const std::string& text) {
  fesim_config cfg;
  char err[256] = "";
  fesim_config_defaults(&cfg);
  EXPECT_EQ(fesim_config_parse(&cfg, text.c_str(), err, sizeof(err)), 0) << err;
  return cfg;
}

// A front-end with its config, driven by register-level helpers.
struct Chip {
  explicit Chip(const std::string& config) : cfg(Parse(config)) { fesim_frontend_init(&fe, &cfg); }
  Chip(const Chip&) = delete;

  int Write(uint16_t addr, std::vector<uint8_t> bytes) {
    return fesim_frontend_message(&fe, addr, 0, bytes.data(), bytes.size());
  }
  std::vector<uint8_t> Read(uint8_t reg, size_t len) {
    std::vector<uint8_t> out(len);
    EXPECT_EQ(Write(FESIM_DEMOD_ADDR, {reg}), 0);
    EXPECT_EQ(fesim_frontend_message(&fe, FESIM_DEMOD_ADDR, 1, out.data(), len), 0);
    return out;
  }
  uint8_t Reg(uint8_t reg) { return Read(reg, 1)[0]; }
  // Bandwidth bytes, gated tuner message, acquisition with an offset code,
  // restart: what the probe does per tuning.
  void Tune(std::vector<uint8_t> bandwidth, std::vector<uint8_t> pll, unsigned code = 7) {
    bandwidth.insert(bandwidth.begin(), 0x31);
    ASSERT_EQ(Write(FESIM_DEMOD_ADDR, bandwidth), 0);
    ASSERT_EQ(Write(FESIM_DEMOD_ADDR, {0x07, 0x02}), 0);
    ASSERT_EQ(Write(FESIM_PLL_ADDR, pll), 0);
    ASSERT_EQ(Write(FESIM_DEMOD_ADDR, {0x07, 0x00}), 0);
    uint8_t acq1 = static_cast<uint8_t>((code >> 2) << 7);
    uint8_t acq2 = static_cast<uint8_t>((code << 6) & 0xff);
    ASSERT_EQ(Write(FESIM_DEMOD_ADDR, {0x01, 0x97, acq1, acq2}), 0);
    ASSERT_EQ(Write(FESIM_DEMOD_ADDR, {0x01, 0xd7}), 0);
    ASSERT_EQ(Write(FESIM_DEMOD_ADDR, {0x10, 0x00}), 0);
  }
  // The protocol errors so far: none, or the count and the first one.
  std::string Errors() const {
    if (fe.protocol_errors == 0) return "";
    return std::to_string(fe.protocol_errors) + ": " + fe.first_error;
  }

  fesim_config cfg;
  fesim_frontend fe;
};

const std::vector<uint8_t> kBw8 = {0x5c, 0x32, 0xc2, 0x96, 0x6d};
const std::vector<uint8_t> kBw7 = {0x6a, 0x02, 0x6a, 0x43, 0x9f};
const std::vector<uint8_t> kBw6 = {0x7b, 0x2e, 0x11, 0xf0, 0xd2};
const std::vector<uint8_t> kPll474 = {0x0b, 0xf5, 0xca, 0x6c};      // N 3061
const std::vector<uint8_t> kPll474p167 = {0x0b, 0xf6, 0xca, 0x6c};  // N 3062
const std::vector<uint8_t> kPll474p333 = {0x0b, 0xf7, 0xca, 0x6c};  // N 3063
const std::vector<uint8_t> kPll474m167 = {0x0b, 0xf4, 0xca, 0x6c};  // N 3060

// ------------------------------------------------------------------ config

TEST(FesimConfig, ChannelLineSetsEveryParameter) {
  fesim_config cfg = Parse(
      "# comment\n"
      "  channel=474000000 8000000 mode=8k guard=1/4 mod=qam64 hier=4 hp=7/8 lp=2/3 inv=on "
      "offset=6 lock=no\n");
  ASSERT_EQ(cfg.channel_count, 1u);
  const fesim_channel& ch = cfg.channels[0];
  EXPECT_EQ(ch.frequency, 474000000u);
  EXPECT_EQ(ch.bandwidth, 8000000u);
  EXPECT_EQ(ch.mode, 1u);
  EXPECT_EQ(ch.guard, 3u);
  EXPECT_EQ(ch.modulation, 2u);
  EXPECT_EQ(ch.hierarchy, 3u);
  EXPECT_EQ(ch.hp, 4u);
  EXPECT_EQ(ch.lp, 1u);
  EXPECT_EQ(ch.inversion, 1u);
  EXPECT_EQ(ch.offset, 6u);
  EXPECT_EQ(ch.never_locks, 1);
}

TEST(FesimConfig, KeysSetTheirFields) {
  fesim_config cfg = Parse(
      "bus=2 both\nbus=5 slash\nid=0x00\nasleep=1\nif=36000000\ncounter=stuck\n"
      "lock_delay=3\nnak_at=12\nnak_addr=0x60\nshort_at=7\nmem=denied\nfp_busy=always\n"
      "fp_ready_after=never\nsysfs_timeout=300\\n\ncp=5\ntest=0\nstep=62500\nclock_step=-3600\n"
      "signal_at=40\nsignal=TERM\n");
  ASSERT_EQ(cfg.bus_count, 2u);  // the first bus line replaces the default bus 0
  EXPECT_EQ(cfg.buses[0].number, 2u);
  EXPECT_EQ(cfg.buses[0].nodes, unsigned{FESIM_NODE_DASH | FESIM_NODE_SLASH});
  EXPECT_EQ(cfg.buses[1].nodes, unsigned{FESIM_NODE_SLASH});
  EXPECT_EQ(fesim_config_bus(&cfg, 0), nullptr);
  EXPECT_EQ(cfg.id, 0);
  EXPECT_EQ(cfg.asleep, 1);
  EXPECT_EQ(cfg.if_freq, 36000000u);
  EXPECT_EQ(cfg.counter_stuck, 1);
  EXPECT_EQ(cfg.lock_delay, 3u);
  EXPECT_EQ(cfg.nak_at, 12ul);
  EXPECT_EQ(cfg.nak_addr, 0x60);
  EXPECT_EQ(cfg.short_at, 7ul);
  EXPECT_EQ(cfg.mem, FESIM_MEM_DENIED);
  EXPECT_EQ(cfg.fp_busy, -1);
  EXPECT_EQ(cfg.fp_ready_after, -1);
  EXPECT_EQ(cfg.sysfs_present, 1);
  EXPECT_EQ(std::string(cfg.sysfs_text, cfg.sysfs_len), "300\n");
  EXPECT_EQ(cfg.tuner.cp, 5u);
  EXPECT_EQ(cfg.tuner.test, 0u);
  EXPECT_EQ(cfg.tuner.step, 62500u);
  EXPECT_EQ(cfg.clock_step, -3600);
  EXPECT_EQ(cfg.signal_at, 40ul);
  EXPECT_EQ(cfg.signal_number, SIGTERM);
}

TEST(FesimConfig, BadLinesAreRefusedWithTheirLineNumber) {
  struct Case {
    const char* text;
    const char* line;
  } cases[] = {
      {"id=0x100\n", "line 1:"},
      {"\nfoo=1\n", "line 2:"},
      {"no equals sign\n", "line 1:"},
      {"channel=474000000\n", "line 1:"},
      {"channel=474000000 8000000 mode=4k\n", "line 1:"},
      {"channel=474000000 8000000 offset=7\n", "line 1:"},
      {"channel=474000000 8000000 colour=red\n", "line 1:"},
      {"counter=sometimes\n", "line 1:"},
      {"fp_busy=-1\n", "line 1:"},
      {"bus=1 backslash\n", "line 1:"},
      {"nak_at=12abc\n", "line 1:"},
      {"sysfs_timeout=bad\\q\n", "line 1:"},
      {"cp=8\n", "line 1:"},
      {"step=100000\n", "line 1:"},
      {"clock_step=-\n", "line 1:"},
      {"signal=HUP\n", "line 1:"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    fesim_config cfg;
    char err[256] = "";
    fesim_config_defaults(&cfg);
    EXPECT_EQ(fesim_config_parse(&cfg, c.text, err, sizeof(err)), -1);
    EXPECT_EQ(std::string(err).rfind(c.line, 0), 0u) << err;
  }
}

// --------------------------------------------------------------- decoders

TEST(FesimDecode, TunerDividerGivesTheRfFrequency) {
  struct Case {
    std::vector<uint8_t> msg;
    uint32_t if_freq;
    int64_t rf;
    uint32_t half_step;
  } cases[] = {
      {{0x0b, 0xf5, 0xca, 0x6c}, 36166667, 474000000, 83333},  // exact 1/6 MHz raster
      {{0x05, 0x02, 0xca, 0x62}, 36166667, 177500000, 83333},  // N 1282
      {{0x8b, 0xf5, 0xca, 0x6c}, 36166667, 474000000, 83333},  // bit 7 of byte 0 ignored
      {{0x1f, 0xc6, 0xc8, 0x6c}, 36166667, 8134 * 62500 - 36166667, 31250},
      {{0x00, 0x64, 0xcb, 0x00}, 1000000, 100 * 50000 - 1000000, 25000},
      {{0x00, 0x64, 0xcc, 0x00}, 0, 100 * 125000, 62500},
  };
  for (const Case& c : cases) {
    int64_t rf = 0;
    uint32_t half = 0;
    ASSERT_EQ(fesim_pll_decode(c.msg.data(), c.if_freq, &rf, &half), 0);
    EXPECT_EQ(rf, c.rf);
    EXPECT_EQ(half, c.half_step);
  }
  for (uint8_t bad : {0xcd, 0xce, 0xcf}) {
    uint8_t msg[4] = {0x0b, 0xf5, bad, 0x6c};
    int64_t rf;
    uint32_t half;
    EXPECT_EQ(fesim_pll_decode(msg, 36166667, &rf, &half), -1);
  }
}

TEST(FesimDecode, BandwidthBytesAtFiftyThreeMegahertz) {
  uint32_t fs = fesim_sample_clock(0x08, 0x00);
  EXPECT_EQ(fs, 53000000u);
  EXPECT_EQ(fesim_sample_clock(0x08, 0x21), 4000000u * 53 / (5 * 2));
  EXPECT_EQ(fesim_bandwidth_decode(kBw6.data(), fs), 6000000u);
  EXPECT_EQ(fesim_bandwidth_decode(kBw7.data(), fs), 7000000u);
  EXPECT_EQ(fesim_bandwidth_decode(kBw8.data(), fs), 8000000u);
  // One count off in either timing word is no valid setting.
  for (size_t i = 0; i < 5; i++) {
    std::vector<uint8_t> bad = kBw8;
    bad[i] ^= 0x01;
    EXPECT_EQ(fesim_bandwidth_decode(bad.data(), fs), 0u) << "byte " << i;
  }
  uint8_t zero[5] = {0, 0, 0, 0, 0};
  EXPECT_EQ(fesim_bandwidth_decode(zero, fs), 0u);
}

TEST(FesimDecode, OffsetTableByCode) {
  const int32_t want[8] = {0, 166667, -166667, 333333, -333333, 500000, -500000, 0};
  for (unsigned code = 0; code < 8; code++) EXPECT_EQ(fesim_offset_hz(code), want[code]) << code;
}

// ------------------------------------------------------------- registers

TEST(FesimRegisters, WritesAndReadsAutoIncrement) {
  Chip chip("");
  ASSERT_EQ(chip.Write(FESIM_DEMOD_ADDR, {0x43, 0x11, 0x22, 0x33}), 0);
  EXPECT_EQ(chip.Read(0x43, 3), (std::vector<uint8_t>{0x11, 0x22, 0x33}));
  EXPECT_EQ(chip.Read(0x44, 2), (std::vector<uint8_t>{0x22, 0x33}));
  // A second read carries on from where the pointer stopped.
  std::vector<uint8_t> next(1);
  ASSERT_EQ(fesim_frontend_message(&chip.fe, FESIM_DEMOD_ADDR, 1, next.data(), 1), 0);
  EXPECT_EQ(next[0], 0x00);  // register 0x46
}

TEST(FesimRegisters, IdentificationIsReadOnlyAndHiddenWhileAsleep) {
  Chip chip("id=0x45\nasleep=1\n");
  EXPECT_EQ(chip.Reg(0x00), 0x00);
  ASSERT_EQ(chip.Write(FESIM_DEMOD_ADDR, {0x07, 0x00}), 0);
  EXPECT_EQ(chip.Reg(0x00), 0x45);
  ASSERT_EQ(chip.Write(FESIM_DEMOD_ADDR, {0x00, 0x99}), 0);
  EXPECT_EQ(chip.Reg(0x00), 0x45);
}

TEST(FesimRegisters, TunerAnswersOnlyThroughTheOpenGate) {
  Chip chip("");
  uint8_t status = 0;
  EXPECT_EQ(chip.Write(FESIM_PLL_ADDR, kPll474), -1);
  EXPECT_EQ(fesim_frontend_message(&chip.fe, FESIM_PLL_ADDR, 1, &status, 1), -1);
  ASSERT_EQ(chip.Write(FESIM_DEMOD_ADDR, {0x07, 0x02}), 0);
  EXPECT_EQ(chip.Write(FESIM_PLL_ADDR, kPll474), 0);
  EXPECT_EQ(fesim_frontend_message(&chip.fe, FESIM_PLL_ADDR, 1, &status, 1), 0);
  EXPECT_EQ(status, 0x40);
  EXPECT_EQ(chip.Write(0x61, {0x00}), -1);  // nobody there
}

TEST(FesimRegisters, RestartBitClearsItself) {
  Chip chip("");
  ASSERT_EQ(chip.Write(FESIM_DEMOD_ADDR, {0x01, 0xd7}), 0);
  EXPECT_EQ(chip.Reg(0x01), 0x97);
}

// -------------------------------------------------------- protocol checks

TEST(FesimProtocol, TunerTakesOnlyFourByteMessages) {
  Chip chip("");
  ASSERT_EQ(chip.Write(FESIM_DEMOD_ADDR, {0x07, 0x02}), 0);
  EXPECT_EQ(chip.Write(FESIM_PLL_ADDR, {0x0b, 0xf5, 0xca}), -1);
  EXPECT_EQ(chip.Write(FESIM_PLL_ADDR, {0x0b, 0xf5, 0xca, 0x6c, 0x8c}), -1);
  EXPECT_FALSE(chip.fe.tuned);
}

// Bytes 0, 2 and 3 against the tuner's tables for the frequency the divider
// tunes, the channel bandwidth timed and the configured settings.
TEST(FesimProtocol, TunerControlBytesMatchTheFrequencyAndSettings) {
  struct Case {
    const char* what;
    const char* config;
    std::vector<uint8_t> bw;
    std::vector<uint8_t> pll;
    const char* error;
  } cases[] = {
      {"474 MHz, 8 MHz channel", "", kBw8, kPll474, ""},
      {"474 MHz, 7 MHz channel", "", kBw7, {0x0b, 0xf5, 0xca, 0x64}, ""},
      {"177.5 MHz: band 2, pump 3", "", kBw7, {0x05, 0x02, 0xca, 0x62}, ""},
      {"160 MHz: band 1, pump 6", "", kBw7, {0x04, 0x99, 0xca, 0xc1}, ""},
      {"8 MHz bit missing",
       "",
       kBw8,
       {0x0b, 0xf5, 0xca, 0x64},
       "1: tuner byte 3 64, expected 6c for 474000000 Hz"},
      {"band 2 at 474 MHz",
       "",
       kBw8,
       {0x0b, 0xf5, 0xca, 0x6a},
       "1: tuner byte 3 6a, expected 6c for 474000000 Hz"},
      {"pump 5 at 474 MHz",
       "",
       kBw8,
       {0x0b, 0xf5, 0xca, 0xac},
       "1: tuner byte 3 ac, expected 6c for 474000000 Hz"},
      {"configured pump", "cp=5", kBw8, {0x0b, 0xf5, 0xca, 0xac}, ""},
      {"configured pump not sent", "cp=5", kBw8, kPll474,
       "1: tuner byte 3 6c, expected ac for 474000000 Hz"},
      {"test bits",
       "",
       kBw8,
       {0x0b, 0xf5, 0xc2, 0x6c},
       "1: tuner byte 2 c2, expected ca (test bits 1, step 166667 Hz)"},
      {"configured test bits", "test=0", kBw8, {0x0b, 0xf5, 0xc2, 0x6c}, ""},
      {"ratio of another step", "step=62500", kBw8, kPll474,
       "1: tuner byte 2 ca, expected c8 (test bits 1, step 62500 Hz)"},
      {"divider bit 15", "", kBw8, {0x8b, 0xf5, 0xca, 0x6c}, "1: tuner byte 0 8b has bit 7 set"},
      {"48 MHz",
       "",
       kBw6,
       {0x01, 0xf9, 0xca, 0x61},
       "1: tuner message for 48000000 Hz, outside every band"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Chip chip(c.config);
    chip.Tune(c.bw, c.pll);
    EXPECT_EQ(chip.Errors(), c.error);
  }
}

TEST(FesimProtocol, AcquisitionCarriesTheOffsetCodeTheChipReported) {
  struct Tuning {
    std::vector<uint8_t> pll;
    unsigned code;
  };
  struct Case {
    const char* what;
    std::vector<Tuning> tunings;
    const char* error;
  } cases[] = {
      {"nominal, then the reported code at its offset", {{kPll474, 7}, {kPll474p167, 1}}, ""},
      {"a code on the first tuning",
       {{kPll474, 1}},
       "1: acquisition 97 00 40, expected 97 80 c0 (offset code 7)"},
      {"no code on the retune",
       {{kPll474, 7}, {kPll474p167, 7}},
       "1: acquisition 97 80 c0, expected 97 00 40 (offset code 1)"},
      {"retuned the wrong way",
       {{kPll474, 7}, {kPll474m167, 1}},
       "1: acquisition 97 00 40, expected 97 80 c0 (offset code 7)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Chip chip("channel=474000000 8000000 offset=1\n");
    for (const Tuning& t : c.tunings) chip.Tune(kBw8, t.pll, t.code);
    EXPECT_EQ(chip.Errors(), c.error);
  }
}

// Also restarts: each tuning's d7 repeats the 97 in force.
TEST(FesimProtocol, ParametersWrittenBackAreTheLockedChannels) {
  struct Case {
    bool lock;
    std::vector<uint8_t> write;
    const char* error;
  } cases[] = {
      {true, {0x01, 0xa0, 0x59, 0x13}, ""},
      {true,
       {0x01, 0xa0, 0x59, 0x12},
       "1: parameters a0 59 12, expected a0 59 13 for 474000000 Hz"},
      {true,
       {0x01, 0xa0, 0x49, 0x13},
       "1: parameters a0 49 13, expected a0 59 13 for 474000000 Hz"},
      {false, {0x01, 0xa0, 0x59, 0x13}, "1: parameters a0 59 13 written back without a lock"},
      {true, {0x01, 0xb0, 0x59, 0x13}, "1: control byte b0 with settings 59 13"},
      {true, {0x02, 0x59, 0x13}, "1: settings 0x02-0x03 written without their control byte"},
      {true, {0x01, 0xc7}, "1: restart c7 changes the control byte 97"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    Chip chip("channel=474000000 8000000 mode=8k guard=1/8 mod=qam16 hier=2 hp=3/4 lp=5/6\n");
    chip.Tune(kBw8, c.lock ? kPll474 : kPll474p333);
    ASSERT_EQ(chip.Write(FESIM_DEMOD_ADDR, c.write), 0);
    EXPECT_EQ(chip.Errors(), c.error);
  }
}

// After an acknowledged tuner access only 0x07 may be touched until the gate
// closes; the bus closes at the end of each case.
TEST(FesimProtocol, GateLeftOpenAfterATunerAccessIsReported) {
  using Writes = std::vector<std::vector<uint8_t>>;
  struct Case {
    bool tuner;
    Writes after;
    const char* error;
  } cases[] = {
      {true, {{0x07}, {0x07, 0x00}, {0x01, 0x87}}, ""},
      {false, {{0x01, 0x87}}, ""},
      {true, {{0x01, 0x87}}, "1: gate left open after a tuner access (register 01 next)"},
      {true, {{0x07}}, "1: bus closed with the gate open after a tuner access"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    Chip chip("");
    ASSERT_EQ(chip.Write(FESIM_DEMOD_ADDR, {0x07, 0x02}), 0);
    if (c.tuner) {
      ASSERT_EQ(chip.Write(FESIM_PLL_ADDR, {0x0b, 0xf5, 0xca, 0x64}), 0);
    }
    for (const auto& w : c.after) ASSERT_EQ(chip.Write(FESIM_DEMOD_ADDR, w), 0);
    fesim_frontend_close(&chip.fe);
    EXPECT_EQ(chip.Errors(), c.error);
  }
}

// -------------------------------------------------------------- reception

TEST(FesimReception, ChannelOnItsFrequencyLocksWithItsParameters) {
  Chip chip("channel=474000000 8000000 mode=8k guard=1/8 mod=qam16 hier=2 hp=3/4 lp=5/6 inv=on\n");
  chip.Tune(kBw8, kPll474);
  EXPECT_EQ(chip.Reg(0x06) & 0x08, 0x08);
  EXPECT_EQ(chip.Read(0x04, 2), (std::vector<uint8_t>{0x59, 0x13}));
  EXPECT_EQ(chip.Reg(0x16) & 0x20, 0x00);  // inverted spectrum
  EXPECT_EQ(chip.Reg(0x10), 0x00);         // no counting once locked
}

TEST(FesimReception, WrongBandwidthOrFrequencyCountsToEightAndStops) {
  struct Case {
    const char* name;
    std::vector<uint8_t> bw;
    std::vector<uint8_t> pll;
  } cases[] = {
      {"7 MHz timing", kBw7, kPll474},
      {"one step up", kBw8, kPll474p167},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Chip chip("channel=474000000 8000000\n");
    chip.Tune(c.bw, c.pll);
    for (uint8_t want = 1; want <= 8; want++) {
      EXPECT_EQ(chip.Reg(0x06) & 0x08, 0);
      EXPECT_EQ(chip.Reg(0x10), want);
    }
    EXPECT_EQ(chip.Reg(0x10), 8);
    EXPECT_EQ(chip.Read(0x04, 2), (std::vector<uint8_t>{0x00, 0x00}));
  }
}

TEST(FesimReception, OffsetChannelReportsItsCodeAndLocksOnlyWhenRetuned) {
  struct Case {
    unsigned code;
    std::vector<uint8_t> retune;
    uint8_t reg04;
    uint8_t reg05;
  } cases[] = {
      {1, kPll474p167, 0x00, 0x40},
      {3, kPll474p333, 0x00, 0xc0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    Chip chip("channel=474000000 8000000 offset=" + std::to_string(c.code) + "\n");
    chip.Tune(kBw8, kPll474);
    EXPECT_EQ(chip.Reg(0x06) & 0x08, 0);
    EXPECT_EQ(chip.Read(0x04, 2), (std::vector<uint8_t>{c.reg04, c.reg05}));
    chip.Tune(kBw8, c.retune);
    EXPECT_EQ(chip.Reg(0x06) & 0x08, 0x08);
    EXPECT_EQ(chip.Read(0x04, 2), (std::vector<uint8_t>{0x00, 0x00}));  // no offset left
  }
  Chip code4("channel=474000000 8000000 offset=4\n");  // code bit 2 goes to reg04 bit 7
  code4.Tune(kBw8, kPll474);
  EXPECT_EQ(code4.Read(0x04, 2), (std::vector<uint8_t>{0x80, 0x00}));
}

TEST(FesimReception, StuckCounterAndDelayedLock) {
  Chip stuck("counter=stuck\n");
  stuck.Tune(kBw8, kPll474);
  for (int i = 0; i < 20; i++) ASSERT_EQ(stuck.Reg(0x10), 0);

  Chip late("lock_delay=2\nchannel=474000000 8000000\n");
  late.Tune(kBw8, kPll474);
  EXPECT_EQ(late.Reg(0x06), 0x07);
  EXPECT_EQ(late.Reg(0x10), 1);
  EXPECT_EQ(late.Reg(0x06), 0x07);
  EXPECT_EQ(late.Reg(0x06), 0x0f);
}

TEST(FesimReception, SleepingChipDoesNotLock) {
  Chip chip("channel=474000000 8000000\n");
  ASSERT_EQ(chip.Write(FESIM_DEMOD_ADDR, {0x07, 0x01}), 0);
  chip.Tune(kBw8, kPll474);  // Tune's gate writes clear the sleep bit; set it again
  ASSERT_EQ(chip.Write(FESIM_DEMOD_ADDR, {0x07, 0x01}), 0);
  ASSERT_EQ(chip.Write(FESIM_DEMOD_ADDR, {0x01, 0xd7}), 0);
  EXPECT_EQ(chip.Reg(0x06) & 0x08, 0);
}

// --------------------------------------------------------------- transfers

TEST(FesimTransfer, MessagesAreLoggedAndNaksEndTheTransfer) {
  struct Case {
    const char* config;
    unsigned long index;
    int result;
    std::vector<std::string> log;
  } cases[] = {
      {"", 1, 2, {"i2c w 08 00", "i2c r 08 46"}},
      {"nak_at=3", 3, -ENXIO, {"i2c w 08 00 nak"}},
      {"nak_at=3", 2, 2, {"i2c w 08 00", "i2c r 08 46"}},
      {"short_at=5", 5, 1, {"i2c w 08 00", "i2c r 08 46"}},
      {"nak_addr=0x08", 1, -ENXIO, {"i2c w 08 00 nak"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.config) + " #" + std::to_string(c.index));
    Chip chip(c.config);
    LogCapture log;
    uint8_t reg = 0x00;
    uint8_t id = 0;
    i2c_msg msgs[2] = {{0x08, 0, 1, &reg}, {0x08, I2C_M_RD, 1, &id}};
    EXPECT_EQ(fesim_i2c_transfer(&chip.fe, msgs, 2, c.index), c.result);
    EXPECT_EQ(log.Lines(), c.log);
  }
}

TEST(FesimTransfer, ProtocolErrorIsLoggedAfterItsMessage) {
  Chip chip("");
  ASSERT_EQ(chip.Write(FESIM_DEMOD_ADDR, {0x07, 0x02}), 0);
  LogCapture log;
  std::vector<uint8_t> pll = {0x0b, 0xf5, 0xca, 0x6a};
  i2c_msg msg = {0x60, 0, 4, pll.data()};
  EXPECT_EQ(fesim_i2c_transfer(&chip.fe, &msg, 1, 1), 1);
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                             "i2c w 60 0b f5 ca 6a",
                             "protocol error: tuner byte 3 6a, expected 64 for 474000000 Hz"}));
}

TEST(FesimTransfer, ClosedGateNakKeepsTheBytesInTheLog) {
  Chip chip("");
  LogCapture log;
  std::vector<uint8_t> pll = kPll474;
  i2c_msg msg = {0x60, 0, 4, pll.data()};
  EXPECT_EQ(fesim_i2c_transfer(&chip.fe, &msg, 1, 1), -ENXIO);
  EXPECT_EQ(log.Lines(), std::vector<std::string>{"i2c w 60 0b f5 ca 6c nak"});
}

TEST(FesimTransfer, ArgumentsTheKernelRefuses) {
  Chip chip("");
  uint8_t b = 0;
  i2c_msg ten_bit = {0x08, 0x0010, 1, &b};
  i2c_msg wide = {0x80, 0, 1, &b};
  i2c_msg null_buf = {0x08, 0, 1, nullptr};
  i2c_msg ok = {0x08, 0, 1, &b};
  EXPECT_EQ(fesim_i2c_transfer(&chip.fe, &ten_bit, 1, 1), -EINVAL);
  EXPECT_EQ(fesim_i2c_transfer(&chip.fe, &wide, 1, 1), -EINVAL);
  EXPECT_EQ(fesim_i2c_transfer(&chip.fe, &null_buf, 1, 1), -EFAULT);
  EXPECT_EQ(fesim_i2c_transfer(&chip.fe, &ok, 0, 1), -EINVAL);
  EXPECT_EQ(fesim_i2c_transfer(&chip.fe, nullptr, 1, 1), -EFAULT);
  std::vector<i2c_msg> many(43, ok);
  EXPECT_EQ(fesim_i2c_transfer(&chip.fe, many.data(), 43, 1), -EINVAL);
}

// ------------------------------------------------------------------- paths

TEST(FesimPath, DevicePathsAreRecognisedInAnySpelling) {
  struct Case {
    const char* path;
    fesim_path_kind kind;
    int bus;
    unsigned node;
  } cases[] = {
      {"/dev/i2c-0", FESIM_PATH_I2C, 0, FESIM_NODE_DASH},
      {"/dev/i2c/3", FESIM_PATH_I2C, 3, FESIM_NODE_SLASH},
      {"/dev//i2c-12", FESIM_PATH_I2C, 12, FESIM_NODE_DASH},
      {"/dev/i2c-01", FESIM_PATH_I2C, -1, FESIM_NODE_DASH},
      {"/dev/i2c-x", FESIM_PATH_I2C, -1, FESIM_NODE_DASH},
      {"/dev/i2c", FESIM_PATH_I2C, -1, 0},
      {"/dev/mem", FESIM_PATH_MEM, -1, 0},
      {"/dev/./mem", FESIM_PATH_MEM, -1, 0},
      {"/tmp/../dev/mem", FESIM_PATH_MEM, -1, 0},
      {"/../../dev/mem/", FESIM_PATH_MEM, -1, 0},
      {"/sys/module/dvb_core/parameters/dvb_shutdown_timeout", FESIM_PATH_SYSFS, -1, 0},
      {"/dev/null", FESIM_PATH_OTHER, -1, 0},
      {"/dev/memory", FESIM_PATH_OTHER, -1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    fesim_path p = fesim_path_classify(c.path);
    EXPECT_EQ(p.kind, c.kind);
    EXPECT_EQ(p.bus, c.bus);
    EXPECT_EQ(p.node, c.node);
  }
}

TEST(FesimPath, RelativePathsAndLinksReachTheDevice) {
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof(cwd)), nullptr);
  ASSERT_EQ(chdir("/dev"), 0);
  fesim_path rel = fesim_path_classify("./i2c-1");
  ASSERT_EQ(chdir(cwd), 0);
  EXPECT_EQ(rel.kind, FESIM_PATH_I2C);
  EXPECT_EQ(rel.bus, 1);

  char dir[] = "/tmp/fesim-path-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  std::string link = std::string(dir) + "/m";
  std::string chain = std::string(dir) + "/chain";
  ASSERT_EQ(symlink("/dev/mem", link.c_str()), 0);  // links, never opened
  ASSERT_EQ(symlink("m", chain.c_str()), 0);
  EXPECT_EQ(fesim_path_classify(link.c_str()).kind, FESIM_PATH_MEM);
  EXPECT_EQ(fesim_path_classify(chain.c_str()).kind, FESIM_PATH_MEM);
  unlink(chain.c_str());
  unlink(link.c_str());
  rmdir(dir);
}

// -------------------------------------------------------- front processor

TEST(FesimFrontProcessor, BusyAndReadyBitsFollowTheConfig) {
  fesim_config cfg = Parse("fp_busy=2\nfp_ready_after=3\n");
  fesim_fp_init(&cfg);
  EXPECT_EQ(fesim_fp_read_busy() & 0x10, 0x10u);
  EXPECT_EQ(fesim_fp_read_busy() & 0x10, 0x10u);
  EXPECT_EQ(fesim_fp_read_busy(), 0xffffffefu);  // only the busy bit clears
  for (int i = 0; i < 3; i++) EXPECT_EQ(fesim_fp_read_status(), 0xdf);
  EXPECT_EQ(fesim_fp_read_status(), 0xff);
  LogCapture log;
  fesim_fp_store(FESIM_FP_TX_PHYS + FESIM_FP_DATA_REG, 0x47);
  fesim_fp_store(FESIM_FP_TX_PHYS + 0x24, 0x01);
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{"fp 47", "mem w 1e000024 01"}));
  EXPECT_EQ(fesim_fp_read_status(), 0xdf);  // the next byte waits again
}

TEST(FesimFrontProcessor, FirstByteCanWaitDifferently) {
  fesim_config cfg = Parse("fp_ready_first=2\nfp_ready_after=0\n");
  fesim_fp_init(&cfg);
  EXPECT_EQ(fesim_fp_read_status(), 0xdf);
  EXPECT_EQ(fesim_fp_read_status(), 0xdf);
  EXPECT_EQ(fesim_fp_read_status(), 0xff);
  fesim_fp_store(FESIM_FP_TX_PHYS + FESIM_FP_DATA_REG, 0x47);
  EXPECT_EQ(fesim_fp_read_status(), 0xff);
}

TEST(FesimFrontProcessor, NeverReadyAndAlwaysBusy) {
  fesim_config cfg = Parse("fp_busy=always\nfp_ready_after=never\n");
  fesim_fp_init(&cfg);
  for (int i = 0; i < 1000; i++) {
    ASSERT_EQ(fesim_fp_read_busy() & 0x10, 0x10u);
    ASSERT_EQ(fesim_fp_read_status() & 0x20, 0);
  }
}

// ------------------------------------------------- x86-64 load decoding

TEST(FesimX86Load, RegisterLoadsAreDecodedWithTheirLength) {
  struct Case {
    const char* what;
    std::vector<uint8_t> code;
    unsigned length;
    unsigned reg;
    unsigned width;
  } cases[] = {
      {"movzbl 0x25(%rcx),%edx", {0x0f, 0xb6, 0x51, 0x25}, 4, 2, 1},
      {"movzbl 0x25(%rcx),%r8d", {0x44, 0x0f, 0xb6, 0x41, 0x25}, 5, 8, 1},
      {"mov 0x8a0(%rax),%eax", {0x8b, 0x80, 0xa0, 0x08, 0x00, 0x00}, 6, 0, 4},
      {"mov 0x8a0(%rsi),%eax", {0x8b, 0x86, 0xa0, 0x08, 0x00, 0x00}, 6, 0, 4},
      {"mov (%rsp),%rax", {0x48, 0x8b, 0x04, 0x24}, 4, 0, 8},
      {"mov 0x8(%rsp),%edi", {0x8b, 0x7c, 0x24, 0x08}, 4, 7, 4},
      {"mov 0x10(%rip),%ecx", {0x8b, 0x0d, 0x10, 0x00, 0x00, 0x00}, 6, 1, 4},
      {"mov 0x0(,%rax,1),%r15d", {0x44, 0x8b, 0x3c, 0x05, 0, 0, 0, 0}, 8, 15, 4},
      {"mov (%rax),%r9d, trailing bytes", {0x44, 0x8b, 0x08, 0x90, 0x90}, 3, 9, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fesim_x86_load load;
    ASSERT_EQ(fesim_x86_load_decode(c.code.data(), c.code.size(), &load), 0);
    EXPECT_EQ(load.length, c.length);
    EXPECT_EQ(load.reg, c.reg);
    EXPECT_EQ(load.width, c.width);
  }
}

TEST(FesimX86Load, EverythingElseIsLeftToSingleStepping) {
  struct Case {
    const char* what;
    std::vector<uint8_t> code;
  } cases[] = {
      {"mov %dil,0x20(%rcx) (a store)", {0x40, 0x88, 0x79, 0x20}},
      {"testb $0x20,0x25(%rcx)", {0xf6, 0x41, 0x25, 0x20}},
      {"mov %ecx,%eax (no memory)", {0x8b, 0xc1}},
      {"mov (%rcx),%ax (operand-size prefix)", {0x66, 0x8b, 0x01}},
      {"truncated movzbl", {0x0f, 0xb6}},
      {"truncated displacement", {0x8b, 0x80, 0xa0, 0x08}},
      {"nothing", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fesim_x86_load load;
    EXPECT_EQ(fesim_x86_load_decode(c.code.data(), c.code.size(), &load), -1);
  }
}

}  // namespace
