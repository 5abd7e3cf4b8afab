// Registration and authentication requests: the configured identity, the
// pending-exception check, the wire form and the hand-over failure.
#include <sstream>
#include <vector>

#include "AccountTestSupport.h"

namespace {

using kvtest::AccountTest;

bool isUnpaddedNumber(const std::string& text, size_t maxDigits) {
  if (text.empty() || text.size() > maxDigits || (text.size() > 1 && text[0] == '0')) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// "Mon, 7 Dec 2026 9:5:3 GMT": no zero padding anywhere.
bool looksLikeServiceDate(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  if (words.size() != 6 || words[0].size() != 4 || words[0][3] != ',') return false;
  if (!isUnpaddedNumber(words[1], 2) || words[2].size() != 3 || words[3].size() != 4) return false;
  std::istringstream clock(words[4]);
  int parts = 0;
  for (std::string p; std::getline(clock, p, ':'); ++parts) {
    if (!isUnpaddedNumber(p, 2)) return false;
  }
  return parts == 3 && words[5] == "GMT";
}

typedef W::WSTATUS (W::WKVOAI::*AccountOperation)(W::KVAccountCallback, void*);

struct Operation {
  const char* name;
  AccountOperation start;
  W::UINT32 key;
  const char* url;
};

const Operation kOperations[] = {
    {"registerKV", &W::WKVOAI::registerKV, 3, "http://kv.test/openapi/service/kinvale/register"},
    {"authKV", &W::WKVOAI::authKV, 5, "http://kv.test/openapi/service/kinvale/auth"},
};

TEST_F(AccountTest, EachMissingIdentityOptionRefusesWithMinusOne) {
  struct Row {
    const char* appId;
    const char* token;
    const char* duid;
  };
  const Row rows[] = {
      {"", "token-1", "duid-1"},
      {"app-1", "", "duid-1"},
      {"app-1", "token-1", ""},
      {"", "", ""},
  };
  for (const Operation& op : kOperations) {
    for (const Row& row : rows) {
      kvtest::configure(row.appId, row.token, row.duid);
      EXPECT_EQ((oai.*op.start)(kvtest::onAccount, &userData), -1)
          << op.name << " " << row.appId << "/" << row.token << "/" << row.duid;
      EXPECT_EQ(executor.size(), 0u);
      EXPECT_EQ(oai.pendingCommands(), 0u);
    }
  }
}

TEST_F(AccountTest, PendingServiceExceptionRefusesWithMinusNineUntilResolved) {
  W::KVService* service = oai.getService();
  ASSERT_EQ(
      service->setException(kvtest::provider(), W::EXCEPTION_CAPTCHA, "a", "b", W::HttpResponse()),
      0);
  for (const Operation& op : kOperations) {
    EXPECT_EQ((oai.*op.start)(kvtest::onAccount, &userData), -9) << op.name;
  }
  EXPECT_EQ(executor.size(), 0u);
  EXPECT_EQ(oai.pendingCommands(), 0u);

  service->flushException(service->getException());
  EXPECT_EQ(oai.registerKV(kvtest::onAccount, &userData), 0);
  EXPECT_EQ(executor.size(), 1u);
}

TEST_F(AccountTest, RequestIsAnEmptyPostSignedWithTheConfiguredIdentity) {
  // Before the first authentication the session signs with empty
  // credentials; afterwards with its own.
  struct Row {
    bool loggedIn;
    const char* signature;
  };
  const Row rows[] = {
      {false, "3bed69f1c6abb4c8a2dcb7207b0e9458196f59ae"},
      {true, "3251d3cbc61058e6c02ac88ebf73c73a8f4885a9"},
  };
  for (const Row& row : rows) {
    if (row.loggedIn) kvtest::logIn(oai);
    for (const Operation& op : kOperations) {
      executor.dropAll();
      oai.cleanupCMD();
      ASSERT_EQ((oai.*op.start)(kvtest::onAccount, &userData), 0) << op.name;
      ASSERT_EQ(executor.size(), 1u);
      W::HttpRequest* request = executor.at(0);
      EXPECT_EQ(request->getType(), W::HTTP_POST);
      EXPECT_EQ(request->getURL(), op.url);
      EXPECT_EQ(request->getBody(), "");
      EXPECT_EQ(kvtest::headerNames(request), (std::vector<std::string>{"Authorization", "DATE"}));
      EXPECT_EQ(kvtest::headerOf(request, "Authorization"),
                std::string(" auth_identifier=\"KV_AUTH_V1\", app_id=\"app-1\", app_type=\"dtv\", "
                            "token=\"token-1\", token_type=\"user\", duid=\"duid-1\", "
                            "signature=\"") +
                    row.signature + "\"")
          << op.name;
      EXPECT_TRUE(looksLikeServiceDate(kvtest::headerOf(request, "DATE")))
          << kvtest::headerOf(request, "DATE");
      auto* cmd = dynamic_cast<W::AccountCMD*>(commandOf(0));
      ASSERT_NE(cmd, nullptr);
      EXPECT_EQ(cmd->getCMDKey(), op.key);
      EXPECT_EQ(cmd->token, "token-1");
      EXPECT_EQ(cmd->appId, "app-1");
      EXPECT_EQ(cmd->duid, "duid-1");
      EXPECT_EQ(cmd->callback, &kvtest::onAccount);
      EXPECT_EQ(cmd->userData, &userData);
      EXPECT_EQ(cmd->pOAI, &oai);
      EXPECT_EQ(oai.pendingCommands(), 1u);
    }
  }
}

TEST_F(AccountTest, StartingAnAccountRequestClearsAStaleCancel) {
  kvtest::logIn(oai);
  ASSERT_EQ(oai.cancel(kvtest::provider(), kvtest::onCancel, &cancelUserData), 0);
  ASSERT_EQ(oai.authKV(kvtest::onAccount, &userData), 0);
  EXPECT_FALSE(oai.isCancelRequested());
}

TEST_F(AccountTest, RefusedHandOverReturnsTheStatusAndForgetsTheCommand) {
  for (const Operation& op : kOperations) {
    executor.refuseNext(-16);
    EXPECT_EQ((oai.*op.start)(kvtest::onAccount, &userData), -16) << op.name;
    EXPECT_EQ(oai.pendingCommands(), 0u);
    EXPECT_EQ(oai.getService()->pendingArgs(), 0u);
    EXPECT_EQ(executor.size(), 0u);
  }
  EXPECT_EQ(kvtest::callbacks().size(), 0u);
}

}  // namespace
