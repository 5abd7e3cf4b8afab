// The preload itself: every spelling of a device path reaches the simulator
// (the real /dev/mem and i2c nodes are never opened), unconfigured buses do
// not exist, and the sysfs file answers plain open() as well as fopen().
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "probe_runner.h"

namespace {

using Lines = std::vector<std::string>;

ProbeRun RunClient(const std::string& config, const Lines& args) {
  Lines command = {SHIM_CLIENT};
  command.insert(command.end(), args.begin(), args.end());
  return RunUnderFesim(config, command);
}

TEST(FesimPreload, DevicePathsInAnySpellingAreSimulated) {
  struct Case {
    const char* arg;
    const char* out;
    const char* log;
  } cases[] = {
      {"open:/dev/mem", "open /dev/mem ok", "open /dev/mem rdwr"},
      {"open:/dev/../dev/./mem", "open /dev/../dev/./mem ok", "open /dev/../dev/./mem rdwr"},
      {"openat-dev:mem", "openat-dev mem ok", "open /dev/mem rdwr sync"},
      {"openat-dev:i2c-0", "openat-dev i2c-0 ok", "open /dev/i2c-0 rdwr sync"},
      {"fopen:/dev/mem", "fopen /dev/mem ok", "open /dev/mem rdwr"},
      {"open:/dev/i2c-0", "open /dev/i2c-0 ok", "open /dev/i2c-0 rdwr"},
      {"open:/dev/i2c-1", "open /dev/i2c-1 No such file or directory", "open /dev/i2c-1 ENOENT"},
      {"open:/dev/i2c/0", "open /dev/i2c/0 No such file or directory", "open /dev/i2c/0 ENOENT"},
      {"open:/dev/i2c-banana", "open /dev/i2c-banana No such file or directory",
       "open /dev/i2c-banana ENOENT"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arg);
    ProbeRun r = RunClient("", {c.arg});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, std::string(c.out) + "\n");
    ASSERT_FALSE(r.log.empty());
    EXPECT_EQ(r.log[0], c.log);
  }
}

TEST(FesimPreload, ClosingThroughCloseOrFcloseIsLogged) {
  ProbeRun r = RunClient("", {"open:/dev/i2c-0", "fopen:/dev/mem"});
  EXPECT_EQ(r.log, (Lines{"open /dev/i2c-0 rdwr", "close /dev/i2c-0", "open /dev/mem rdwr",
                          "close /dev/mem"}));
}

TEST(FesimPreload, DeniedAndAbsentDevMem) {
  ProbeRun denied = RunClient("mem=denied\n", {"open:/dev/mem"});
  EXPECT_EQ(denied.out, "open /dev/mem Permission denied\n");
  ProbeRun absent = RunClient("mem=absent\n", {"fopen:/dev/mem"});
  EXPECT_EQ(absent.out, "fopen /dev/mem No such file or directory\n");
}

TEST(FesimPreload, SysfsFileAnswersOpenAndRead) {
  const std::string path = "/sys/module/dvb_core/parameters/dvb_shutdown_timeout";
  ProbeRun present = RunClient("sysfs_timeout=42\\n\n", {"read:" + path});
  EXPECT_EQ(present.out, "read " + path + " [42\n]\n");
  EXPECT_EQ(present.log, Lines{"open " + path});
  ProbeRun absent = RunClient("", {"read:" + path});
  EXPECT_EQ(absent.out, "read " + path + " No such file or directory\n");
}

TEST(FesimPreload, OtherFilesPassThrough) {
  ProbeRun r = RunClient("", {"open:/dev/null", "fopen:/proc/self/nonexistent"});
  EXPECT_EQ(r.out, "open /dev/null ok\nfopen /proc/self/nonexistent No such file or directory\n");
  EXPECT_TRUE(r.log.empty());
}

TEST(FesimPreload, BadConfigStopsTheProgramWithTheLine) {
  ProbeRun r = RunClient("id=0x46\nbogus=1\n", {"open:/dev/null"});
  EXPECT_EQ(r.status, 125);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("line 2: unknown key"), std::string::npos) << r.err;
}

}  // namespace
