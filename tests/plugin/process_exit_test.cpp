// A host process that ends normally while the plug-in is busy: the private
// download directory goes with it, also with a download in flight, and a
// completion that runs on during exit() finds nothing of the plug-in's or
// the executor's destroyed (the child runs under this tree's sanitizers).
// Each case is a child process (process_exit_child.cpp) whose TMPDIR is a
// directory of the test's.
#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ChildEnvironment.h"
#include "KvsimProcess.h"
#include "ServiceAnswers.h"
#include "TestFiles.h"
#include "http_test_support.h"

namespace {

// Runs the child in `mode` against `base` with TMPDIR set to `tmpdir` and
// standard error into `errPath`; returns its exit code (-2: a signal).
int runChild(const std::string& mode, const std::string& base, const std::string& tmpdir,
             const std::string& errPath) {
  kvtest::ChildEnvironment env({"TMPDIR"}, {"TMPDIR=" + tmpdir});
  std::string binary = KV_EXIT_CHILD;
  std::vector<char*> argv = {&binary[0], const_cast<char*>(mode.c_str()),
                             const_cast<char*>(base.c_str()), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, binary.c_str(), &actions, nullptr, argv.data(), env.envp());
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return -3;
  return kvtest::waitForExit(pid, std::chrono::seconds(90));
}

TEST(ProcessExit, NormalExitLeavesNothingBehindAndDestroysNothingInUse) {
  httptest::LoopbackServer server;
  server.http().Get(".*/group.list", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(kvtest::okAnswer("<group groupId=\"g-1\"/>"), "text/xml");
  });
  server.http().Get("/media/x.jpg", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("jpeg", "image/jpeg");
  });
  // Answers once the test ends: the child is gone long before.
  server.http().Get("/media/held", [&server](const httplib::Request&, httplib::Response& res) {
    server.release.wait();
    res.set_content("late", "image/jpeg");
  });
  ASSERT_TRUE(server.start());
  for (const char* mode : {"return-during-download", "exit-in-completion"}) {
    SCOPED_TRACE(mode);
    const kvtest::TempDir tmpdir("kv-exit-tmp");
    const kvtest::TempDir logs("kv-exit-log");
    const std::string err = logs.file("stderr");
    EXPECT_EQ(runChild(mode, server.url(""), tmpdir.path(), err), 0) << kvtest::readFile(err);
    EXPECT_EQ(tmpdir.entries(), std::vector<std::string>()) << "left behind";
  }
}

}  // namespace
