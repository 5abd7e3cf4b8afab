// Command-line options: defaults, the exact usage text, and parsing with
// getopt_long_only (one or two dashes, strtol base 0, -h, unknown options).
#include <gtest/gtest.h>

#include <getopt.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ProbeTexts.h"
#include "options.h"

namespace {

// Writes through f into a string.
template <typename Fn>
std::string Capture(Fn fn) {
  char* buf = nullptr;
  size_t size = 0;
  FILE* f = open_memstream(&buf, &size);
  fn(f);
  fclose(f);
  std::string out(buf, size);
  free(buf);
  return out;
}

class Options : public testing::Test {
 protected:
  void SetUp() override {
    memset(&values, 0, sizeof(values));
    options_table(table, &values);
    set_option_defaults(table);
  }

  // Parses args after the program name "feprobe"; stdout and stderr captured.
  int Parse(std::vector<std::string> args) {
    args.insert(args.begin(), "feprobe");
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(&a[0]);
    argv.push_back(nullptr);
    optind = 0;  // full reset of getopt between parses
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    int ret = options_parse(table, static_cast<int>(args.size()), argv.data());
    out = testing::internal::GetCapturedStdout();
    err = testing::internal::GetCapturedStderr();
    return ret;
  }

  probe_options values;
  probe_option_row table[PROBE_OPTION_COUNT + 1];
  std::string out;
  std::string err;
};

const std::string kUsage = std::string("usage: feprobe [options]\n") + kvtest::kFeprobeUsageOptions;

TEST_F(Options, DefaultsOnlyForOptionsWithAValue) {
  probe_options v;
  memset(&v, 0x55, sizeof(v));
  probe_option_row t[PROBE_OPTION_COUNT + 1];
  options_table(t, &v);
  set_option_defaults(t);
  EXPECT_EQ(0, v.bus);
  EXPECT_EQ(0, v.bandwidth);
  EXPECT_EQ(100, v.scan_bands);
  EXPECT_EQ(4, v.al);
  EXPECT_EQ(36166667, v.if_freq);
  EXPECT_EQ(166667, v.step_size);
  EXPECT_EQ(1, v.test);
  EXPECT_EQ(0x55555555, v.scan);  // switches are not defaulted
  EXPECT_EQ(0x55555555, v.hw_reset);
}

TEST_F(Options, UsageTextExactly) {
  EXPECT_EQ(kUsage, Capture([&](FILE* f) { usage(f, table, "feprobe"); }));
}

TEST_F(Options, UsageShowsTableDefaultsNotParsedValues) {
  ASSERT_EQ(OPTIONS_RUN, Parse({"--al=6", "--if=1"}));
  EXPECT_EQ(kUsage, Capture([&](FILE* f) { usage(f, table, "feprobe"); }));
}

TEST_F(Options, PrintOptionsShowsCurrentValuesAndHelpWithoutVariable) {
  values.freq = 474;
  std::string text = Capture([&](FILE* f) { print_options(f, table); });
  EXPECT_EQ(0u, text.find("hw-reset=0\nbus=0\n"));
  EXPECT_NE(std::string::npos, text.find("\nfreq=474\nif=36166667\n"));
  EXPECT_NE(std::string::npos, text.find("\ntest=1\nhelp=NULL\nverbose=0\nwait=0\n"));
}

TEST_F(Options, ValuesWithStrtolBaseZero) {
  const struct {
    std::vector<std::string> args;
    int* var;
    int value;
  } cases[] = {
      {{"--freq=474"}, &values.freq, 474},
      {{"--freq", "474"}, &values.freq, 474},
      {{"-freq=474"}, &values.freq, 474},
      {{"-freq", "474"}, &values.freq, 474},
      {{"--scan-bands=0x2020"}, &values.scan_bands, 0x2020},
      {{"--bus=010"}, &values.bus, 8},
      {{"--bandwidth=8000000"}, &values.bandwidth, 8000000},
      {{"--cp=abc"}, &values.cp, 0},
      {{"--freq=12abc"}, &values.freq, 12},
      {{"--inversion=-1"}, &values.inversion, -1},
      {{"--step-size=62500"}, &values.step_size, 62500},
      {{"--if=36166666"}, &values.if_freq, 36166666},
  };
  for (const auto& c : cases) {
    SetUp();
    ASSERT_EQ(OPTIONS_RUN, Parse(c.args)) << c.args[0] << err;
    EXPECT_EQ(c.value, *c.var) << c.args[0];
    EXPECT_EQ("", out);
  }
}

// Each value lands in a field (3-bit tuner fields, unsigned 32-bit Hz, int);
// one that does not fit is refused, naming the range, and nothing is stored.
TEST_F(Options, ValuesThatDoNotFitTheirFieldAreRefusedWithTheRange) {
  const struct {
    std::vector<std::string> args;
    const char* err;
  } cases[] = {
      {{"--cp=8"}, "option --cp: 8 is out of range (0 to 7)\n"},
      {{"--test=-1"}, "option --test: -1 is out of range (0 to 7)\n"},
      {{"--atc=16"}, "option --atc: 16 is out of range (0 to 15)\n"},
      {{"--al", "0x8"}, "option --al: 0x8 is out of range (0 to 7)\n"},
      {{"--freq=4294967296"}, "option --freq: 4294967296 is out of range (0 to 4294967295)\n"},
      {{"--bus=-1"}, "option --bus: -1 is out of range (0 to 2147483647)\n"},
      {{"--inversion=2147483648"},
       "option --inversion: 2147483648 is out of range (-2147483648 to 2147483647)\n"},
      {{"--scan-bands=99999999999999999999"},
       "option --scan-bands: 99999999999999999999 is out of range (0 to 4294967295)\n"},
      {{"--cp=9", "--test=9"}, "option --cp: 9 is out of range (0 to 7)\n"},
  };
  for (const auto& c : cases) {
    SetUp();
    EXPECT_EQ(OPTIONS_BAD, Parse(c.args)) << c.args[0];
    EXPECT_EQ(c.err, err);
    EXPECT_EQ("", out) << c.args[0];
    EXPECT_EQ(0, values.cp);
    EXPECT_EQ(0, values.freq);
  }
  SetUp();
  EXPECT_EQ(OPTIONS_HELP, Parse({"--cp=9", "--help"}));
}

// The edges fit; an unsigned 32-bit value keeps its 32 bits on every target.
TEST_F(Options, ValuesAtTheEdgesOfTheirFieldsAreKept) {
  ASSERT_EQ(OPTIONS_RUN,
            Parse({"--cp=7", "--test=0", "--atc=15", "--al=7", "--freq=4294967295",
                   "--scan-bands=0xffffffff", "--inversion=-2147483648", "--bus=2147483647"}))
      << err;
  EXPECT_EQ(7, values.cp);
  EXPECT_EQ(0, values.test);
  EXPECT_EQ(15, values.atc);
  EXPECT_EQ(7, values.al);
  EXPECT_EQ(4294967295u, static_cast<uint32_t>(values.freq));
  EXPECT_EQ(0xffffffffu, static_cast<uint32_t>(values.scan_bands));
  EXPECT_EQ(INT32_MIN, values.inversion);
  EXPECT_EQ(INT32_MAX, values.bus);
}

TEST_F(Options, SwitchesBecomeOne) {
  ASSERT_EQ(OPTIONS_RUN, Parse({"--scan", "-verbose", "--wait", "--hw-reset", "--init"}));
  EXPECT_EQ(1, values.scan);
  EXPECT_EQ(1, values.verbose);
  EXPECT_EQ(1, values.wait);
  EXPECT_EQ(1, values.hw_reset);
  EXPECT_EQ(1, values.init);
  EXPECT_EQ(0, values.sleep);
  EXPECT_EQ(0, values.reset);
}

TEST_F(Options, HelpPrintsUsageAndStopsAtOnce) {
  for (const char* h : {"-h", "--help", "-help"}) {
    SetUp();
    EXPECT_EQ(OPTIONS_HELP, Parse({"--freq=5", h, "--bogus"})) << h;
    EXPECT_EQ(kUsage, out) << h;
    EXPECT_EQ("", err) << h;
  }
}

TEST_F(Options, UnknownOptionOrMissingValueGivesGetoptMessageAndUsage) {
  EXPECT_EQ(OPTIONS_BAD, Parse({"--bogus"}));
  EXPECT_EQ(kUsage, out);
  EXPECT_NE(std::string::npos, err.find("--bogus")) << err;

  SetUp();
  EXPECT_EQ(OPTIONS_BAD, Parse({"--freq"}));
  EXPECT_EQ(kUsage, out);
  EXPECT_NE(std::string::npos, err.find("requires an argument")) << err;
}

}  // namespace
