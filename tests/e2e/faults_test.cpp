// Failures end to end: a wrong token, refusals and broken answers injected
// by kvsim, a dropped connection, and an answer that never comes. Each must
// reach kvhost as the mapped status, with exit code 1 and a message.
#include <gtest/gtest.h>

#include <chrono>

#include "E2eSupport.h"

namespace e2e {
namespace {

TEST(Faults, WrongTokenIsRefusedByTheServiceAsNotLoggedIn) {
  Kvsim sim;
  ASSERT_TRUE(sim.running()) << sim.startError();
  HostRun auth = runKvhost(sim, {"--auth-token", "not-the-token", "auth"});
  EXPECT_EQ(auth.process.exitCode, 1) << auth.describe();
  ASSERT_EQ(auth.lines.size(), 1u) << auth.describe();
  EXPECT_EQ(number(auth.lines[0], "/status"), -202);
  EXPECT_EQ(text(auth.lines[0], "/status_name"), "WSTATUS_NOT_LOGGED_IN");
  EXPECT_NE(auth.process.err.find("auth failed: WSTATUS_NOT_LOGGED_IN (-202)"), std::string::npos);
  EXPECT_EQ(sim.logLinesWith({"POST " + kService + "auth ", "code=401"}).size(), 1u);

  // A command behind a failed login is not sent at all.
  HostRun groups = runKvhost(sim, {"--auth-token", "not-the-token", "groups"});
  EXPECT_EQ(groups.process.exitCode, 1);
  EXPECT_TRUE(groups.last("groups").is_null()) << groups.describe();
  EXPECT_NE(groups.process.err.find("authentication failed; groups not run"), std::string::npos);
  EXPECT_TRUE(sim.logLinesWith({"group.list"}).empty());
}

TEST(Faults, InjectedAnswersMapToTheirStatuses) {
  const struct {
    const char* fault;
    std::vector<std::string> args;
    const char* op;
    long long status;
    const char* logged;  // what kvsim's log shows for the faulty request
  } cases[] = {
      // 403 with a service error code: the account flows map the code...
      {"kind=error&error=105&path=/auth$", {"auth"}, "auth", -1, "code=403 fault=error"},
      {"kind=error&error=200&path=register",
       {"register"},
       "register",
       -200,
       "code=403 fault=error"},
      // ...the other operations map the HTTP code.
      {"kind=error&error=203&path=group.list", {"groups"}, "groups", -205, "code=403 fault=error"},
      {"kind=status&code=404&path=feeds",
       {"feed", "g1", "--before", "latest"},
       "feed",
       -205,
       "code=404 fault=status"},
      {"kind=status&code=500&path=view$", {"view", "c1001"}, "view", -107, "code=500 fault=status"},
      {"kind=status&code=409&path=group.create",
       {"group-create", "Dup"},
       "group-create",
       -203,
       "code=409 fault=status"},
      {"kind=status&code=401&path=comment.list",
       {"comments", "c1001"},
       "comments",
       -202,
       "code=401 fault=status"},
      // Bodies that are not a service answer.
      {"kind=malformed&body=text&path=group.list", {"groups"}, "groups", -16, "fault=malformed"},
      {"kind=malformed&body=truncated&path=comment.list",
       {"comments", "c1001"},
       "comments",
       -16,
       "fault=malformed"},
      {"kind=malformed&body=text&path=view$", {"view", "c1001"}, "view", -16, "fault=malformed"},
      // Transfers that break off.
      {"kind=truncated&path=feeds",
       {"feed", "g1", "--before", "latest"},
       "feed",
       -107,
       "fault=truncated"},
      {"kind=drop&path=feeds",
       {"feed", "g1", "--before", "latest"},
       "feed",
       -107,
       "code=drop fault=drop"},
      {"kind=drop&path=/auth$", {"auth"}, "auth", -107, "code=drop fault=drop"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault);
    Kvsim sim({"--fault", c.fault});
    ASSERT_TRUE(sim.running()) << sim.startError();
    HostRun run = runKvhost(sim, c.args);
    EXPECT_EQ(run.process.exitCode, 1) << run.describe();
    const nlohmann::json& line = run.last(c.op);
    EXPECT_EQ(number(line, "/status"), c.status) << run.describe();
    EXPECT_FALSE(line.contains("stage")) << "reported by the callback, not at start";
    EXPECT_NE(run.process.err.find(std::string(c.op) + " failed: "), std::string::npos)
        << run.describe();
    EXPECT_FALSE(sim.awaitLogLinesWith({c.logged}).empty());
  }
}

TEST(Faults, ListFailureHandsBackAnEmptyList) {
  Kvsim sim({"--fault", "kind=status&code=500&path=group.list"});
  ASSERT_TRUE(sim.running()) << sim.startError();
  HostRun run = runKvhost(sim, {"groups"});
  const nlohmann::json& line = run.last("groups");
  EXPECT_EQ(number(line, "/status"), -107);
  EXPECT_TRUE(field(line, "/groups").is_array());
  EXPECT_EQ(field(line, "/groups").size(), 0u);
}

TEST(Faults, FailedDownloadLeavesNoFile) {
  Kvsim sim({"--fault", "kind=status&code=404&path=^/media/"});
  ASSERT_TRUE(sim.running()) << sim.startError();
  TempDir dir;
  HostRun run =
      runKvhost(sim, {"download", sim.baseUrl() + "/media/contents/c1001/photo.jpg", dir.path()});
  EXPECT_EQ(run.process.exitCode, 1) << run.describe();
  EXPECT_EQ(number(run.last("download"), "/status"), -205) << run.describe();
  EXPECT_EQ(readFile(dir.path() + "/photo.jpg"), "");
}

TEST(Faults, NoAnswerWithinTheTimeoutEndsKvhost) {
  Kvsim sim({"--fault", "kind=latency&path=group.list&ms=120000"});
  ASSERT_TRUE(sim.running()) << sim.startError();
  const auto start = std::chrono::steady_clock::now();
  HostRun run = runKvhost(sim, {"groups", "--timeout", "1"});
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(run.process.exitCode, 1) << run.describe();
  EXPECT_TRUE(run.last("groups").is_null());
  EXPECT_NE(run.process.err.find("groups: no answer within 1 s"), std::string::npos)
      << run.describe();
  // The answer would come after two minutes; kvhost ends after about one second.
  EXPECT_LT(took, std::chrono::seconds(30)) << "kvhost must not wait for the late answer";
}

TEST(Faults, UnreachableServiceFailsTheLogin) {
  HostRun run =
      runKvhostBare({"--plugin", kPluginPath, "--json", "--base-url", "http://127.0.0.1:1",
                     "--app-id", kAppId, "--auth-token", kAuthToken, "--duid", kDuid, "groups"});
  EXPECT_EQ(run.process.exitCode, 1) << run.describe();
  EXPECT_EQ(number(run.last("auth"), "/status"), -100) << run.describe();
}

}  // namespace
}  // namespace e2e
