// kvhost as a program: exit codes, messages, --config, the readable table
// and the progress bar, with the real plug-in and kvsim where they matter.
#include <gtest/gtest.h>

#include "E2eSupport.h"

namespace e2e {
namespace {

TEST(Cli, UsageErrorsExitWithTwoAndAMessage) {
  const struct {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{}, "kvhost: missing command"},
      {{"teleport"}, "kvhost: unknown command 'teleport'"},
      {{"groups", "--colour", "red"}, "kvhost: unknown option --colour for groups"},
      {{"view"}, "kvhost: missing argument; usage: kvhost view UID"},
      {{"feed", "g1", "--count", "many", "--before", "1"}, "--count needs a decimal number"},
      {{"feed", "g1"}, "feed needs exactly one of --before or --after"},
      {{"--config", "/nonexistent/kvhost.conf", "auth"},
       "cannot read provider options from /nonexistent/kvhost.conf"},
  };
  for (const auto& c : cases) {
    HostRun run = runKvhostBare(c.args);
    EXPECT_EQ(run.process.exitCode, 2) << run.describe();
    EXPECT_NE(run.process.err.find(c.message), std::string::npos) << run.describe();
    EXPECT_EQ(run.process.out, "");
  }
}

TEST(Cli, HelpListsCommandsAndExitsWithZero) {
  ProcessResult run = runProcess({kKvhostPath, "--help"}, 10000);
  EXPECT_EQ(run.exitCode, 0);
  for (const char* part : {"usage: kvhost", "comment-delete UID", "--cancel-after MS", "ca_file",
                           "fetch URL [--out FILE]", "Exit status: 0"})
    EXPECT_NE(run.out.find(part), std::string::npos) << part;
}

TEST(Cli, MissingPluginIsReportedAndExitsWithOne) {
  HostRun run = runKvhostBare({"--plugin", "/nonexistent/libkinvale-oai.so", "auth"});
  EXPECT_EQ(run.process.exitCode, 1);
  EXPECT_NE(run.process.err.find("cannot load plug-in /nonexistent/libkinvale-oai.so"),
            std::string::npos)
      << run.describe();
}

TEST(Cli, MissingAccountSettingIsRefusedByThePlugin) {
  HostRun run = runKvhostBare({"--plugin", kPluginPath, "--json", "--app-id", kAppId, "auth"});
  EXPECT_EQ(run.process.exitCode, 1);
  EXPECT_EQ(run.last("auth")["status"].integer(), -1);
  EXPECT_EQ(run.last("auth")["stage"].text(), "start");
  EXPECT_NE(run.process.err.find("the provider refused to start it"), std::string::npos);
}

TEST(Cli, ConfigFileConfiguresTheProvider) {
  Kvsim sim;
  ASSERT_TRUE(sim.running()) << sim.startError();
  TempDir dir;
  const std::string config =
      dir.write("kvhost.conf", std::string("# demo account\nbase_url = ") + sim.baseUrl() +
                                   "\napp_id=" + kAppId + "\nAuthToken=" + kAuthToken +
                                   "\nduid=" + kDuid + "\n");
  HostRun run = runKvhostBare({"--plugin", kPluginPath, "--json", "--config", config, "groups"});
  EXPECT_EQ(run.process.exitCode, 0) << run.describe();
  EXPECT_EQ(run.last("groups")["groups"].size(), 2u);

  // A flag overrides the file.
  HostRun wrong = runKvhostBare(
      {"--plugin", kPluginPath, "--json", "--config", config, "--auth-token", "other", "auth"});
  EXPECT_EQ(wrong.last("auth")["status"].integer(), -202) << wrong.describe();
}

TEST(Cli, DefaultOutputIsAReadableTable) {
  Kvsim sim;
  ASSERT_TRUE(sim.running()) << sim.startError();
  ProcessResult run =
      runProcess({kKvhostPath, "--plugin", kPluginPath, "--base-url", sim.baseUrl(), "--app-id",
                  kAppId, "--auth-token", kAuthToken, "--duid", kDuid, "groups"},
                 60000);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("auth: WSTATUS_SUCCESS (0)\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("groups: WSTATUS_SUCCESS (0)\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("  UID  NAME          TOTAL"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("  g2   Grandparents  "), std::string::npos) << run.out;
}

TEST(Cli, ProgressBarFollowsAnUpload) {
  Kvsim sim({"--fault", "kind=latency&path=^/upload/&ms=600"});
  ASSERT_TRUE(sim.running()) << sim.startError();
  TempDir dir;
  const std::string photo = dir.write("p.jpg", "\xff\xd8\xff\xe0" + std::string(100000, 'p'));
  HostRun run = runKvhost(sim, {"--progress", "upload", "g1", photo});
  EXPECT_EQ(run.process.exitCode, 0) << run.describe();
  EXPECT_EQ(run.last("upload")["status"].integer(), 0);
  EXPECT_NE(run.process.err.find("\r["), std::string::npos) << run.describe();
  EXPECT_NE(run.process.err.find("%  "), std::string::npos) << run.describe();
  EXPECT_NE(run.process.err.find("\r\033[K"), std::string::npos) << "the bar clears its line";
}

}  // namespace
}  // namespace e2e
