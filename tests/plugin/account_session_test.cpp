// The session-level account requests (login, logout, exception resolution)
// and the completion handlers of command keys 0, 1 and 2.
#include <W/WCaptchaException.h>

#include "AccountTestSupport.h"

namespace {

using kvtest::AccountTest;

struct Resolved {
  int calls = 0;
  W::WSTATUS status = 12345;
  W::WException* exception = nullptr;
};

void onResolved(W::WSTATUS status, W::WException* exception, void* userData) {
  Resolved* seen = static_cast<Resolved*>(userData);
  ++seen->calls;
  seen->status = status;
  seen->exception = exception;
}

class SessionAccount : public AccountTest {
 protected:
  template <class Cmd>
  Cmd* newCommand(W::UINT32 key) {
    Cmd* cmd = new Cmd(kvtest::provider());
    cmd->setCMDKey(key);
    cmd->pOAI = &oai;
    oai.addCMD(cmd);
    return cmd;
  }
  W::KVLoginCMD* loginCommand(W::KVAccountCallback callback) {
    W::KVLoginCMD* cmd = newCommand<W::KVLoginCMD>(W::KV_CMD_LOGIN);
    cmd->callback = callback;
    cmd->userData = &userData;
    return cmd;
  }
  W::WCaptchaException* pendingCaptcha() {
    W::KVService* service = oai.getService();
    EXPECT_EQ(
        service->setException(kvtest::provider(), W::EXCEPTION_CAPTCHA, "", "", W::HttpResponse()),
        0);
    auto* captcha = dynamic_cast<W::WCaptchaException*>(service->getException());
    if (captcha != nullptr) captcha->data() = {"id", "key", "c", "answer"};
    return captcha;
  }
  W::KVExceptionResolveCMD* resolveCommand(W::WException* exception, Resolved* seen) {
    auto* cmd = newCommand<W::KVExceptionResolveCMD>(W::KV_CMD_EXCEPTION_RESOLVE);
    cmd->exception = exception;
    cmd->callback = seen != nullptr ? onResolved : nullptr;
    cmd->userData = seen;
    return cmd;
  }

