// The real feprobe binary against the simulated front-end: its command line,
// result lines and exit status, and the bytes it puts on the I2C bus and into
// the front processor, as fesim logs them.
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ProbeTexts.h"
#include "probe_runner.h"

namespace {

using Lines = std::vector<std::string>;

ProbeRun RunProbe(const std::string& config_text, const Lines& args,
                  const std::string& stdin_text = "", int watchdog_seconds = 20) {
  Lines command = {FEPROBE};
  command.insert(command.end(), args.begin(), args.end());
  return RunUnderFesim(config_text, command, stdin_text, watchdog_seconds);
}

const char kWait1[] = "waiting for 1 seconds\n";

// Every front-processor register access is a trapped fault, a few hundred
// microseconds each in a virtual machine; the 10001-read timeouts need time.
const int kSlowWatchdog = 40;

const Lines kIdentify = {"i2c w 08 00", "i2c r 08 46"};

// The 27 steps of the chip's initialisation as they reach the bus, with the
// simulator's power-on values in the masked registers.
const Lines kInitSequence = {
    "i2c w 08 07 00",                                      // 1
    "i2c w 08 3b",       "i2c r 08 ff", "i2c w 08 3b fe",  // 2
    "i2c w 08 01",       "i2c r 08 00", "i2c w 08 01 40",  // 3 restart
    "i2c w 08 2d f0",                                      // 4
    "i2c w 08 2f 08",                                      // 5
    "i2c w 08 30 00",                                      // 6
    "i2c w 08 3e 67",                                      // 7
    "i2c w 08 4d d7 59",                                   // 8 IF word
    "usleep 120000",                                       // 9
    "i2c w 08 37",       "i2c r 08 c7", "i2c w 08 37 07",  // 10
    "i2c w 08 01 87",                                      // 11
    "i2c w 08 07",       "i2c r 08 00", "i2c w 08 07 00",  // 12
    "i2c w 08 16 88",                                      // 13
    "i2c w 08 1e 07",                                      // 14
    "i2c w 08 1f c0",                                      // 15
    "i2c w 08 37 38",                                      // 16
    "i2c w 08 3a",       "i2c r 08 15", "i2c w 08 3a 95",  // 17
    "i2c w 08 3b",       "i2c r 08 fe", "i2c w 08 3b 7e",  // 18
    "i2c w 08 3b",       "i2c r 08 7e", "i2c w 08 3b 78",  // 19
    "i2c w 08 3d",       "i2c r 08 0f", "i2c w 08 3d 6f",  // 20
    "i2c w 08 43 00",                                      // 21
    "i2c w 08 46 12",                                      // 22
    "i2c w 08 47 00",                                      // 23
    "i2c w 08 48 ff",                                      // 24
    "i2c w 08 49 00",                                      // 25
    "i2c w 08 4a ff",                                      // 26
    "i2c w 08 4f 1a",                                      // 27
};

std::string Concat(const Lines& lines) {
  std::string s;
  for (const std::string& l : lines) s += l + "\n";
  return s;
}

// The channels of a scan-table row: start + k * step while <= stop (kHz).
std::vector<long> Raster(long start, long stop, long step) {
  std::vector<long> khz;
  for (long f = start; f <= stop; f += step) khz.push_back(f);
  return khz;
}

std::vector<long> Join(std::initializer_list<std::vector<long>> parts) {
  std::vector<long> all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

// True when the last line of out is "scan took N ms" with N all digits.
bool EndsWithScanTook(const std::string& out) {
  Lines lines = SplitLines(out);
  if (lines.empty()) return false;
  const std::string& last = lines.back();
  const std::string head = "scan took ";
  const std::string tail = " ms";
  if (last.size() <= head.size() + tail.size() || last.compare(0, head.size(), head) != 0 ||
      last.compare(last.size() - tail.size(), tail.size(), tail) != 0)
    return false;
  std::string number = last.substr(head.size(), last.size() - head.size() - tail.size());
  return number.find_first_not_of("0123456789") == std::string::npos;
}

int Count(const Lines& log, const std::string& line) {
  int n = 0;
  for (const std::string& l : log) n += l == line;
  return n;
}

// ---------------------------------------------------------------- no options

TEST(FeprobeCommandLine, NoOptionsIdentifiesSetsInversionOffAndClosesBus) {
  ProbeRun r = RunProbe("", {});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, kWait1);
  EXPECT_EQ(r.err, "");
  Lines want = {"open /dev/i2c-0 rdwr",
                "open /sys/module/dvb_core/parameters/dvb_shutdown_timeout ENOENT",
                "sleep 1",
                "i2c w 08 00",
                "i2c r 08 46",
                "i2c w 08 16",
                "i2c r 08 20",
                "i2c w 08 16 20",
                "close /dev/i2c-0"};
  EXPECT_EQ(r.log, want);
}

TEST(FeprobeCommandLine, ShutdownTimeoutFileSetsTheSettlingWait) {
  struct Case {
    const char* config;
    const char* out;
    const char* sleep;
  } cases[] = {
      {"sysfs_timeout=300\\n", "waiting for 301 seconds\n", "sleep 301"},
      {"sysfs_timeout=absent", "waiting for 1 seconds\n", "sleep 1"},
      {"sysfs_timeout=0x10\\n", "waiting for 17 seconds\n", "sleep 17"},
      {"sysfs_timeout=0\\n", "waiting for 1 seconds\n", "sleep 1"},
      {"sysfs_timeout=", "waiting for 1 seconds\n", "sleep 1"},  // empty file: getline fails
      // Taken within 0 to 3600 s, whatever the file says and whatever the word size.
      {"sysfs_timeout=-5\\n", "waiting for 1 seconds\n", "sleep 1"},
      {"sysfs_timeout=3600\\n", "waiting for 3601 seconds\n", "sleep 3601"},
      {"sysfs_timeout=3601\\n", "waiting for 3601 seconds\n", "sleep 3601"},
      {"sysfs_timeout=2147483647\\n", "waiting for 3601 seconds\n", "sleep 3601"},
      {"sysfs_timeout=99999999999\\n", "waiting for 3601 seconds\n", "sleep 3601"},
      {"sysfs_timeout=999999999999999999999\\n", "waiting for 3601 seconds\n", "sleep 3601"},
      {"sysfs_timeout=-999999999999999999999\\n", "waiting for 1 seconds\n", "sleep 1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.config);
    ProbeRun r = RunProbe(c.config, {});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(LinesStartingWith(r.log, "sleep"), Lines{c.sleep});
  }
}

TEST(FeprobeCommandLine, SecondBusNodeIsUsedWhenTheFirstIsMissing) {
  ProbeRun r = RunProbe("bus=3 slash\n", {"--bus=3"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  ASSERT_GE(r.log.size(), 2u);
  EXPECT_EQ(r.log[0], "open /dev/i2c-3 ENOENT");
  EXPECT_EQ(r.log[1], "open /dev/i2c/3 rdwr");
  EXPECT_EQ(r.log.back(), "close /dev/i2c/3");
}

TEST(FeprobeCommandLine, MissingBusReportsSecondPathAndExitsOne) {
  ProbeRun r = RunProbe("", {"--bus=3"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "/dev/i2c/3: No such file or directory\n");
  EXPECT_EQ(r.log, (Lines{"open /dev/i2c-3 ENOENT", "open /dev/i2c/3 ENOENT"}));
}

TEST(FeprobeCommandLine, UsageTextListsEveryOptionWithTableDefaults) {
  const std::string usage =
      std::string("usage: ") + FEPROBE + " [options]\n" + kvtest::kFeprobeUsageOptions;
  for (const Lines& args : {Lines{"--help"}, Lines{"-h"}, Lines{"-help"},
                            Lines{"--al=9", "--scan", "--help", "--bogus"}}) {
    SCOPED_TRACE(args[0]);
    ProbeRun r = RunProbe("", args);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, usage);
    EXPECT_TRUE(r.log.empty()) << "help must not touch a device";
  }
}

TEST(FeprobeCommandLine, UnknownOptionPrintsGetoptMessageAndUsageAndExitsOne) {
  ProbeRun r = RunProbe("", {"--bogus"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("bogus"), std::string::npos) << r.err;
  EXPECT_NE((r.out + r.err).find("\t--if=val\t(default: 36166667)\n"), std::string::npos);
  EXPECT_TRUE(r.log.empty());
}

TEST(FeprobeCommandLine, ValueThatDoesNotFitItsFieldIsRefusedBeforeTheBus) {
  ProbeRun r = RunProbe("", {"--scan", "--test=8"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "option --test: 8 is out of range (0 to 7)\n");
  EXPECT_TRUE(r.log.empty());
}

TEST(FeprobeCommandLine, OptionValueWithoutArgumentExitsOne) {
  ProbeRun r = RunProbe("", {"--freq"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE((r.out + r.err).find("usage: "), std::string::npos);
  EXPECT_TRUE(r.log.empty());
}

// ------------------------------------------------------------ identification

TEST(FeprobeIdentify, RevisionByteDecidesBetweenGoOnAndMessages) {
  struct Case {
    const char* id;
    int status;
    const char* err;
  } cases[] = {
      {"0x46", 0, ""},
      {"0x45", 0, ""},
      {"0x47", 1, "unknown tda revision 47. need to wake up? (option --wakeup)\n"},
      {"0x00", 1,
       "unknown tda revision 00. need to wake up? (option --wakeup)\n"
       "maybe a hardware reset is needed. (option --hw-reset)\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    ProbeRun r = RunProbe(std::string("id=") + c.id + "\n", {"--init"});
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.out, kWait1);
    if (c.status != 0) {  // nothing after a failed identification
      EXPECT_EQ(r.log.back(), std::string("i2c r 08 ") + (c.id + 2));
    }
  }
}

TEST(FeprobeIdentify, UnreadableRevisionReportsAndExitsOne) {
  ProbeRun r = RunProbe("nak_at=1\n", {});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "i2c_transfer: No such device or address\ncould not read revision\n");
  EXPECT_EQ(r.log.back(), "i2c w 08 00 nak");
}

TEST(FeprobeIdentify, WakeupClearsSleepBitBeforeIdentifying) {
  ProbeRun asleep = RunProbe("asleep=1\n", {});
  EXPECT_EQ(asleep.status, 1);
  EXPECT_NE(asleep.err.find("unknown tda revision 00"), std::string::npos);

  ProbeRun woken = RunProbe("asleep=1\n", {"--wakeup"});
  EXPECT_EQ(woken.status, 0) << woken.err;
  EXPECT_TRUE(ContainsRun(woken.log, {"sleep 1", "i2c w 08 07", "i2c r 08 01", "i2c w 08 07 00",
                                      "i2c w 08 00", "i2c r 08 46"}));
}

TEST(FeprobeIdentify, ShortTransferResultCountsAsFailure) {
  ProbeRun r = RunProbe("short_at=1\n", {});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "i2c_transfer: 1 of 2 messages transferred\ncould not read revision\n");
}

// ------------------------------------------------------------ initialisation

TEST(FeprobeInit, InitWritesTheTwentySevenStepsInOrder) {
  ProbeRun r = RunProbe("", {"--init"});
  EXPECT_EQ(r.status, 0) << r.err;
  Lines want = {"open /dev/i2c-0 rdwr",
                "open /sys/module/dvb_core/parameters/dvb_shutdown_timeout ENOENT", "sleep 1"};
  want.insert(want.end(), kIdentify.begin(), kIdentify.end());
  want.insert(want.end(), kInitSequence.begin(), kInitSequence.end());
  for (const char* l : {"i2c w 08 16", "i2c r 08 88", "i2c w 08 16 a8", "close /dev/i2c-0"})
    want.push_back(l);
  EXPECT_EQ(Concat(r.log), Concat(want));
}

TEST(FeprobeInit, FailingInitStepReportsItsTrueErrorAndExitsOne) {
  // Transfer 1 is the identification, 2 is step 1, 3 is step 2's read of 0x3B.
  struct Case {
    const char* config;
    const char* err;
  } cases[] = {
      {"nak_at=3\n",
       "i2c_transfer: No such device or address\ntda10046_init: No such device or address\n"},
      {"short_at=3\n",
       "i2c_transfer: 1 of 2 messages transferred\ntda10046_init: Input/output error\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.config);
    ProbeRun r = RunProbe(c.config, {"--init"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.log.back(), c.config[0] == 'n' ? "i2c w 08 3b nak" : "i2c r 08 ff");
    EXPECT_EQ(Count(r.log, "i2c w 08 2d f0"), 0);
  }
}

// ---------------------------------------------------- single-frequency mode

TEST(FeprobeSingle, BandwidthOptionWritesTheTimingBytes) {
  struct Case {
    const char* bandwidth;
    const char* line;
  } cases[] = {
      {"6000000", "i2c w 08 31 7b 2e 11 f0 d2"},
      {"7000000", "i2c w 08 31 6a 02 6a 43 9f"},
      {"8000000", "i2c w 08 31 5c 32 c2 96 6d"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bandwidth);
    ProbeRun r = RunProbe("", {std::string("--bandwidth=") + c.bandwidth});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(LinesStartingWith(r.log, "i2c w 08 31"), Lines{c.line});
    EXPECT_TRUE(LinesStartingWith(r.log, "i2c w 60").empty());
  }
}

TEST(FeprobeSingle, FreqInKilohertzTunesThroughTheGate) {
  for (const char* freq : {"474", "474000", "474000000", "0x1da"}) {
    SCOPED_TRACE(freq);
    ProbeRun r = RunProbe("", {std::string("--freq=") + freq});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, kWait1);
    EXPECT_TRUE(
        ContainsRun(r.log, {"i2c w 08 07", "i2c r 08 00", "i2c w 08 07 02", "i2c w 60 0b f5 ca 64",
                            "i2c w 08 07", "i2c r 08 02", "i2c w 08 07 00", "usleep 100"}));
  }
}

// A signal while the tuner's gate may be open: the probe closes it, one line,
// 128 + the signal. Before the gate is touched or once it is closed the
// signal ends the probe as it always did.
TEST(FeprobeSingle, InterruptWhileTheGateMayBeOpenClosesItFirst) {
  const char kIntClosed[] = "interrupted by SIGINT: tuner gate closed\n";
  struct Case {
    const char* config;
    int status;
    int signal;
    const char* err;
    Lines tail;  // the last lines of the log
  } cases[] = {
      {"signal_at=1\nsignal=TERM\n", -1, SIGTERM, "", {"i2c r 08 46", "signal TERM"}},
      {"signal_at=2\n",
       130,
       0,
       kIntClosed,
       {"i2c r 08 00", "signal INT", "i2c w 08 07", "i2c r 08 00", "i2c w 08 07 00"}},
      {"signal_at=3\n",
       130,
       0,
       kIntClosed,
       {"i2c r 08 00", "i2c w 08 07 02", "signal INT", "i2c w 08 07", "i2c r 08 02",
        "i2c w 08 07 00"}},
      {"signal_at=4\nsignal=TERM\n",
       143,
       0,
       "interrupted by SIGTERM: tuner gate closed\n",
       {"i2c w 08 07 02", "i2c w 60 0b f5 ca 64", "signal TERM", "i2c w 08 07", "i2c r 08 02",
        "i2c w 08 07 00"}},
      {"signal_at=5\n",
       130,
       0,
       kIntClosed,
       {"i2c w 60 0b f5 ca 64", "i2c w 08 07", "i2c r 08 02", "signal INT", "i2c w 08 07",
        "i2c r 08 02", "i2c w 08 07 00"}},
      // The close went out, but only its return says so.
      {"signal_at=6\n",
       130,
       0,
       kIntClosed,
       {"i2c w 08 07 00", "signal INT", "i2c w 08 07", "i2c r 08 00", "i2c w 08 07 00"}},
      {"signal_at=7\n", -1, SIGINT, "", {"i2c w 08 16", "i2c r 08 20", "signal INT"}},
      // The close itself fails: said so, still 130.
      {"signal_at=4\nnak_at=5\n",
       130,
       0,
       "interrupted by SIGINT: tuner gate may be open (I2C error)\n",
       {"i2c w 60 0b f5 ca 64", "signal INT", "i2c w 08 07 nak"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.config);
    ProbeRun r = RunProbe(c.config, {"--freq=474"});
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.signal, c.signal);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.out, kWait1);
    ASSERT_GE(r.log.size(), c.tail.size());
    EXPECT_EQ(Lines(r.log.end() - static_cast<long>(c.tail.size()), r.log.end()), c.tail);
  }
}

// A probe started in the background with SIGINT ignored keeps ignoring it.
TEST(FeprobeSingle, InterruptIgnoredByTheParentStaysIgnored) {
  struct sigaction ignore = {};
  struct sigaction old = {};
  ignore.sa_handler = SIG_IGN;
  ASSERT_EQ(sigaction(SIGINT, &ignore, &old), 0);
  ProbeRun r = RunProbe("signal_at=3\n", {"--freq=474"});
  sigaction(SIGINT, &old, nullptr);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(ContainsRun(r.log, {"i2c w 08 07 02", "signal INT", "i2c w 60 0b f5 ca 64"}));
  ASSERT_FALSE(r.log.empty());
  EXPECT_EQ(r.log.back(), "close /dev/i2c-0");
}

TEST(FeprobeSingle, FreqWithBandwidthTakesHertzAndTheTunerRejects474Hz) {
  ProbeRun r = RunProbe("", {"--freq=474", "--bandwidth=8000000"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, kWait1);
  EXPECT_EQ(LinesStartingWith(r.log, "i2c w 08 31"), Lines{"i2c w 08 31 5c 32 c2 96 6d"});
  EXPECT_TRUE(LinesStartingWith(r.log, "i2c w 60").empty());
}

TEST(FeprobeSingle, FreqTooLargeToScaleIsRefused) {
  ProbeRun r = RunProbe("", {"--freq=5000000"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "frequency too large: 5000000\n");
  EXPECT_TRUE(LinesStartingWith(r.log, "i2c w 60").empty());
}

TEST(FeprobeSingle, PllMessageCarriesTheEightMegahertzBitInsideTheGate) {
  struct Case {
    const char* bandwidth;
    const char* pll;
  } cases[] = {{"8000000", "i2c w 60 0b f5 ca 6c"}, {"7000000", "i2c w 60 0b f5 ca 64"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bandwidth);
    ProbeRun r = RunProbe("", {"--freq=474000000", std::string("--bandwidth=") + c.bandwidth});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, kWait1);  // no callback in single-frequency mode
    EXPECT_TRUE(ContainsRun(r.log, {"i2c w 08 07", "i2c r 08 00", "i2c w 08 07 02", c.pll,
                                    "i2c w 08 07", "i2c r 08 02", "i2c w 08 07 00", "usleep 100",
                                    "i2c w 08 01 97 80 c0", "i2c w 08 01 d7", "i2c w 08 10 00"}));
  }
}

TEST(FeprobeSingle, TunerOptionsReachTheTunerMessage) {
  // The simulated tuner is told the same settings, so it checks the bytes.
  struct Case {
    Lines args;
    const char* config;
    const char* pll;
  } cases[] = {
      {{"--cp=7", "--test=0"},
       "cp=7\ntest=0\n",
       "i2c w 60 0b f5 c2 ec"},  // fixed pump, no test bits
      {{"--test=3"}, "test=3\n", "i2c w 60 0b f5 da 6c"},
      {{"--step-size=62500"}, "step=62500\n", "i2c w 60 1f e3 c8 6c"},  // N 8163, ratio code 0
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pll);
    Lines args = {"--freq=474000000", "--bandwidth=8000000"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    ProbeRun r = RunProbe(c.config, args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(LinesStartingWith(r.log, "i2c w 60"), Lines{c.pll});
  }
}

TEST(FeprobeSingle, UnsupportedStepSizeIsRefused) {
  ProbeRun r = RunProbe("", {"--freq=474", "--step-size=100000"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "invalid step_size: 100000\n");
  EXPECT_TRUE(LinesStartingWith(r.log, "i2c w 60").empty());
}

TEST(FeprobeSingle, LockedChannelGetsItsParametersProgrammedBack) {
  ProbeRun r =
      RunProbe("channel=474000000 8000000 mode=8k guard=1/8 mod=qam16 hier=2 hp=3/4 lp=5/6\n",
               {"--freq=474000000", "--bandwidth=8000000"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(
      ContainsRun(r.log, {"i2c w 08 06", "i2c r 08 0f", "i2c w 08 04", "i2c r 08 59 13",
                          "i2c w 08 16", "i2c r 08 20", "i2c w 08 01 a0 59 13", "i2c w 08 01 e0"}));
}

TEST(FeprobeSingle, InversionModulationResetAndSleepInTheirOrder) {
  ProbeRun r = RunProbe("", {"--inversion=1", "--modulation=64", "--reset", "--sleep"});
  EXPECT_EQ(r.status, 0) << r.err;
  Lines tail(r.log.end() - 13, r.log.end());
  EXPECT_EQ(tail, (Lines{"i2c w 08 16", "i2c r 08 20", "i2c w 08 16 00",  // inversion on
                         "i2c w 08 04", "i2c r 08 00", "i2c w 08 04 02",  // QAM 64
                         "i2c w 08 01", "i2c r 08 00", "i2c w 08 01 40",  // restart
                         "i2c w 08 07", "i2c r 08 00", "i2c w 08 07 01",  // sleep
                         "close /dev/i2c-0"}));
}

TEST(FeprobeSingle, BadInversionOrModulationExitsOneWithoutWriting) {
  for (const Lines& args : {Lines{"--inversion=2"}, Lines{"--modulation=32"}}) {
    SCOPED_TRACE(args[0]);
    ProbeRun r = RunProbe("", args);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(Count(r.log, "close /dev/i2c-0"), 0);
  }
}

TEST(FeprobeSingle, ResetOnFailingBusExitsOne) {
  // 1 identification, 2-3 inversion, 4 the restart's read of 0x01.
  ProbeRun r = RunProbe("nak_at=4\n", {"--reset"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.log.back(), "i2c w 08 01 nak");
}

// ------------------------------------------------------------------- scans

TEST(FeprobeScan, DefaultScanTunesFiftySevenChannelsInTableOrder) {
  const std::string config =
      "channel=177500000 7000000\n"
      "channel=490000000 8000000 mode=8k guard=1/4 mod=qam64 hp=2/3 lp=2/3 offset=1\n"
      "channel=610000000 8000000 mode=8k guard=1/8 mod=qam16 hier=2 hp=3/4 lp=5/6 inv=on\n"
      "channel=858000000 8000000 mode=2k guard=1/16 mod=qam64 hier=4 hp=7/8 offset=2\n";
  ProbeRun r = RunProbe(config, {"--scan", "--verbose"});
  ASSERT_EQ(r.status, 0) << r.err;

  std::vector<long> nominal = Join(
      {Raster(177500, 226500, 7000), Raster(474000, 602000, 8000), Raster(610000, 858000, 8000)});
  ASSERT_EQ(nominal.size(), 57u);
  std::vector<long> tuned;
  std::string want_out = "waiting for 1 seconds\n";
  for (long f : nominal) {
    tuned.push_back(f);
    long bw = f < 474000 ? 7000000 : 8000000;
    if (f == 177500) {
      want_out +=
          "OK 177500 7000000 TRANSMISSION_MODE_2K GUARD_INTERVAL_1_32 QPSK HIERARCHY_NONE "
          "FEC_1_2 FEC_1_2 INVERSION_OFF\n";
    } else if (f == 490000) {
      tuned.push_back(490167);  // code 1 reported: retuned 166,667 Hz up
      want_out +=
          "OK 490167 8000000 TRANSMISSION_MODE_8K GUARD_INTERVAL_1_4 QAM_64 "
          "HIERARCHY_NONE FEC_2_3 FEC_2_3 INVERSION_OFF\n";
    } else if (f == 610000) {
      want_out +=
          "OK 610000 8000000 TRANSMISSION_MODE_8K GUARD_INTERVAL_1_8 QAM_16 HIERARCHY_2 "
          "FEC_3_4 FEC_5_6 INVERSION_ON\n";
    } else if (f == 858000) {
      tuned.push_back(857833);  // code 2: 166,667 Hz down
      want_out +=
          "OK 857833 8000000 TRANSMISSION_MODE_2K GUARD_INTERVAL_1_16 QAM_64 HIERARCHY_4 "
          "FEC_7_8 FEC_1_2 INVERSION_OFF\n";
    } else {
      want_out += "FAILED " + std::to_string(f) + " " + std::to_string(bw) + "\n";
    }
  }
  EXPECT_EQ(TunedKhz(r.log), tuned);
  ASSERT_TRUE(EndsWithScanTook(r.out)) << r.out;
  EXPECT_EQ(r.out.substr(0, r.out.rfind("scan took")), want_out);
  EXPECT_EQ(Count(r.log, "i2c w 08 31 6a 02 6a 43 9f"), 8);
  EXPECT_EQ(Count(r.log, "i2c w 08 31 5c 32 c2 96 6d"), 49);
  EXPECT_EQ(r.log.back(), "close /dev/i2c-0");
}

TEST(FeprobeScan, WithoutVerboseOnlyLockedChannelsPrint) {
  ProbeRun r = RunProbe("channel=474000000 8000000\n", {"--scan"});
  EXPECT_EQ(r.status, 0) << r.err;
  Lines out = SplitLines(r.out);
  ASSERT_EQ(out.size(), 3u) << r.out;
  EXPECT_EQ(out[1],
            "OK 474000 8000000 TRANSMISSION_MODE_2K GUARD_INTERVAL_1_32 QPSK HIERARCHY_NONE "
            "FEC_1_2 FEC_1_2 INVERSION_OFF");
  EXPECT_TRUE(EndsWithScanTook(r.out));
}

TEST(FeprobeScan, ScanBands2020ScansRowsInTableOrderNotFrequencyOrder) {
  ProbeRun r = RunProbe("", {"--scan", "--scan-bands=0x2020"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(TunedKhz(r.log), Join({Raster(529500, 578500, 7000), Raster(474000, 602000, 8000)}));
  EXPECT_TRUE(EndsWithScanTook(r.out));
}

TEST(FeprobeScan, RowAnswersToEitherOfItsMaskBits) {
  ProbeRun r = RunProbe("", {"--scan", "--scan-bands=0x1000"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(TunedKhz(r.log), Raster(177500, 226500, 7000));
}

TEST(FeprobeScan, WaitOptionReadsALinePerLockedChannelAndSurvivesEndOfInput) {
  ProbeRun r = RunProbe("channel=474000000 8000000\nchannel=482000000 8000000\n",
                        {"--scan", "--scan-bands=0x20", "--wait"}, "\n");
  EXPECT_FALSE(r.timed_out);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\nOK 474000 "), std::string::npos);
  EXPECT_NE(r.out.find("\nOK 482000 "), std::string::npos);
  EXPECT_TRUE(EndsWithScanTook(r.out));
}

TEST(FeprobeScan, ScanBands80StopsAtFortyEightMegahertzWithoutResultOrTiming) {
  ProbeRun r = RunProbe("", {"--scan", "--scan-bands=0x80", "--verbose"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, kWait1);
  EXPECT_EQ(LinesStartingWith(r.log, "i2c w 08 31"), Lines{"i2c w 08 31 7b 2e 11 f0 d2"});
  EXPECT_TRUE(LinesStartingWith(r.log, "i2c w 60").empty());
  EXPECT_EQ(Count(r.log, "close /dev/i2c-0"), 0);
}

TEST(FeprobeScan, ScanBandsZeroExitsOneSilentlyAfterIdentifying) {
  ProbeRun r = RunProbe("", {"--scan", "--scan-bands=0"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, kWait1);
  EXPECT_EQ(r.err, "") << "a mask selecting no band ends without a message";
  ASSERT_FALSE(r.log.empty());
  EXPECT_EQ(r.log.back(), "i2c r 08 46");
}

TEST(FeprobeScan, OffsetCodeThreeRetunesAt333333HzAbove) {
  ProbeRun r = RunProbe("channel=474000000 8000000 mode=8k offset=3\n",
                        {"--scan", "--scan-bands=0x20", "--verbose"});
  EXPECT_EQ(r.status, 0) << r.err;
  // Nominal (code 7 written), chip reports 3, retune at +333,333 Hz with code 3.
  EXPECT_TRUE(ContainsRun(r.log, {"i2c w 08 04", "i2c r 08 10 c0", "i2c w 08 07", "i2c r 08 00",
                                  "i2c w 08 07 02", "i2c w 60 0b f7 ca 6c"}));
  EXPECT_EQ(Count(r.log, "i2c w 08 01 97 80 c0"), 17);  // every first attempt: code 7
  EXPECT_EQ(Count(r.log, "i2c w 08 01 97 00 c0"), 1);   // the retune: code 3
  EXPECT_NE(r.out.find("\nOK 474333 8000000 TRANSMISSION_MODE_8K "), std::string::npos) << r.out;
}

TEST(FeprobeScan, ChannelReportingACodeIsTunedAtMostTwice) {
  ProbeRun r = RunProbe("channel=474000000 8000000 offset=3 lock=no\n",
                        {"--scan", "--scan-bands=0x20", "--verbose"});
  EXPECT_EQ(r.status, 0) << r.err;
  std::vector<long> tuned = TunedKhz(r.log);
  ASSERT_GE(tuned.size(), 3u);
  EXPECT_EQ(tuned[0], 474000);
  EXPECT_EQ(tuned[1], 474333);
  EXPECT_EQ(tuned[2], 482000);
  EXPECT_NE(r.out.find("\nFAILED 474000 8000000\n"), std::string::npos) << r.out;
}

TEST(FeprobeScan, LockShownAfterSomePollsStillCounts) {
  ProbeRun r =
      RunProbe("lock_delay=5\nchannel=474000000 8000000\n", {"--scan", "--scan-bands=0x20"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\nOK 474000 8000000 "), std::string::npos) << r.out;
}

TEST(FeprobeScan, NakMidScanEndsWithStatusOneAndNoTiming) {
  // Fail a transfer well inside the list: after the first channel's lines.
  ProbeRun failed = RunProbe("channel=474000000 8000000\nnak_at=150\n",
                             {"--scan", "--verbose", "--scan-bands=0x20"});
  EXPECT_EQ(failed.status, 1);
  EXPECT_FALSE(EndsWithScanTook(failed.out));
  EXPECT_NE(failed.out.find("OK 474000 8000000"), std::string::npos) << failed.out;
  EXPECT_EQ(failed.out.find("scan took"), std::string::npos);
  EXPECT_NE(failed.err.find("i2c_transfer: No such device or address"), std::string::npos);
  ASSERT_FALSE(failed.log.empty());
  EXPECT_NE(failed.log.back().find(" nak"), std::string::npos) << failed.log.back();
}

TEST(FeprobeScan, TunerNakLeavesGateOpenAndEndsScan) {
  ProbeRun r = RunProbe("nak_addr=0x60\n", {"--scan", "--scan-bands=0x20"});
  EXPECT_EQ(r.status, 1);
  ASSERT_GE(r.log.size(), 2u);
  EXPECT_EQ(r.log[r.log.size() - 2], "i2c w 08 07 02");
  EXPECT_EQ(r.log.back(), "i2c w 60 0b f5 ca 6c nak");
}

TEST(FeprobeScan, ChipWhoseCounterNeverCountsEndsLockWaitWithinBound) {
  ProbeRun r = RunProbe("counter=stuck\n", {"--scan", "--scan-bands=0x20"});
  EXPECT_FALSE(r.timed_out);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("lock wait timeout at 474000000 Hz"), std::string::npos) << r.err;
  EXPECT_EQ(r.out.find("scan took"), std::string::npos);
  EXPECT_LT(r.seconds, 20.0);  // about two seconds expected
  EXPECT_EQ(TunedKhz(r.log), std::vector<long>{474000});
}

// The lock wait and the front processor's busy wait each end after 2 s of
// the monotonic clock. At 100 ms a read, the 20th poll is the last.
TEST(FeprobeBounds, BusyWaitsEndAfterTwoSecondsOfTheMonotonicClock) {
  const struct Row {
    const char* config;
    Lines args;
    int status;
    const char* err;
  } rows[] = {
      {"clock_tick_us=100000\ncounter=stuck\nlock_delay=19\nchannel=474000000 8000000\n",
       {"--freq=474000000", "--bandwidth=8000000"},
       0,
       ""},
      {"clock_tick_us=100000\ncounter=stuck\nlock_delay=20\nchannel=474000000 8000000\n",
       {"--freq=474000000", "--bandwidth=8000000"},
       1,
       "lock wait timeout at 474000000 Hz\n"},
      {"clock_tick_us=100000\nfp_busy=19\n", {"--hw-reset"}, 0, ""},
      {"clock_tick_us=100000\nfp_busy=20\n",
       {"--hw-reset"},
       1,
       "fp busy timeout\nfp_reset_bus(0) failed\n"},
  };
  for (const Row& row : rows) {
    ProbeRun r = RunProbe(row.config, row.args, "\n");
    EXPECT_EQ(r.status, row.status) << row.config << r.err;
    EXPECT_EQ(r.err, row.err) << row.config;
  }
}

// A scan or tuning that stops for a reason its output does not show names it
// in one line on standard error; the output and the status stay.
TEST(FeprobeScan, SilentStopsSayWhyInOneLine) {
  const char kPump[] = "no automatic charge pump for oscillator frequency ";
  struct Case {
    const char* config;
    Lines args;
    std::string err;
  } cases[] = {
      {"",
       {"--scan", "--scan-bands=0x1", "--verbose"},  // 50.5 MHz: oscillator 86.67 MHz
       std::string(kPump) + "86666667 Hz (87 to 895 MHz)\n"},
      {"",
       {"--freq=474", "--bandwidth=8000000"},  // 474 Hz
       std::string(kPump) + "36167141 Hz (87 to 895 MHz)\n"},
      {"cp=3\n",
       {"--freq=870", "--cp=3"},
       "frequency 870000000 Hz outside the tuner's bands (49 to 861 MHz)\n"},
      {"", {"--inversion=2"}, "invalid inversion: 2\n"},
      {"", {"--modulation=32"}, "invalid modulation: 32\n"},
      {"", {"--bandwidth=1000000"}, "invalid bandwidth: 1000000\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.back());
    ProbeRun r = RunProbe(c.config, c.args);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, kWait1);
    EXPECT_EQ(r.err, c.err);
  }
}

// The whole default scan against transmitters with every offset code and
// every value of every parameter: the model checks each tuner message (for
// the settings given), each acquisition's offset code, each write-back of a
// locked channel's parameters and the gate after each tuner access; any
// mismatch fails the run (status 3).
TEST(FeprobeScan, DefaultScanBytesMatchTheModelForEverySetting) {
  const std::string channels =
      "channel=177500000 7000000\n"
      "channel=191500000 7000000 offset=1 mode=8k guard=1/16 mod=qam16 hier=1 hp=2/3 lp=3/4\n"
      "channel=212500000 7000000 offset=6 guard=1/8 mod=qam64 hier=2 hp=3/4 lp=5/6 inv=on\n"
      "channel=474000000 8000000 offset=2 mode=8k guard=1/4 hier=4 hp=5/6 lp=7/8\n"
      "channel=506000000 8000000 offset=3 mod=qam64 hp=7/8\n"
      "channel=586000000 8000000 offset=4 mode=8k guard=1/8\n"
      "channel=610000000 8000000 offset=5 mod=qam16 lp=2/3\n"
      "channel=690000000 8000000 offset=3 lock=no\n"
      "channel=794000000 8000000 mode=8k mod=qam16 hp=2/3\n"
      "channel=858000000 8000000 offset=2 hier=1\n";
  std::vector<long> tuned;
  const std::vector<std::pair<long, long>> retunes = {
      {191500, 191667}, {212500, 212000}, {474000, 473833}, {506000, 506333},
      {586000, 585667}, {610000, 610500}, {690000, 690333}, {858000, 857833}};
  for (long f : Join({Raster(177500, 226500, 7000), Raster(474000, 602000, 8000),
                      Raster(610000, 858000, 8000)})) {
    tuned.push_back(f);
    for (const auto& r : retunes)
      if (r.first == f) tuned.push_back(r.second);
  }
  struct Case {
    Lines args;
    const char* settings;
  } cases[] = {
      {{}, ""},
      {{"--cp=6"}, "cp=6\n"},
      {{"--test=0"}, "test=0\n"},
      {{"--test=7", "--cp=1"}, "test=7\ncp=1\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.settings);
    Lines args = {"--scan", "--verbose"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    ProbeRun r = RunProbe(channels + c.settings, args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(TunedKhz(r.log), tuned);
    Lines out = SplitLines(r.out);
    EXPECT_EQ(std::count_if(out.begin(), out.end(),
                            [](const std::string& l) { return l.rfind("OK ", 0) == 0; }),
              9);
    EXPECT_TRUE(LinesStartingWith(r.log, "protocol error").empty());
  }
  // The check is live: told other test bits, the model refuses every message.
  ProbeRun wrong = RunProbe(channels + "test=2\n", {"--scan"});
  EXPECT_EQ(wrong.status, 3);
  EXPECT_EQ(LinesStartingWith(wrong.log, "protocol error: tuner byte 2 ca, expected d2").size(),
            tuned.size());
  EXPECT_EQ(wrong.err.rfind("fesim: 65 protocol error(s), the first: tuner byte 2 ca", 0), 0u)
      << wrong.err;
}

// A wall-clock step (NTP at boot, a user setting the date) in the middle of a
// wait: the waits and the scan's time run on the monotonic clock.
TEST(FeprobeClock, WallClockStepNeitherEndsAWaitNorMakesTimeNegative) {
  const std::string lock = "lock_delay=5\nchannel=474000000 8000000\n";
  const Lines single = {"--freq=474000000", "--bandwidth=8000000"};
  struct Case {
    const char* what;
    std::string config;
    Lines args;
    bool front_processor;
  } cases[] = {
      {"forward in the lock wait", "clock_step=7200\n" + lock, single, false},
      {"backward in the lock wait", "clock_step=-7200\n" + lock, single, false},
      {"backward across a scan",
       "clock_step=-7200\n" + lock,
       {"--scan", "--scan-bands=0x20"},
       false},
      {"forward while the processor is busy",
       "clock_step=7200\nfp_busy=200\n",
       {"--hw-reset"},
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.front_processor && !FESIM_FP_TRAPS) continue;
    ProbeRun r = RunProbe(c.config, c.args, "\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    if (c.args[0] == "--scan") {
      EXPECT_NE(r.out.find("\nOK 474000 "), std::string::npos) << r.out;
      EXPECT_TRUE(EndsWithScanTook(r.out)) << r.out;
    }
  }
}

// -------------------------------------------------------- hardware reset

// The front-processor windows are simulated on x86-64 only.
class FeprobeHwReset : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!FESIM_FP_TRAPS) GTEST_SKIP() << "no front-processor simulation on this architecture";
  }
};

TEST_F(FeprobeHwReset, ResetSendsBothFramesForTheBus) {
  struct Case {
    const char* bus;
    Lines fp;
  } cases[] = {
      {"0",
       {"fp 47", "fp 02", "fp 80", "fp 00", "fp bf", "fp 47", "fp 02", "fp 80", "fp ff", "fp 40"}},
      {"1",
       {"fp 47", "fp 02", "fp 81", "fp 00", "fp be", "fp 47", "fp 02", "fp 81", "fp ff", "fp 41"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bus);
    ProbeRun r = RunProbe("", {"--hw-reset", std::string("--bus=") + c.bus}, "\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Press CTRL-C now if this is not a RB4160!\n");
    EXPECT_EQ(r.err, "");
    Lines want = {"open /dev/mem rdwr sync", "mmap /dev/mem 18000000 4096",
                  "mmap /dev/mem 1e000000 4096"};
    want.insert(want.end(), c.fp.begin(), c.fp.end());
    for (const char* l :
         {"munmap /dev/mem 1e000000 4096", "munmap /dev/mem 18000000 4096", "close /dev/mem"})
      want.push_back(l);
    EXPECT_EQ(r.log, want);
  }
}

TEST_F(FeprobeHwReset, OtherOptionsHaveNoEffect) {
  ProbeRun r = RunProbe("", {"--scan", "--init", "--hw-reset", "--freq=474"}, "\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(LinesStartingWith(r.log, "i2c").empty());
  EXPECT_EQ(LinesStartingWith(r.log, "fp ").size(), 10u);
}

TEST_F(FeprobeHwReset, BusTwoIsRefusedWithoutSending) {
  ProbeRun r = RunProbe("", {"--hw-reset", "--bus=2"}, "\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "Press CTRL-C now if this is not a RB4160!\n");
  EXPECT_EQ(r.err, "fp_reset_bus(2) failed\n");
  EXPECT_TRUE(LinesStartingWith(r.log, "fp ").empty());
}

TEST(FeprobeHwResetSetup, MissingDevMemFailsInit) {
  ProbeRun r = RunProbe("mem=absent\n", {"--hw-reset"}, "\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "/dev/mem: No such file or directory\nfp_init() failed\n");
  EXPECT_EQ(r.log, Lines{"open /dev/mem ENOENT"});
}

TEST_F(FeprobeHwReset, TransmitterNeverReadyAbandonsTheFrameAndFails) {
  ProbeRun r = RunProbe("fp_ready_after=never\n", {"--hw-reset"}, "\n", kSlowWatchdog);
  EXPECT_FALSE(r.timed_out);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "!!! FP TX TIMEOUT\nfp_reset_bus(0) failed\n");
  EXPECT_TRUE(LinesStartingWith(r.log, "fp ").empty());
}

TEST_F(FeprobeHwReset, ReadyBitGetsExactlyTenThousandAndOneReads) {
  // Ready on the 10001st read of the first byte: every byte goes out.
  ProbeRun in_time = RunProbe("fp_ready_first=10000\n", {"--hw-reset"}, "\n", kSlowWatchdog);
  EXPECT_EQ(in_time.status, 0) << in_time.err;
  EXPECT_EQ(LinesStartingWith(in_time.log, "fp ").size(), 10u);
  // One read later: the first byte times out and the frame is abandoned.
  ProbeRun late = RunProbe("fp_ready_first=10001\n", {"--hw-reset"}, "\n", kSlowWatchdog);
  EXPECT_EQ(late.status, 1);
  EXPECT_EQ(late.err, "!!! FP TX TIMEOUT\nfp_reset_bus(0) failed\n");
  EXPECT_TRUE(LinesStartingWith(late.log, "fp ").empty());
}

TEST_F(FeprobeHwReset, EveryByteWaitsForTheReadyBit) {
  ProbeRun r = RunProbe("fp_ready_after=20\n", {"--hw-reset", "--bus=1"}, "\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(LinesStartingWith(r.log, "fp ").size(), 10u);
}

TEST_F(FeprobeHwReset, BusyProcessorDelaysThenSends) {
  ProbeRun r = RunProbe("fp_busy=50\n", {"--hw-reset"}, "\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(LinesStartingWith(r.log, "fp ").size(), 10u);
}

TEST_F(FeprobeHwReset, AlwaysBusyProcessorFailsWithinBound) {
  ProbeRun r = RunProbe("fp_busy=always\n", {"--hw-reset"}, "\n");
  EXPECT_FALSE(r.timed_out);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "fp busy timeout\nfp_reset_bus(0) failed\n");
  EXPECT_TRUE(LinesStartingWith(r.log, "fp ").empty());
  EXPECT_LT(r.seconds, 20.0);  // about two seconds expected
}

}  // namespace
