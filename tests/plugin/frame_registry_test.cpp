// The command registry, the transport's ownership of commands and argument
// records, and completion dispatch.
#include <gtest/gtest.h>

#include "FrameTestCommands.h"
#include "PluginTestSupport.h"
#include "account/AccountCommands.h"

namespace {

using kvtest::CountingCMD;

class Registry : public testing::Test {
 protected:
  void SetUp() override {
    kvtest::configure();
    oai = std::make_unique<W::WKVOAI>();
    kvtest::logIn(*oai);
  }
  void TearDown() override {
    oai.reset();
    executor.dropAll();
    kvtest::clearConfiguration();
  }
  kvtest::CapturingExecutor executor;
  std::unique_ptr<W::WKVOAI> oai;
  std::atomic<int> deaths{0};
};

TEST_F(Registry, CleanupRemovesOnlyTheFirstMatchAndDeletesNothing) {
  CountingCMD a(deaths), b(deaths);
  oai->addCMD(&a);
  oai->addCMD(&b);
  oai->addCMD(&a);
  oai->cleanupCMD(nullptr);
  EXPECT_EQ(oai->pendingCommands(), 3u);
  CountingCMD stranger(deaths);
  oai->cleanupCMD(&stranger);
  EXPECT_EQ(oai->pendingCommands(), 3u);
  oai->cleanupCMD(&a);
  EXPECT_EQ(oai->pendingCommands(), 2u);
  oai->cleanupCMD();
  EXPECT_EQ(oai->pendingCommands(), 0u);
  EXPECT_EQ(deaths.load(), 0);
}

TEST_F(Registry, CommandIdPacksProviderAndKey) {
  CountingCMD cmd(deaths, W::KV_CMD_GROUP_LIST);
  EXPECT_EQ(cmd.getCPKey(), kvtest::provider().getID());
  EXPECT_EQ(cmd.getID(), (std::uint64_t(kvtest::provider().getID()) << 32) | 6u);
  W::RegisterKVCMD fresh(kvtest::provider());
  EXPECT_EQ(fresh.getCMDKey(), 0xFFFFFFFFu);
}

TEST_F(Registry, QueuedRequestCarriesMethodUrlHeadersBodyAndId) {
  W::KVService* service = oai->getService();
  W::KVHeaderMap headers{{"DATE", "d"}, {"appToken", "t"}, {"Authorization", "a"}};
  ASSERT_EQ(service->postDataRequest("http://kv.test/x", headers, "k=v", new CountingCMD(deaths)),
            0);
  ASSERT_EQ(executor.size(), 1u);
  W::HttpRequest* r = executor.last();
  EXPECT_EQ(r->getType(), W::HTTP_POST);
  EXPECT_EQ(r->getURL(), "http://kv.test/x");
  EXPECT_EQ(r->getBody(), "k=v");
  EXPECT_EQ(kvtest::headerNames(r),
            (std::vector<std::string>{"Authorization", "DATE", "appToken"}));
  EXPECT_EQ(r->getID(), static_cast<unsigned long long>(kvtest::provider().getID()));
  EXPECT_EQ(service->pendingArgs(), 1u);
  executor.completeLast(W::SESSION_OK, 200, "<rsp/>");
  EXPECT_EQ(deaths.load(), 1);
  EXPECT_EQ(service->pendingArgs(), 0u);
}

TEST_F(Registry, RefusedRequestLeavesNothingBehind) {
  W::KVService* service = oai->getService();
  executor.refuseNext(-7);
  testing::internal::CaptureStdout();
  EXPECT_EQ(service->getDataRequest("http://kv.test/x", {}, "", new CountingCMD(deaths)), -7);
  EXPECT_NE(testing::internal::GetCapturedStdout().find("(-7)\tFILE:src/KVService("),
            std::string::npos);
  EXPECT_EQ(deaths.load(), 1);
  EXPECT_EQ(service->pendingArgs(), 0u);
  EXPECT_EQ(executor.size(), 0u);
}

TEST_F(Registry, FileStartersRefuseAnEmptyPathAndReleaseTheCommand) {
  W::KVService* service = oai->getService();
  testing::internal::CaptureStdout();
  EXPECT_EQ(service->retrieveFData("http://kv.test/f", "", new CountingCMD(deaths), ""), -1);
  EXPECT_EQ(service->postDataRequest("http://kv.test/u", {}, {{"filename", "image/jpeg"}},
                                     new CountingCMD(deaths), "", 10),
            -1);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(deaths.load(), 2);
  EXPECT_EQ(service->pendingArgs(), 0u);
  EXPECT_EQ(executor.size(), 0u);
}

TEST_F(Registry, DestroyingTheProviderDeletesPendingCommandsOnce) {
  W::KVService* service = oai->getService();
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(service->getDataRequest("http://kv.test/x", {}, "", new CountingCMD(deaths)), 0);
  }
  int flushesBefore = executor.flushes();
  oai.reset();
  EXPECT_EQ(deaths.load(), 3);
  EXPECT_GT(executor.flushes(), flushesBefore);
}

TEST_F(Registry, UndispatchedKeysStillReleaseTheirRecords) {
  W::KVService* service = oai->getService();
  for (W::UINT32 key : {4u, 22u, 1000u, 0xFFFFFFFFu}) {
    ASSERT_EQ(service->getDataRequest("http://kv.test/x", {}, "", new CountingCMD(deaths, key)), 0);
    executor.completeLast(W::SESSION_OK, 200, "<rsp/>");
  }
  EXPECT_EQ(deaths.load(), 4);
  EXPECT_EQ(service->pendingArgs(), 0u);
}

TEST_F(Registry, RecordWithoutProviderOrOfTheWrongClassReachesNoHandler) {
  kvtest::resetLogs();
  // A register record with no provider back pointer.
  auto* orphan = new W::RegisterKVCMD(kvtest::provider());
  orphan->setCMDKey(W::KV_CMD_REGISTER);
  orphan->callback = kvtest::onAccount;
  oai->addCMD(orphan);
  ASSERT_EQ(oai->getService()->postDataRequest("http://kv.test/r", {}, "", orphan), 0);
  executor.completeLast(W::SESSION_OK, 200, "<rsp><result><stat>ok</stat></result></rsp>");
  // A counting record claiming the register key.
  ASSERT_EQ(oai->getService()->getDataRequest("http://kv.test/x", {}, "",
                                              new CountingCMD(deaths, W::KV_CMD_REGISTER)),
            0);
  executor.completeLast(W::SESSION_OK, 200, "<rsp/>");
  EXPECT_EQ(kvtest::callbacks().size(), 0u);
  EXPECT_EQ(deaths.load(), 1);
  oai->cleanupCMD(orphan);  // the handler never ran, so the test unregisters it
}

TEST_F(Registry, CompletionWithoutArgumentRecordCallsNothing) {
  auto* request = new W::HttpRequest(W::HTTP_GET, "http://kv.test/x", W::HttpHeader(), "",
                                     &W::KVService::cbKVFnCallback, nullptr);
  request->complete(W::SESSION_OK);  // must neither crash nor leak
  EXPECT_EQ(oai->getService()->pendingArgs(), 0u);
}

TEST_F(Registry, CleanupArgsOfAnUnlistedRecordDeletesNothing) {
  CountingCMD cmd(deaths);
  W::KVServiceArgs args{oai->getService(), &cmd};
  oai->getService()->cleanupARGS(&args);
  oai->getService()->cleanupARGS(nullptr);
  EXPECT_EQ(deaths.load(), 0);
}

}  // namespace
