// The cancel and progress protocol of the provider and the completion
// skeleton every handler is built from.
#include <gtest/gtest.h>

#include "FrameTestCommands.h"
#include "PluginTestSupport.h"
#include "frame/WKVOAICompletion.h"

namespace {

using kvtest::CountingCMD;

class CancelProtocol : public testing::Test {
 protected:
  void SetUp() override {
    kvtest::configure();
    kvtest::resetLogs();
    oai = std::make_unique<W::WKVOAI>();
    kvtest::logIn(*oai);
  }
  void TearDown() override {
    oai.reset();
    executor.dropAll();
    kvtest::clearConfiguration();
  }

  // Completes `cmd` through the shared skeleton with an HTTP code; the
  // parser result is `parsed`.
  void complete(CountingCMD& cmd, int code, W::WSTATUS parsed = 0,
                W::SESSION_STATUS session = W::SESSION_OK) {
    W::HttpResponse response;
    response.setHttpResponseCode(code);
    oai->addCMD(&cmd);
    oai->completeCommand(
        session, response, &cmd, [&](const std::string&) { return parsed; },
        [&](W::WSTATUS status) { cmd.callback(status, oai->getContentProvider(), cmd.userData); });
  }

  void prepare(CountingCMD& cmd, void* userData) {
    cmd.callback = kvtest::onAccount;
    cmd.userData = userData;
    cmd.pOAI = oai.get();
  }

  kvtest::CapturingExecutor executor;
  std::unique_ptr<W::WKVOAI> oai;
  std::atomic<int> deaths{0};
  int token = 0;
};

TEST_F(CancelProtocol, SecondCancelDuringOneOperationIsRefused) {
  EXPECT_EQ(oai->cancel(kvtest::provider(), kvtest::onCancel, nullptr), 0);
  testing::internal::CaptureStdout();
  EXPECT_EQ(oai->cancel(kvtest::provider(), kvtest::onCancel, nullptr), -14);
  EXPECT_NE(testing::internal::GetCapturedStdout().find("(-14)\tFILE:src/WKVOAI("),
            std::string::npos);
}

TEST_F(CancelProtocol, RefusedWhenLoggedOutOrForAnotherProvider) {
  testing::internal::CaptureStdout();
  EXPECT_EQ(oai->cancel(W::WContentProvider("Other", 12), kvtest::onCancel, nullptr), -16);
  oai->getService()->setUserCredential(nullptr, kvtest::provider());
  EXPECT_EQ(oai->cancel(kvtest::provider(), kvtest::onCancel, nullptr), -202);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("(-16)"), std::string::npos);
  EXPECT_NE(out.find("(-202)"), std::string::npos);
  EXPECT_FALSE(oai->isCancelRequested());
}

TEST_F(CancelProtocol, CompletionAfterCancelGoesToTheCancelCallbackOnce) {
  CountingCMD cmd(deaths);
  prepare(cmd, &token);
  ASSERT_EQ(oai->cancel(kvtest::provider(), kvtest::onCancel, nullptr), 0);
  complete(cmd, 200);
  ASSERT_EQ(kvtest::cancels().size(), 1u);
  EXPECT_EQ(kvtest::cancels().entries[0].status, 0);
  EXPECT_EQ(kvtest::cancels().entries[0].userData, &token) << "the cancelled operation's data";
  EXPECT_EQ(kvtest::callbacks().size(), 0u);
  EXPECT_FALSE(oai->isCancelRequested());
  EXPECT_EQ(oai->pendingCommands(), 0u);

  // The stored callback was used up: a later cancelled completion calls none.
  CountingCMD next(deaths);
  prepare(next, &token);
  ASSERT_EQ(oai->cancel(kvtest::provider(), nullptr, nullptr), 0);
  complete(next, 200);
  EXPECT_EQ(kvtest::cancels().size(), 1u);
  EXPECT_EQ(kvtest::callbacks().size(), 0u);
}

TEST_F(CancelProtocol, NullCallbackKeepsTheEarlierStoredOne) {
  ASSERT_EQ(oai->cancel(kvtest::provider(), kvtest::onCancel, nullptr), 0);
  oai->cancelFlagReset();  // a new operation starts: the flag goes, A stays
  ASSERT_EQ(oai->cancel(kvtest::provider(), nullptr, nullptr), 0);
  CountingCMD cmd(deaths);
  prepare(cmd, &token);
  complete(cmd, 200);
  ASSERT_EQ(kvtest::cancels().size(), 1u);
  EXPECT_EQ(kvtest::cancels().entries[0].status, 0);
}

