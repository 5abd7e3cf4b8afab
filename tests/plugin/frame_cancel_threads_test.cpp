// Cancel and progress called from a host thread while completions run on
// another thread: no data race (run under ThreadSanitizer), no deadlock,
// and every operation reported exactly once.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "FrameTestCommands.h"
#include "PluginTestSupport.h"
#include "frame/WKVOAICompletion.h"

namespace {

using kvtest::CountingCMD;

TEST(CancelThreads, HostCancelsWhileCompletionsRun) {
  kvtest::configure();
  kvtest::resetLogs();
  kvtest::CapturingExecutor executor;
  std::atomic<int> deaths{0};
  {
    W::WKVOAI oai;
    kvtest::logIn(oai);
    const int kIterations = 3000;
    std::atomic<int> round{0};
    std::atomic<bool> stop{false};

    testing::internal::CaptureStdout();  // -14 answers are logged
    std::thread host([&] {
      int seen = -1;
      while (!stop.load()) {
        int now = round.load();
        if (now == seen) {
          std::this_thread::yield();
          continue;
        }
        seen = now;
        double done = 0;
        double total = 0;
        if (now % 2 == 0) oai.cancel(kvtest::provider(), kvtest::onCancel, nullptr);
        oai.progressStatus(kvtest::provider(), done, total, nullptr);
      }
    });

    // This thread plays the executor: it starts a transfer, completes it,
    // and runs a command through the completion skeleton.
    for (int i = 0; i < kIterations; ++i) {
      ASSERT_EQ(oai.getService()->retrieveFData("http://kv.test/f", "", new CountingCMD(deaths),
                                                "/tmp/kv-never-written"),
                0);
      round.fetch_add(1);
      executor.completeLast(i % 3 == 0 ? W::SESSION_CANCELLED : W::SESSION_OK, 200, "");

      CountingCMD cmd(deaths);
      cmd.callback = kvtest::onAccount;
      cmd.pOAI = &oai;
      oai.addCMD(&cmd);
      W::HttpResponse response;
      response.setHttpResponseCode(200);
      oai.completeCommand(
          W::SESSION_OK, response, &cmd, [](const std::string&) { return 0; },
          [&](W::WSTATUS status) { cmd.callback(status, kvtest::provider(), nullptr); });
      round.fetch_add(1);
    }
    stop.store(true);
    host.join();
    testing::internal::GetCapturedStdout();

    EXPECT_EQ(kvtest::callbacks().size() + kvtest::cancels().size(),
              static_cast<size_t>(kIterations))
        << "each skeleton completion reports exactly once";
    EXPECT_EQ(oai.pendingCommands(), 0u);
    EXPECT_EQ(oai.getService()->pendingArgs(), 0u);
  }
  EXPECT_EQ(deaths.load(), 2 * 3000);
  kvtest::clearConfiguration();
}

// The account completion rewrites the session's credentials on the
// executor's thread while host threads build signed requests, cancel and
// ask for progress: every request carries one identity whole, with that
// identity's own signature (and ThreadSanitizer sees no race).
TEST(CancelThreads, ReauthenticationWhileHostThreadsStartOperations) {
  const std::string kAuthorizationA =
      " auth_identifier=\"KV_AUTH_V1\", app_id=\"app-A\", app_type=\"dtv\", token=\"token-A\", "
      "token_type=\"user\", duid=\"duid-A\", "
      "signature=\"d45f7dde61d57fefcd023ea31aa8bd6bc937b437\"";
  const std::string kAuthorizationB =
      " auth_identifier=\"KV_AUTH_V1\", app_id=\"app-B\", app_type=\"dtv\", token=\"token-B\", "
      "token_type=\"user\", duid=\"duid-B\", "
      "signature=\"1219e171b291e9fd6e8d65fe3e7c17d0a1a1c84e\"";
  kvtest::configure("app-A", "token-A", "duid-A");
  kvtest::CapturingExecutor executor;
  W::WKVOAI oai;
  kvtest::logIn(oai);
  std::atomic<bool> stop{false};
  testing::internal::CaptureStdout();  // -14 and -202 answers are logged
  auto host = [&] {
    while (!stop.load()) {
      oai.retrieveGroupList(W::WPerson(), nullptr, 0, 5, W::KV_SORT_ALPHABETICAL,
                            W::KV_INCLUDE_NONE, nullptr);
      oai.cancel(kvtest::provider(), nullptr, nullptr);
      double done = 0, total = 0;
      oai.progressStatus(kvtest::provider(), done, total, nullptr);
    }
  };
  std::thread first(host), second(host);
  // At least 2000 rewrites, and until the host threads have built requests
  // enough to see them (a loaded machine may start them late); the
  // watchdog only catches a hang.
  const auto watchdog = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  for (int i = 0;
       (i < 2000 || executor.size() < 200) && std::chrono::steady_clock::now() < watchdog; ++i) {
    const char* who = i % 2 == 0 ? "B" : "A";
    kvtest::configure(std::string("app-") + who, std::string("token-") + who,
                      std::string("duid-") + who);
    kvtest::logIn(oai);  // what an "ok" authentication answer does
  }
  stop.store(true);
  first.join();
  second.join();
  testing::internal::GetCapturedStdout();
  ASSERT_GT(executor.size(), 0u);
  for (size_t i = 0; i < executor.size(); ++i) {
    const std::string authorization = kvtest::headerOf(executor.at(i), "Authorization");
    EXPECT_TRUE(authorization == kAuthorizationA || authorization == kAuthorizationB)
        << authorization;
  }
  executor.dropAll();
  kvtest::clearConfiguration();
}

}  // namespace
