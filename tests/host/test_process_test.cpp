// A test process leaves nothing in /tmp: not even GoogleTest's file of
// captured output when the test ended before reading it back.
#include <gtest/gtest.h>
#include <spawn.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ChildEnvironment.h"
#include "KvsimProcess.h"
#include "TestFiles.h"

namespace {

constexpr const char* kRecordVariable = "KV_CAPTURE_RECORD";

// Runs this test again in a process of its own (without the variable that
// would make it share this one's directory), as the child below.
int runAsCapturingChild(const std::string& record) {
  kvtest::ChildEnvironment env({"KV_TEST_TMPDIR"}, {std::string(kRecordVariable) + "=" + record});
  std::string self = std::filesystem::read_symlink("/proc/self/exe");
  std::string filter = "--gtest_filter=TestProcess.ExitLeavesNoCapturedOutputBehind";
  std::vector<char*> argv = {&self[0], &filter[0], nullptr};
  pid_t pid = -1;
  if (posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv.data(), env.envp()) != 0) return -3;
  return kvtest::waitForExit(pid, std::chrono::seconds(60));
}

}  // namespace

TEST(TestProcess, ExitLeavesNoCapturedOutputBehind) {
  if (const char* record = getenv(kRecordVariable)) {
    // The child: exits while its output is still captured.
    testing::internal::CaptureStdout();
    kvtest::writeFile(record, std::filesystem::read_symlink("/proc/self/fd/1"));
    exit(0);
  }
  const kvtest::TempDir dir;
  const std::string record = dir.file("capture");
  ASSERT_EQ(runAsCapturingChild(record), 0);
  const std::string capture = kvtest::readFile(record);
  ASSERT_EQ(capture.rfind("/tmp/gtest_captured_stream.", 0), 0u) << capture;
  EXPECT_FALSE(std::filesystem::exists(capture)) << capture << " left behind";
}