TEST_F(CancelProtocol, CancelWithNothingPendingIsWipedByTheNextStart) {
  EXPECT_EQ(oai->cancel(kvtest::provider(), kvtest::onCancel, nullptr), 0);
  oai->cancelFlagReset();  // what every operation's start does
  CountingCMD cmd(deaths);
  prepare(cmd, &token);
  complete(cmd, 200);
  ASSERT_EQ(kvtest::callbacks().size(), 1u);
  EXPECT_EQ(kvtest::callbacks().entries[0].status, 0);
  EXPECT_EQ(kvtest::cancels().size(), 0u);
}

TEST_F(CancelProtocol, StatusComesFromSessionHttpCodeOrParser) {
  struct Row {
    W::SESSION_STATUS session;
    int code;
    W::WSTATUS parsed;
    W::WSTATUS expected;
  };
  const Row rows[] = {
      {W::SESSION_OK, 200, 0, 0},         {W::SESSION_OK, 200, -16, -16},
      {W::SESSION_OK, 404, 0, -205},      {W::SESSION_OK, 401, 0, -202},
      {W::SESSION_OK, 500, 0, -107},      {W::SESSION_CONNECT_FAILED, 200, 0, -100},
      {W::SESSION_CANCELLED, 0, 0, -108},
  };
  for (const Row& row : rows) {
    kvtest::resetLogs();
    CountingCMD cmd(deaths);
    prepare(cmd, &token);
    complete(cmd, row.code, row.parsed, row.session);
    ASSERT_EQ(kvtest::callbacks().size(), 1u);
    EXPECT_EQ(kvtest::callbacks().entries[0].status, row.expected)
        << row.code << "/" << row.session;
  }
}

TEST_F(CancelProtocol, CancelledTwoHundredIsNotParsed) {
  CountingCMD cmd(deaths);
  prepare(cmd, &token);
  cmd.callback = nullptr;  // no caller callback: the flag is simply reset
  ASSERT_EQ(oai->cancel(kvtest::provider(), kvtest::onCancel, nullptr), 0);
  bool parsed = false;
  W::HttpResponse response;
  response.setHttpResponseCode(200);
  oai->addCMD(&cmd);
  oai->completeCommand(
      W::SESSION_OK, response, &cmd,
      [&](const std::string&) {
        parsed = true;
        return 0;
      },
      [](W::WSTATUS) { FAIL() << "no caller callback"; });
  EXPECT_FALSE(parsed);
  EXPECT_FALSE(oai->isCancelRequested());
  EXPECT_EQ(kvtest::cancels().size(), 0u);
}

TEST_F(CancelProtocol, ProgressReportsTheTransferAndZeroesForStrangers) {
  double done = -1;
  double total = -1;
  testing::internal::CaptureStdout();
  EXPECT_EQ(oai->progressStatus(W::WContentProvider("Other", 3), done, total, nullptr), -16);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(done, 0.0);
  EXPECT_EQ(total, 0.0);

  ASSERT_EQ(oai->getService()->retrieveFData("http://kv.test/f", "", new CountingCMD(deaths),
                                             "/tmp/kv-never-written"),
            0);
  W::HttpRequest* transfer = executor.last();
  EXPECT_EQ(oai->progressStatus(kvtest::provider(), done, total, nullptr), 0);
  EXPECT_EQ(done, 0.0);
  EXPECT_EQ(total, 0.0);
  ASSERT_EQ(oai->cancel(kvtest::provider(), kvtest::onCancel, nullptr), 0);
  EXPECT_TRUE(transfer->isCancelled()) << "the cancel reaches the transfer in flight";
  executor.completeLast(W::SESSION_CANCELLED, 0, "");
  EXPECT_EQ(deaths.load(), 1);

  done = total = -1;
  oai->getService()->setUserCredential(nullptr, kvtest::provider());
  testing::internal::CaptureStdout();
  EXPECT_EQ(oai->progressStatus(kvtest::provider(), done, total, nullptr), -202);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(done, -1) << "outputs untouched when logged out";
}

}  // namespace
