// The kvsim executable: its first output line, flags, exit codes and stopping
// by signal or by --exit-after.
#include <chrono>
#include <cstdio>
#include <string>

#include "KvsimProcess.h"
#include "KvsimTestSupport.h"

namespace kvsim_test {
namespace {

// kvsim with its standard output and error on one pipe.
kvtest::KvsimProcess::Options capturing(std::vector<std::string> flags) {
  kvtest::KvsimProcess::Options options;
  options.flags = std::move(flags);
  options.captureOutput = true;
  return options;
}

TEST(Binary, AnnouncesItsPortServesAndStopsOnSigterm) {
  kvtest::KvsimProcess child(KVSIM_BINARY, capturing({"--exit-after", "30"}));
  ASSERT_TRUE(child.running()) << child.error();
  ASSERT_EQ(child.baseUrl().rfind("http://127.0.0.1:", 0), 0u) << child.baseUrl();
  httplib::Client client("127.0.0.1", child.port());
  client.set_read_timeout(30);
  auto res = client.Post((kService + "auth").c_str(), signedHeaders(), "", "text/plain");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
  EXPECT_EQ(child.stop(), 0);
  EXPECT_EQ(child.readRest(), "kvsim stopped\n");
}

TEST(Binary, ExitAfterStopsByItself) {
  auto start = std::chrono::steady_clock::now();
  kvtest::KvsimProcess child(KVSIM_BINARY, capturing({"--empty", "--exit-after", "1"}));
  ASSERT_TRUE(child.running()) << child.error();
  EXPECT_EQ(child.awaitExit(std::chrono::seconds(30)), 0);
  // One second asked; ten allowed for a loaded machine, far below the 30 s
  // the wait itself would take should --exit-after be ignored.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST(Binary, UsageErrorsExitWithTwoHelpAndVersionWithZero) {
  struct Row {
    std::vector<std::string> args;
    int status;
    const char* text;
  } rows[] = {
      {{"--frobnicate"}, 2, "kvsim: unknown option --frobnicate"},
      {{"--port"}, 2, "kvsim: --port needs a value"},
      {{"--help"}, 0, "usage: kvsim"},
      {{"--version"}, 0, "kvsim 1.0.0\n"},
  };
  for (Row& r : rows) {
    kvtest::KvsimProcess child(KVSIM_BINARY, capturing(r.args));
    EXPECT_FALSE(child.running());
    EXPECT_EQ(child.awaitExit(), r.status) << r.args[0];
    const std::string text = child.readRest();
    EXPECT_EQ(text.rfind(r.text, 0), 0u) << text;
  }
}

}  // namespace
}  // namespace kvsim_test
