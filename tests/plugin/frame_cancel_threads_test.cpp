// Cancel and progress called from a host thread while completions run on
// another thread: no data race (run under ThreadSanitizer), no deadlock,
// and every operation reported exactly once.
#include <gtest/gtest.h>

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
      oai.completeCommand(W::SESSION_OK, response, &cmd, [](const std::string&) { return 0; },
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

}  // namespace
