// Request signing, the DATE text, the Authorization value, header order and
// the service URL.
#include <gtest/gtest.h>

#include "PluginTestSupport.h"
#include "service/KVUrlEncode.h"

namespace {

using W::KVService;

TEST(Signature, MatchesKnownHmacSha1Vectors) {
  struct Row {
    const char* key;
    const char* message;
    const char* expected;
  };
  const Row rows[] = {
      // Before login: the zero byte alone under an empty key.
      {"", "", "3bed69f1c6abb4c8a2dcb7207b0e9458196f59ae"},
      {"app-1", "token-1", "3251d3cbc61058e6c02ac88ebf73c73a8f4885a9"},
      {"kvdemo-app", "kvdemo-token", "a81c847c0399831776f9da25c2edd780e3125f29"},
  };
  for (const Row& row : rows) {
    std::string out;
    KVService::getAPISignature(row.key, row.message, out);
    EXPECT_EQ(out, row.expected) << row.key << "/" << row.message;
  }
}

TEST(Signature, AppendsToTheOutput) {
  std::string out = "x";
  KVService::getAPISignature("", "", out);
  EXPECT_EQ(out, "x3bed69f1c6abb4c8a2dcb7207b0e9458196f59ae");
}

// No zero padding; one date in every month, and every weekday.
TEST(DateText, NamesEveryMonthAndWeekdayWithoutZeroPadding) {
  struct Row {
    std::time_t when;
    const char* expected;
  };
  const Row rows[] = {
      {1796634303, "Mon, 7 Dec 2026 9:5:3 GMT"},
      {1796515200, "Sun, 6 Dec 2026 0:0:0 GMT"},
      {1798847999, "Fri, 1 Jan 2027 23:59:59 GMT"},
      {1709209800, "Thu, 29 Feb 2024 12:30:0 GMT"},
      {0, "Thu, 1 Jan 1970 0:0:0 GMT"},
      {1798956243, "Sun, 3 Jan 2027 6:4:3 GMT"},
      {1801897686, "Sat, 6 Feb 2027 7:8:6 GMT"},
      {1804579929, "Tue, 9 Mar 2027 8:12:9 GMT"},
      {1807521372, "Mon, 12 Apr 2027 9:16:12 GMT"},
      {1810376415, "Sat, 15 May 2027 10:20:15 GMT"},
      {1813317858, "Fri, 18 Jun 2027 11:24:18 GMT"},
      {1816172901, "Wed, 21 Jul 2027 12:28:21 GMT"},
      {1819114344, "Tue, 24 Aug 2027 13:32:24 GMT"},
      {1820586987, "Fri, 10 Sep 2027 14:36:27 GMT"},
      {1823442030, "Wed, 13 Oct 2027 15:40:30 GMT"},
      {1826383473, "Tue, 16 Nov 2027 16:44:33 GMT"},
      {1829238516, "Sun, 19 Dec 2027 17:48:36 GMT"},
  };
  for (const Row& row : rows) EXPECT_EQ(KVService::getGMTTime(row.when), row.expected);
}

TEST(Authorization, IsBuiltByteForByte) {
  EXPECT_EQ(KVService::buildAuthorization("app-1", "token-1", "duid-1",
                                          "3251d3cbc61058e6c02ac88ebf73c73a8f4885a9"),
            " auth_identifier=\"KV_AUTH_V1\", app_id=\"app-1\", app_type=\"dtv\", "
            "token=\"token-1\", token_type=\"user\", duid=\"duid-1\", "
            "signature=\"3251d3cbc61058e6c02ac88ebf73c73a8f4885a9\"");
}

TEST(Authorization, SessionHeadersUseTheLoggedInCredentials) {
  kvtest::configure("app-1", "token-1", "duid-1");
  W::WKVOAI oai;
  kvtest::logIn(oai);
  W::KVHeaderMap headers = oai.getService()->sessionHeaders();
  ASSERT_EQ(headers.size(), 2u);
  EXPECT_EQ(headers.begin()->first, "Authorization") << "map order is the wire order";
  EXPECT_EQ(headers["Authorization"],
            KVService::buildAuthorization("app-1", "token-1", "duid-1",
                                          "3251d3cbc61058e6c02ac88ebf73c73a8f4885a9"));
  EXPECT_NE(headers["DATE"].find(" GMT"), std::string::npos);
  kvtest::clearConfiguration();
}

TEST(Authorization, ConfigHeadersTakeFieldsFromOptionsButSignWithTheSession) {
  kvtest::configure("app-1", "token-1", "duid-1");
  W::WKVOAI oai;  // not logged in: the session's app ID and token are empty
  W::KVHeaderMap headers = oai.getService()->configHeaders();
  EXPECT_EQ(headers["Authorization"],
            KVService::buildAuthorization("app-1", "token-1", "duid-1",
                                          "3bed69f1c6abb4c8a2dcb7207b0e9458196f59ae"));
  kvtest::clearConfiguration();
}

TEST(Authorization, SignatureFollowsEveryChangeOfCredentials) {
  // The session keeps its last signature; each change of account must
  // replace it before the next request.
  kvtest::configure("app-1", "token-1", "duid-1");
  W::WKVOAI oai;
  W::KVService* service = oai.getService();
  const std::string beforeLogin = KVService::buildAuthorization(
      "app-1", "token-1", "duid-1", "3bed69f1c6abb4c8a2dcb7207b0e9458196f59ae");
  const std::string loggedIn = KVService::buildAuthorization(
      "app-1", "token-1", "duid-1", "3251d3cbc61058e6c02ac88ebf73c73a8f4885a9");
  EXPECT_EQ(service->configHeaders()["Authorization"], beforeLogin);
  kvtest::logIn(oai);
  EXPECT_EQ(service->sessionHeaders()["Authorization"], loggedIn);
  EXPECT_EQ(service->configHeaders()["Authorization"], loggedIn);
  service->setUserCredential(nullptr, oai.getContentProvider());  // logged out
  EXPECT_EQ(service->configHeaders()["Authorization"], beforeLogin);
  kvtest::clearConfiguration();
}

TEST(ServiceUrl, JoinsBaseAndResourceWithoutDoubleSlash) {
  W::WKVOAI oai;
  struct Row {
    const char* base;
    const char* expected;
  };
  const Row rows[] = {
      {"http://kv.test", "http://kv.test/openapi/service/kinvale/me/group.list?a=1"},
      {"http://kv.test/", "http://kv.test/openapi/service/kinvale/me/group.list?a=1"},
      {"", "http://127.0.0.1:8380/openapi/service/kinvale/me/group.list?a=1"},
  };
  for (const Row& row : rows) {
    kvtest::configure("a", "t", "d", row.base);
    EXPECT_EQ(oai.getService()->serviceURL("me/group.list?a=1"), row.expected) << row.base;
  }
  kvtest::clearConfiguration();
}

TEST(TextHelpers, Int2strAndSpace2Char) {
  EXPECT_EQ(KVService::int2str(0), "0");
  EXPECT_EQ(KVService::int2str(4294967295u), "4294967295");
  EXPECT_EQ(KVService::int2str(30), "30");
  std::string text = "a  b c";
  EXPECT_EQ(KVService::space2Char(text), "a++b+c");
  EXPECT_EQ(text, "a++b+c");
  std::string empty;
  EXPECT_EQ(KVService::space2Char(empty), "");
}

TEST(PercentEncode, KeepsUnreservedAndEncodesTheRest) {
  struct Row {
    std::string in;
    const char* out;
  };
  const Row rows[] = {
      {"abcXYZ019-._~", "abcXYZ019-._~"},     {"Tom & Jerry = 100%", "Tom+%26+Jerry+%3D+100%25"},
      {"a/b?c#d+e", "a%2Fb%3Fc%23d%2Be"},     {std::string("nul\0x", 5), "nul%00x"},
      {"\xC3\xA9t\xC3\xA9", "%C3%A9t%C3%A9"}, {"", ""},
  };
  for (const Row& row : rows) EXPECT_EQ(W::percentEncode(row.in), row.out);
}

}  // namespace