  const W::KVHeaderMap headers{{"Authorization", "a"}, {"DATE", "d"}};
};

TEST_F(SessionAccount, LoginPostsWhatItIsGivenAndBothOverloadsAgree) {
  W::KVService* service = oai.getService();
  ASSERT_EQ(service->login("http://kv.test/login", headers, "u=1", loginCommand(nullptr)), 0);
  ASSERT_EQ(service->login("s1", "s2", "s3", "s4", "http://kv.test/login", headers, "u=1",
                           loginCommand(nullptr)),
            0);
  ASSERT_EQ(executor.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    W::HttpRequest* request = executor.at(i);
    EXPECT_EQ(request->getType(), W::HTTP_POST);
    EXPECT_EQ(request->getURL(), "http://kv.test/login");
    EXPECT_EQ(request->getBody(), "u=1");
    EXPECT_EQ(kvtest::headerOf(request, "Authorization"), "a");
    EXPECT_EQ(kvtest::headerOf(request, "DATE"), "d");
  }
}

TEST_F(SessionAccount, LoginCompletionReportsOkFailAndServerErrors) {
  struct Row {
    int code;
    std::string payload;
    W::WSTATUS status;
    bool loggedIn;
  };
  const Row rows[] = {
      {200, kvtest::okAnswer(), 0, true},     {200, kvtest::failAnswer(), -16, false},
      {200, "garbage", -16, false},           {403, "Error=207", -202, false},
      {500, kvtest::okAnswer(), -107, false},
  };
  for (const Row& row : rows) {
    kvtest::resetLogs();
    oai.getService()->setUserCredential(nullptr, kvtest::provider());
    ASSERT_EQ(oai.getService()->login("http://kv.test/login", headers, "",
                                      loginCommand(kvtest::onAccount)),
              0);
    executor.completeLast(0, row.code, row.payload);
    ASSERT_EQ(kvtest::callbacks().size(), 1u) << row.code << " " << row.payload;
    EXPECT_EQ(kvtest::callbacks().entries[0].status, row.status) << row.code << " " << row.payload;
    EXPECT_EQ(oai.getService()->isLoggedIn(), row.loggedIn) << row.code << " " << row.payload;
    EXPECT_EQ(oai.pendingCommands(), 0u);
  }
}

TEST_F(SessionAccount, LoginWithoutCallbackClearsTheCredentials) {
  kvtest::logIn(oai);
  ASSERT_EQ(oai.getService()->login("http://kv.test/login", headers, "", loginCommand(nullptr)), 0);
  executor.completeLast(0, 200, kvtest::okAnswer());
  EXPECT_FALSE(oai.getService()->isLoggedIn());
  EXPECT_EQ(oai.pendingCommands(), 0u);
}

TEST_F(SessionAccount, LogoutEndsTheSessionAtOnceAndCompletesWithSuccessWhateverHappens) {
  kvtest::logIn(oai);
  W::KVService* service = oai.getService();
  auto* cmd = newCommand<W::KVLogoutCMD>(W::KV_CMD_LOGOUT);
  cmd->callback = kvtest::onAccount;
  cmd->userData = &userData;
  ASSERT_EQ(service->logout(cmd), 0);
  EXPECT_FALSE(service->isLoggedIn()) << "logged out before the completion";
  ASSERT_EQ(executor.size(), 1u);
  W::HttpRequest* request = executor.at(0);
  EXPECT_EQ(request->getType(), W::HTTP_GET);
  EXPECT_EQ(request->getURL(), "http://localhost:9");
  EXPECT_EQ(request->getBody(), "");
  EXPECT_TRUE(kvtest::headerNames(request).empty());
  EXPECT_EQ(request->getID(), kvtest::provider().getID());
  EXPECT_EQ(service->pendingArgs(), 1u);

  kvtest::logIn(oai);  // the completion clears the credentials once more
  executor.completeLast(W::SESSION_CONNECT_FAILED, 0, "");
  ASSERT_EQ(kvtest::callbacks().size(), 1u);
  EXPECT_EQ(kvtest::callbacks().entries[0].status, 0);
  EXPECT_EQ(kvtest::callbacks().entries[0].userData, &userData);
  EXPECT_FALSE(service->isLoggedIn());
  EXPECT_EQ(oai.pendingCommands(), 0u);
  EXPECT_EQ(service->pendingArgs(), 0u);
}

TEST_F(SessionAccount, LogoutCompletionGoesToAPendingCancel) {
  W::KVService* service = oai.getService();
  auto* cmd = newCommand<W::KVLogoutCMD>(W::KV_CMD_LOGOUT);
  cmd->callback = kvtest::onAccount;
  cmd->userData = &userData;
  ASSERT_EQ(service->logout(cmd), 0);
  kvtest::logIn(oai);
  ASSERT_EQ(oai.cancel(kvtest::provider(), kvtest::onCancel, &cancelUserData), 0);
  executor.completeLast(0, 200, "");
  EXPECT_EQ(kvtest::callbacks().size(), 0u);
  ASSERT_EQ(kvtest::cancels().size(), 1u);
  EXPECT_EQ(kvtest::cancels().entries[0].userData, &userData);
  EXPECT_FALSE(oai.isCancelRequested());
}

TEST_F(SessionAccount, RefusedLogoutReturnsTheStatusAndFreesItsRecords) {
  executor.refuseNext(-16);
  auto* cmd = new W::KVLogoutCMD(kvtest::provider());
  cmd->setCMDKey(W::KV_CMD_LOGOUT);
  cmd->pOAI = &oai;
  EXPECT_EQ(oai.getService()->logout(cmd), -16);
  EXPECT_EQ(oai.getService()->pendingArgs(), 0u);
  EXPECT_EQ(executor.size(), 0u);
}

TEST_F(SessionAccount, ResolveSendsOnlyCaptchasAndAlwaysReturnsZero) {
  W::KVService* service = oai.getService();
  W::WException other(W::EXCEPTION_NONE);
  EXPECT_EQ(service->resolveException(&other, "http://kv.test/captcha", headers, "",
                                      resolveCommand(&other, nullptr)),
            0);
  EXPECT_EQ(service->resolveException(nullptr, "http://kv.test/captcha", headers, "",
                                      resolveCommand(nullptr, nullptr)),
            0);
  EXPECT_EQ(executor.size(), 0u);
  oai.cleanupCMD();  // the two refused commands were freed, not completed

  W::WCaptchaException* captcha = pendingCaptcha();
  ASSERT_NE(captcha, nullptr);
  EXPECT_EQ(service->resolveException(captcha, "http://kv.test/captcha", headers, "a=1",
                                      resolveCommand(captcha, nullptr)),
            0);
  ASSERT_EQ(executor.size(), 1u);
  EXPECT_EQ(executor.at(0)->getType(), W::HTTP_POST);
  EXPECT_EQ(executor.at(0)->getURL(), "http://kv.test/captcha");
  EXPECT_EQ(executor.at(0)->getBody(), "a=1");

  executor.refuseNext(-16);
  EXPECT_EQ(service->resolveException(captcha, "http://kv.test/captcha", headers, "",
                                      resolveCommand(captcha, nullptr)),
            0);
}

TEST_F(SessionAccount, ResolutionReportsItsStatusAndRemovesTheException) {
  struct Row {
    W::SESSION_STATUS session;
    int code;
    const char* payload;
    W::WSTATUS status;
  };
  const Row rows[] = {
      {0, 200, "", 0},    {0, 403, "Error=105\n", -1}, {0, 403, "nothing", -16},
      {0, 500, "", -107}, {0, 404, "", -205},          {W::SESSION_BROKEN, 200, "", -107},
  };
  W::KVService* service = oai.getService();
  for (const Row& row : rows) {
    W::WCaptchaException* captcha = pendingCaptcha();
    ASSERT_NE(captcha, nullptr);
    Resolved seen;
    ASSERT_EQ(service->resolveException(captcha, "http://kv.test/captcha", headers, "",
                                        resolveCommand(captcha, &seen)),
              0);
    executor.completeLast(row.session, row.code, row.payload);
    EXPECT_EQ(seen.calls, 1) << row.code;
    EXPECT_EQ(seen.status, row.status) << row.code << " " << row.payload;
    EXPECT_EQ(seen.exception, captcha);
    EXPECT_EQ(service->getException(), nullptr) << "removed whatever the outcome";
    EXPECT_EQ(oai.pendingCommands(), 0u);
  }
}

TEST_F(SessionAccount, ResolutionWithoutCallbackOrUnderCancelStillRemovesTheException) {
  W::KVService* service = oai.getService();
  W::WCaptchaException* captcha = pendingCaptcha();
  ASSERT_EQ(service->resolveException(captcha, "http://kv.test/c", headers, "",
                                      resolveCommand(captcha, nullptr)),
            0);
  executor.completeLast(0, 200, "");
  EXPECT_EQ(service->getException(), nullptr);

  kvtest::logIn(oai);
  captcha = pendingCaptcha();
  Resolved seen;
  ASSERT_EQ(service->resolveException(captcha, "http://kv.test/c", headers, "",
                                      resolveCommand(captcha, &seen)),
            0);
  ASSERT_EQ(oai.cancel(kvtest::provider(), kvtest::onCancel, &cancelUserData), 0);
  executor.completeLast(0, 200, "");
  EXPECT_EQ(seen.calls, 0);
  ASSERT_EQ(kvtest::cancels().size(), 1u);
  EXPECT_EQ(kvtest::cancels().entries[0].userData, &seen);
  EXPECT_EQ(service->getException(), nullptr);
  EXPECT_FALSE(oai.isCancelRequested());
}

}  // namespace
