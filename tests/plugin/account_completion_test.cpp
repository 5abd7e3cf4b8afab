// Completions of registration and authentication: every branch of the
// status decision, who is told, and the session's credentials afterwards.
#include "XmlTestDoc.h"

#include "AccountTestSupport.h"

namespace {

using kvtest::AccountTest;

constexpr int kAnyCode = 0;

struct Answer {
  const char* what;
  W::SESSION_STATUS session;
  int code;
  std::string payload;
  W::WSTATUS registerStatus;
  W::WSTATUS authStatus;
  bool authLogsIn;
};

const Answer kAnswers[] = {
    {"200 ok", 0, 200, kvtest::okAnswer(), 0, 0, true},
    {"200 ok with attributes after other children", 0, 200,
     "<rsp><data/><result><stat>ok</stat></result></rsp>", 0, 0, true},
    {"200 fail", 0, 200, kvtest::failAnswer(), -16, -208, false},
    {"200 ok then fail", 0, 200,
     "<rsp><result><stat>ok</stat></result><result><stat>fail</stat></result></rsp>", -16, -208,
     false},
    {"200 not xml", 0, 200, "Error=100", -16, -16, false},
    {"200 empty body", 0, 200, "", -16, -16, false},
    {"200 root not rsp", 0, 200, "<resp><result><stat>ok</stat></result></resp>", -16, -16, false},
    {"200 rsp without children", 0, 200, "<rsp/>", -16, -16, false},
    {"200 result without stat", 0, 200, "<rsp><result><desc>x</desc></result></rsp>", -16, -16,
     false},
    {"200 other status word", 0, 200, "<rsp><result><stat>maybe</stat></result></rsp>", -16, -16,
     false},
    {"403 code 206", 0, 403, "Status=1\nError=206\nDesc=expired\n", -202, -202, false},
    {"403 code 100 with CRLF", 0, 403, "Error=100\r\n", -1, -1, false},
    {"403 code 201", 0, 403, "Error=201", -200, -200, false},
    {"403 code 500", 0, 403, "Error=500", -16, -16, false},
    {"403 without error line", 0, 403, "forbidden", -16, -16, false},
    {"500 ok", 0, 500, kvtest::okAnswer(), -107, 0, true},
    {"500 fail", 0, 500, kvtest::failAnswer(), -107, -208, false},
    {"500 not xml", 0, 500, "oops", -107, -16, false},
    {"404", 0, 404, kvtest::okAnswer(), -205, -205, false},
    {"401", 0, 401, "", -202, -202, false},
    {"409", 0, 409, "", -203, -203, false},
    {"202 is not a success", 0, 202, kvtest::okAnswer(), -16, -16, false},
    {"connect failed", W::SESSION_CONNECT_FAILED, kAnyCode, kvtest::okAnswer(), -100, -100, false},
    {"timed out", W::SESSION_TIMED_OUT, 200, kvtest::okAnswer(), -105, -105, false},
    {"not started", W::SESSION_NOT_STARTED, kAnyCode, "", -3, -3, false},
};

TEST_F(AccountTest, RegistrationReportsTheStatusOfEveryKindOfAnswer) {
  for (const Answer& a : kAnswers) {
    kvtest::resetLogs();
    ASSERT_EQ(oai.registerKV(kvtest::onAccount, &userData), 0) << a.what;
    executor.completeLast(a.session, a.code, a.payload);
    ASSERT_EQ(kvtest::callbacks().size(), 1u) << a.what;
    EXPECT_EQ(kvtest::callbacks().entries[0].status, a.registerStatus) << a.what;
    EXPECT_EQ(kvtest::callbacks().entries[0].userData, &userData);
    EXPECT_FALSE(oai.getService()->isLoggedIn()) << a.what << ": registration logs nobody in";
    EXPECT_EQ(oai.pendingCommands(), 0u);
    EXPECT_EQ(oai.getService()->pendingArgs(), 0u);
  }
  EXPECT_EQ(executor.flushes(), 0) << "a completion must not flush the provider's other requests";
}

TEST_F(AccountTest, AuthenticationReportsTheStatusAndLogsInOnlyOnOk) {
  for (const Answer& a : kAnswers) {
    kvtest::resetLogs();
    oai.getService()->setUserCredential(nullptr, kvtest::provider());
    ASSERT_EQ(oai.authKV(kvtest::onAccount, &userData), 0) << a.what;
    executor.completeLast(a.session, a.code, a.payload);
    ASSERT_EQ(kvtest::callbacks().size(), 1u) << a.what;
    EXPECT_EQ(kvtest::callbacks().entries[0].status, a.authStatus) << a.what;
    EXPECT_EQ(oai.getService()->isLoggedIn(), a.authLogsIn) << a.what;
    EXPECT_EQ(oai.pendingCommands(), 0u);
  }
  EXPECT_EQ(executor.flushes(), 0);
}

TEST_F(AccountTest, SuccessfulAuthenticationLoadsConfiguredIdentityAndKeepsTheRest) {
  W::KVService* service = oai.getService();
  service->setUserID("user-7");
  ASSERT_EQ(oai.authKV(kvtest::onAccount, &userData), 0);
  // The options change after the request started: the answer loads what is
  // configured when it arrives.
  kvtest::configure("app-2", "token-2", "duid-2");
  executor.completeLast(0, 200, kvtest::okAnswer());
  EXPECT_TRUE(service->isLoggedIn());
  EXPECT_EQ(service->getAppID(), "app-2");
  EXPECT_EQ(service->getAuthToken(), "token-2");
  EXPECT_EQ(service->getDUID(), "duid-2");
  EXPECT_EQ(service->getUserID(), "user-7");
  EXPECT_EQ(service->getAppToken(), "");
}

TEST_F(AccountTest, FailedAuthenticationLeavesAnEarlierSessionAlone) {
  kvtest::logIn(oai);
  ASSERT_EQ(oai.authKV(kvtest::onAccount, &userData), 0);
  executor.completeLast(0, 200, kvtest::failAnswer());
  EXPECT_TRUE(oai.getService()->isLoggedIn());
  EXPECT_EQ(oai.getService()->getAuthToken(), "token-1");
}

TEST_F(AccountTest, CredentialsClearOnlyWithoutNodeAndStayForAChildlessNode) {
  W::KVService* service = oai.getService();
  kvtest::logIn(oai);
  kvtest::XmlDoc doc("<result/>");
  xmlpp::Element* bare = doc.root();
  service->setUserCredential(bare, kvtest::provider());
  EXPECT_TRUE(service->isLoggedIn());
  service->setUserCredential(nullptr, kvtest::provider());
  EXPECT_FALSE(service->isLoggedIn());
  EXPECT_EQ(service->getAppID(), "");
  EXPECT_EQ(service->getDUID(), "");
  service->setUserCredential(bare, kvtest::provider());
  EXPECT_FALSE(service->isLoggedIn()) << "a childless node loads nothing";
}

TEST_F(AccountTest, CancelBeforeCompletionTellsOnlyTheCancelCallback) {
  kvtest::logIn(oai);
  typedef W::WSTATUS (W::WKVOAI::*Start)(W::KVAccountCallback, void*);
  const Start starts[] = {&W::WKVOAI::registerKV, &W::WKVOAI::authKV};
  for (Start start : starts) {
    kvtest::resetLogs();
    ASSERT_EQ((oai.*start)(kvtest::onAccount, &userData), 0);
    ASSERT_EQ(oai.cancel(kvtest::provider(), kvtest::onCancel, &cancelUserData), 0);
    executor.completeLast(0, 200, kvtest::okAnswer());
    EXPECT_EQ(kvtest::callbacks().size(), 0u);
    ASSERT_EQ(kvtest::cancels().size(), 1u);
    EXPECT_EQ(kvtest::cancels().entries[0].status, 0);
    EXPECT_EQ(kvtest::cancels().entries[0].userData, &userData)
        << "the cancel callback gets the cancelled operation's user data";
    EXPECT_FALSE(oai.isCancelRequested());
    EXPECT_EQ(oai.pendingCommands(), 0u);
  }
}

TEST_F(AccountTest, CancelledAuthenticationDoesNotReadTheAnswer) {
  // Logged in through options that differ from what the answer would load.
  kvtest::logIn(oai);
  kvtest::configure("app-2", "token-2", "duid-2");
  ASSERT_EQ(oai.authKV(kvtest::onAccount, &userData), 0);
  ASSERT_EQ(oai.cancel(kvtest::provider(), kvtest::onCancel, &cancelUserData), 0);
  executor.completeLast(0, 200, kvtest::okAnswer());
  EXPECT_EQ(oai.getService()->getAuthToken(), "token-1");
  EXPECT_EQ(kvtest::cancels().size(), 1u);
}

TEST_F(AccountTest, WithoutCallbackRegistrationKeepsButAuthenticationClearsCredentials) {
  kvtest::logIn(oai);
  ASSERT_EQ(oai.registerKV(nullptr, nullptr), 0);
  ASSERT_EQ(oai.cancel(kvtest::provider(), kvtest::onCancel, &cancelUserData), 0);
  executor.completeLast(0, 200, kvtest::okAnswer());
  EXPECT_TRUE(oai.getService()->isLoggedIn());
  EXPECT_FALSE(oai.isCancelRequested()) << "the flag is reset, not reported";
  EXPECT_EQ(kvtest::cancels().size(), 0u);

  ASSERT_EQ(oai.authKV(nullptr, nullptr), 0);
  executor.completeLast(0, 200, kvtest::okAnswer());
  EXPECT_FALSE(oai.getService()->isLoggedIn());
  EXPECT_EQ(oai.getService()->getAppID(), "");
  EXPECT_EQ(oai.pendingCommands(), 0u);
  EXPECT_EQ(kvtest::callbacks().size(), 0u);
}

}  // namespace
