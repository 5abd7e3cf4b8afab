// The session's exception list and the failure log line.
#include <gtest/gtest.h>

#include <functional>

#include "FrameTestCommands.h"
#include "PluginTestSupport.h"
#include "account/AccountCommands.h"
#include "content/ContentCommands.h"
#include "download/DownloadCommands.h"
#include "frame/WKVOAICompletion.h"
#include "groups/GroupCommands.h"
#include "service/KVLog.h"

namespace {

TEST(ExceptionList, NewestFirstAndFlushRemovesOnlyListedRecords) {
  W::WKVOAI oai;
  W::KVService* service = oai.getService();
  W::HttpResponse response;
  EXPECT_EQ(service->getException(), nullptr);
  ASSERT_EQ(service->setException(kvtest::provider(), W::EXCEPTION_CAPTCHA, "a", "b", response), 0);
  W::WException* first = service->getException();
  ASSERT_EQ(service->setException(kvtest::provider(), W::EXCEPTION_CAPTCHA, "c", "d", response), 0);
  W::WException* second = service->getException();
  ASSERT_NE(first, second);
  EXPECT_EQ(second->getExceptionType(), W::EXCEPTION_CAPTCHA);
  EXPECT_EQ(second->getContentProvider().getID(), kvtest::provider().getID());

  W::WCaptchaException stranger;
  service->flushException(&stranger);  // not listed: nothing happens
  EXPECT_EQ(service->getException(), second);
  service->flushException(second);
  EXPECT_EQ(service->getException(), first);
  service->flushException(nullptr);
  EXPECT_EQ(service->getException(), first);
  // The session frees what is still listed when it goes.
}

TEST(ExceptionList, RefusesUnsupportedTypes) {
  W::WKVOAI oai;
  W::HttpResponse response;
  testing::internal::CaptureStdout();
  EXPECT_EQ(oai.getService()->setException(kvtest::provider(), W::EXCEPTION_NONE, "", "", response),
            -16);
  EXPECT_NE(testing::internal::GetCapturedStdout().find("(-16)"), std::string::npos);
  EXPECT_EQ(oai.getService()->getException(), nullptr);
}

TEST(LogLine, HasTheFixedFormatAndAnEmptyLine) {
  struct Row {
    int status;
    const char* file;
    int line;
    const char* expected;
  };
  const Row rows[] = {
      {-202, "src/WKVOAI", 12,
       "#ERROR WSTATUS:WSTATUS_NOT_LOGGED_IN(-202)\tFILE:src/WKVOAI(12)\n\n"},
      {-16, "src/KVService", 7, "#ERROR WSTATUS:WSTATUS_FAILURE(-16)\tFILE:src/KVService(7)\n\n"},
      {-9999, "src/WKVOAI", 1, "#ERROR WSTATUS:WSTATUS_UNKNOWN(-9999)\tFILE:src/WKVOAI(1)\n\n"},
  };
  for (const Row& row : rows) {
    testing::internal::CaptureStdout();
    W::kvLogError(row.status, row.file, row.line);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), row.expected);
  }
}

TEST(Assertion, NamesThePointer) {
  W::KVServiceCMD* pCmd = nullptr;
  EXPECT_DEATH(W::WKVOAI::cbFnRequestCompleted(0, W::HttpResponse(), pCmd), "pCmd != __null");
}

// Every completion sequence checks the command's provider before anything
// else; each row is one sequence, reached with a record that has none.
TEST(Assertion, EveryCompletionSequenceNamesTheProvider) {
  W::WKVOAI oai;
  std::atomic<int> deaths{0};
  kvtest::CountingCMD counting(deaths);
  W::RegisterKVCMD registering(kvtest::provider());
  W::KVLogoutCMD logout(kvtest::provider());
  W::KVExceptionResolveCMD resolve(kvtest::provider());
  W::GroupListRetrievalCMD groups(kvtest::provider());
  W::ContentViewCMD view(kvtest::provider());
  W::KVDirectDownloadCMD download(kvtest::provider());
  const W::HttpResponse ok;
  const std::function<void()> rows[] = {
      [&] {
        oai.completeCommand(
            0, ok, &counting, [](const std::string&) { return 0; }, [](W::WSTATUS) {});
      },
      [&] { oai.cbRegisterDone(0, ok, &registering); },
      [&] { oai.cbLogoutDone(0, ok, &logout); },
      [&] { oai.cbExceptionResolveDone(0, ok, &resolve); },
      [&] { oai.cbGroupListRetrievalDone(0, ok, &groups); },
      [&] { oai.cbContentViewDone(0, ok, &view); },
      [&] { oai.cbKVDownloadDone(0, ok, &download); },
  };
  for (const auto& row : rows) EXPECT_DEATH(row(), "pOAI != __null");
}

}  // namespace
