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
      {{}, "kvhost: missing command\n\nusage: kvhost [options] COMMAND"},
      {{"teleport"}, "kvhost: unknown command 'teleport'"},
      {{"groups", "--colour", "red"}, "kvhost: unknown option --colour for groups"},
      {{"view"}, "kvhost: missing argument; usage: kvhost view UID"},
      {{"feed", "g1", "--count", "many", "--before", "1"}, "--count needs a decimal number"},
      {{"feed", "g1"}, "feed needs exactly one of --before or --after"},
      {{"feed", "g1", "--before", "1", "--item", "pictures"},
       "kvhost: --item takes all (0), photo (1), video (2), music (3), or a decimal number; "
       "not 'pictures'"},
      {{"--config", "/nonexistent/kvhost.conf", "auth"},
       "kvhost: cannot read --config /nonexistent/kvhost.conf: No such file or directory"},
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

TEST(Cli, VersionIsTheReleaseAndExitsWithZero) {
  ProcessResult run = runProcess({kKvhostPath, "--version"}, 10000);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "kvhost 1.0.0\n");
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
  EXPECT_EQ(number(run.last("auth"), "/status"), -1);
  EXPECT_EQ(text(run.last("auth"), "/stage"), "start");
  const std::string& err = run.process.err;
  EXPECT_NE(err.find("the provider refused to start it"), std::string::npos);
  EXPECT_NE(err.find("auth needs the account option AuthToken: set it with --auth-token, or "
                     "AuthToken= in --config\n"),
            std::string::npos)
      << err;
  EXPECT_NE(err.find("auth needs the account option duid: set it with --duid, or duid= in "
                     "--config\n"),
            std::string::npos)
      << err;
  EXPECT_EQ(err.find("option app_id"), std::string::npos) << "app_id is set";
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
  EXPECT_EQ(field(run.last("groups"), "/groups").size(), 2u);

  // A flag overrides the file.
  HostRun wrong = runKvhostBare(
      {"--plugin", kPluginPath, "--json", "--config", config, "--auth-token", "other", "auth"});
  EXPECT_EQ(number(wrong.last("auth"), "/status"), -202) << wrong.describe();
}

TEST(Cli, DefaultOutputIsAReadableTable) {
  Kvsim sim;
  ASSERT_TRUE(sim.running()) << sim.startError();
  const std::vector<std::string> account = {kKvhostPath,   "--plugin", kPluginPath, "--base-url",
                                            sim.baseUrl(), "--app-id", kAppId,      "--auth-token",
                                            kAuthToken,    "--duid",   kDuid};
  const struct {
    std::vector<std::string> args;
    std::vector<const char*> lines;
  } cases[] = {
      {{"groups"},
       {"auth: WSTATUS_SUCCESS (0)\n", "groups: WSTATUS_SUCCESS (0)\n",
        "  UID  NAME          TOTAL", "  g2   Grandparents  "}},
      // The message-board and calendar entries keep their text, writer and
      // date in their message and event.
      {{"feed", "g1", "--before", "latest", "--count", "5"},
       {"  UID    FORM     USER      DATE                 COMMENTS  TEXT\n",
        "  c1038  event    Alex Kim  2026-11-02 21:00:00  0         Grandma's birthday, "
        "2026-12-20 17:00 to 21:00, Party at Rose's house\n",
        "  c1037  message  Sam Kim   2026-11-02 20:00:00  0         Dinner at 7 on Sunday & "
        "bring dessert!\n",
        "  c1034  gallery  Sam Kim   2026-11-02 17:00:00  0         Swimming lesson (mp4 "
        "1280x720 00:00:12)\n"}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> argv = account;
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    ProcessResult run = runProcess(argv, 60000);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    for (const char* line : c.lines) EXPECT_NE(run.out.find(line), std::string::npos) << run.out;
  }
}

TEST(Cli, ProgressBarFollowsAnUpload) {
  // Twenty times the bar's 100 ms polling period: it draws while the answer waits.
  Kvsim sim({"--fault", "kind=latency&path=^/upload/&ms=2000"});
  ASSERT_TRUE(sim.running()) << sim.startError();
  TempDir dir;
  const std::string photo = dir.write("p.jpg", "\xff\xd8\xff\xe0" + std::string(100000, 'p'));
  HostRun run = runKvhost(sim, {"--progress", "upload", "g1", photo});
  EXPECT_EQ(run.process.exitCode, 0) << run.describe();
  EXPECT_EQ(number(run.last("upload"), "/status"), 0);
  EXPECT_NE(run.process.err.find("\r["), std::string::npos) << run.describe();
  EXPECT_NE(run.process.err.find("%  "), std::string::npos) << run.describe();
  EXPECT_NE(run.process.err.find("\r\033[K"), std::string::npos) << "the bar clears its line";
}

}  // namespace
}  // namespace e2e
