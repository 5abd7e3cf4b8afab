// Wire-format pieces of kvsim without a server: form decoding, XML escaping,
// Authorization parsing, signatures, date texts, media bytes, fault rules and
// flag parsing.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "Accounts.h"
#include "AuthHeader.h"
#include "Faults.h"
#include "FormCodec.h"
#include "HttpDate.h"
#include "MediaBytes.h"
#include "Options.h"
#include "TestFiles.h"
#include "XmlWriter.h"

namespace kvsim {
namespace {

TEST(PercentDecode, DecodesPlusAndEscapesAndKeepsMalformedOnes) {
  struct Row {
    const char* in;
    const char* out;
  } rows[] = {
      {"Tom+%26+Jerry+%3D+100%25", "Tom & Jerry = 100%"},
      {"a%2Bb", "a+b"},
      {"%e2%82%ac", "\xe2\x82\xac"},
      {"100%", "100%"},
      {"%zz", "%zz"},
      {"%4", "%4"},
      {"plain text", "plain text"},
      {"", ""},
  };
  for (const Row& r : rows) EXPECT_EQ(percentDecode(r.in), r.out) << r.in;
}

TEST(FormParse, SkipsEmptyPairsAndDecodesNamesAndValues) {
  Form f = Form::parse("&search_before=c1010&&option_include=creator%2Cmember&flag&x=a+b&");
  ASSERT_EQ(f.pairs().size(), 4u);
  EXPECT_EQ(f.get("search_before"), "c1010");
  EXPECT_EQ(f.get("option_include"), "creator,member");
  EXPECT_TRUE(f.has("flag"));
  EXPECT_EQ(f.get("flag", "fallback"), "");
  EXPECT_EQ(f.get("x"), "a b");
  EXPECT_FALSE(f.has("search_count"));
  EXPECT_EQ(f.get("search_count", "30"), "30");
}

TEST(FormParse, FirstOfRepeatedNamesWins) {
  EXPECT_EQ(Form::parse("a=1&a=2").get("a"), "1");
}

TEST(PercentEncode, RoundTripsEveryByte) {
  std::string all;
  for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
  EXPECT_EQ(percentDecode(percentEncode(all)), all);
  EXPECT_EQ(percentEncode("a b&c"), "a%20b%26c");
}

TEST(ParseCount, AcceptsOnlyWholeNonNegativeNumbers) {
  EXPECT_EQ(parseCount("12", -1), 12);
  EXPECT_EQ(parseCount("", 10), 10);
  EXPECT_EQ(parseCount("12x", -1), -1);
  EXPECT_EQ(parseCount("-3", -1), -1);
  EXPECT_EQ(parseCount("99999999999999999999", -1), -1);
}

TEST(XmlEscape, EscapesTheFiveSpecialCharacters) {
  EXPECT_EQ(xmlEscape("<a href=\"x\">Tom & Jerry's</a>"),
            "&lt;a href=&quot;x&quot;&gt;Tom &amp; Jerry&apos;s&lt;/a&gt;");
}

TEST(XmlWriter, EnvelopeHasResultAndData) {
  XmlWriter w;
  w.open("group", {{"groupId", "g<1>"}}).element("groupName", "A&B").close();
  EXPECT_EQ(envelope(true, "ok", w.str()),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rsp><result><stat>ok</stat>"
            "<desc>ok</desc></result><data><group groupId=\"g&lt;1&gt;\"><groupName>A&amp;B"
            "</groupName></group></data></rsp>");
  EXPECT_EQ(envelope(false, "bad", "", false),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rsp><result><stat>fail</stat>"
            "<desc>bad</desc></result></rsp>");
}

TEST(Signature, MatchesHmacSha1OverTokenAndZeroByte) {
  // Reference values from `printf 'kvdemo-token\0' | openssl dgst -sha1 -hmac kvdemo-app`.
  EXPECT_EQ(signatureOf("kvdemo-app", "kvdemo-token"), "a81c847c0399831776f9da25c2edd780e3125f29");
  EXPECT_EQ(signatureOf("", ""), "3bed69f1c6abb4c8a2dcb7207b0e9458196f59ae");
}

TEST(AuthorizationParse, ReadsThePluginsValueWithOrWithoutLeadingSpace) {
  std::string value = buildAuthorization("APP", "TOK", "DEV", std::string(40, 'a'));
  ASSERT_EQ(value[0], ' ');
  for (const std::string& v : {value, value.substr(1)}) {
    AuthFields f;
    ASSERT_TRUE(parseAuthorization(v, f)) << v;
    EXPECT_EQ(f["auth_identifier"], "KV_AUTH_V1");
    EXPECT_EQ(f["app_id"], "APP");
    EXPECT_EQ(f["app_type"], "dtv");
    EXPECT_EQ(f["token"], "TOK");
    EXPECT_EQ(f["token_type"], "user");
    EXPECT_EQ(f["duid"], "DEV");
    EXPECT_EQ(f["signature"], std::string(40, 'a'));
  }
}

TEST(AuthorizationParse, RejectsUnquotedOrUnterminatedValues) {
  AuthFields f;
  EXPECT_FALSE(parseAuthorization("app_id=APP", f));
  EXPECT_FALSE(parseAuthorization("app_id=\"APP", f));
  EXPECT_FALSE(parseAuthorization("Basic dXNlcjpwYXNz", f));
  EXPECT_FALSE(parseAuthorization("", f));
  EXPECT_TRUE(parseAuthorization("app_id=\"\"", f));
  EXPECT_EQ(f["app_id"], "");
}

TEST(AccountCheck, SortsRequestsIntoAcceptedAndRefused) {
  AccountList accounts;
  accounts.add(AccountList::defaultAccount());
  const std::string good = signatureOf("kvdemo-app", "kvdemo-token");
  const std::string empty = signatureOf("", "");
  struct Row {
    std::string appId, token, duid, signature;
    bool accountRequest;
    bool accepted;
  } rows[] = {
      {"kvdemo-app", "kvdemo-token", "kvdemo-tv-0001", good, false, true},
      {"kvdemo-app", "kvdemo-token", "kvdemo-tv-0001", good, true, true},
      {"kvdemo-app", "kvdemo-token", "kvdemo-tv-0001", empty, true, true},
      {"kvdemo-app", "kvdemo-token", "kvdemo-tv-0001", empty, false, false},
      {"kvdemo-app", "kvdemo-token", "kvdemo-tv-0001", std::string(40, '0'), false, false},
      {"kvdemo-app", "kvdemo-token", "other-tv", good, false, false},
      {"other-app", "kvdemo-token", "kvdemo-tv-0001", signatureOf("other-app", "kvdemo-token"),
       false, false},
      {"", "", "", empty, true, false},
  };
  for (const Row& r : rows) {
    AuthResult result =
        accounts.check(buildAuthorization(r.appId, r.token, r.duid, r.signature), r.accountRequest);
    EXPECT_EQ(result.account != nullptr, r.accepted)
        << r.appId << "/" << r.duid << " sig " << r.signature << " account " << r.accountRequest;
  }
}

TEST(AccountCheck, RefusesOtherSchemesAndMissingFields) {
  AccountList accounts;
  accounts.add(AccountList::defaultAccount());
  std::string good = buildAuthorization("kvdemo-app", "kvdemo-token", "kvdemo-tv-0001",
                                        signatureOf("kvdemo-app", "kvdemo-token"));
  std::string otherScheme = good;
  otherScheme.replace(otherScheme.find("KV_AUTH_V1"), 10, "KV_AUTH_V2");
  std::string noDuid = good;
  noDuid.replace(noDuid.find("duid="), 4, "dvid");
  EXPECT_EQ(accounts.check(otherScheme, false).account, nullptr);
  EXPECT_EQ(accounts.check(noDuid, false).account, nullptr);
  EXPECT_EQ(accounts.check("", false).reason, "missing Authorization");
}

// One date in every month, every weekday among them: each is accepted, and
// refused under any other weekday's name.
TEST(DateHeader, AcceptsTheWeekdayAndMonthOfTheDateOnly) {
  const char* const kWeekdays[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
  const std::string valid[] = {
      "Sat, 31 Jan 2026 0:0:0 GMT",    "Thu, 29 Feb 2024 23:59:59 GMT",
      "Wed, 31 Mar 2027 9:5:3 GMT",    "Fri, 30 Apr 2027 12:0:7 GMT",
      "Mon, 31 May 2027 1:2:3 GMT",    "Sun, 30 Jun 2024 18:30:0 GMT",
      "Wed, 31 Jul 2024 6:45:59 GMT",  "Tue, 31 Aug 2027 0:1:0 GMT",
      "Wed, 30 Sep 2026 13:13:13 GMT", "Thu, 31 Oct 2024 20:0:1 GMT",
      "Tue, 30 Nov 2027 7:7:7 GMT",    "Thu, 31 Dec 2026 23:0:0 GMT",
  };
  for (const std::string& text : valid) {
    EXPECT_TRUE(isValidDateHeader(text)) << text;
    for (const char* weekday : kWeekdays) {
      const std::string renamed = weekday + text.substr(3);
      if (renamed != text) {
        EXPECT_FALSE(isValidDateHeader(renamed)) << renamed;
      }
    }
  }
}

TEST(DateHeader, AcceptsThePluginsFormAndLeadingZerosOnly) {
  struct Row {
    const char* text;
    bool valid;
  } rows[] = {
      {"Mon, 7 Dec 2026 9:5:3 GMT", true},
      {"Fri, 1 Jan 2027 0:0:0 GMT", true},
      {"Tue, 08 Dec 2026 00:10:31 GMT", true},
      {"Mon, 7 Dec 2026 9:5:3 UTC", false},
      {"Mon 7 Dec 2026 9:5:3 GMT", false},
      {"Mon, 32 Dec 2026 9:5:3 GMT", false},
      {"Mon, 7 Dez 2026 9:5:3 GMT", false},
      {"Mon, 7 Dec 2026 24:5:3 GMT", false},
      {"Mon, 7 Dec 26 9:5:3 GMT", false},
      {"Mon, 7 Dec 2026 9:5 GMT", false},
      {"Mon, 1 Mar 2027 0:0:0 GMT", true},
      {"Mon, 29 Feb 2027 0:0:0 GMT", false},
      {"Sat, 31 Apr 2027 0:0:0 GMT", false},
      {"Wed, 31 Feb 2027 9:5:3 GMT", false},
      {"", false},
  };
  for (const Row& r : rows) EXPECT_EQ(isValidDateHeader(r.text), r.valid) << r.text;
}

TEST(DateHeader, FormatsWithoutZeroPadding) {
  EXPECT_EQ(formatDateHeader(utcTime(2026, 12, 7, 9, 5, 3)), "Mon, 7 Dec 2026 9:5:3 GMT");
  EXPECT_EQ(formatDateHeader(utcTime(2027, 1, 3, 0, 0, 0)), "Sun, 3 Jan 2027 0:0:0 GMT");
  EXPECT_EQ(formatServiceDate(utcTime(2026, 12, 7, 9, 5, 3)), "2026-12-07 09:05:03");
}

uint32_t be32(const std::string& s, size_t at) {
  return (static_cast<uint32_t>(static_cast<unsigned char>(s[at])) << 24) |
         (static_cast<uint32_t>(static_cast<unsigned char>(s[at + 1])) << 16) |
         (static_cast<uint32_t>(static_cast<unsigned char>(s[at + 2])) << 8) |
         static_cast<unsigned char>(s[at + 3]);
}

TEST(MediaBytes, PngHasSignatureSizeAndEnd) {
  std::string png = makePng(274, 204, 1, 2, 3);
  EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  EXPECT_EQ(png.substr(12, 4), "IHDR");
  EXPECT_EQ(be32(png, 16), 274u);
  EXPECT_EQ(be32(png, 20), 204u);
  EXPECT_EQ(png.substr(png.size() - 8, 4), "IEND");
  // The IEND CRC is a constant of the format.
  EXPECT_EQ(be32(png, png.size() - 4), 0xae426082u);
}

TEST(MediaBytes, JpegHasMarkersAndFrameSize) {
  std::string jpeg = makeJpeg(116, 87, "note");
  EXPECT_EQ(jpeg.substr(0, 4), std::string("\xff\xd8\xff\xe0", 4));
  EXPECT_EQ(jpeg.substr(jpeg.size() - 2), std::string("\xff\xd9", 2));
  size_t sof = jpeg.find(std::string("\xff\xc0", 2));
  ASSERT_NE(sof, std::string::npos);
  EXPECT_EQ(
      static_cast<unsigned char>(jpeg[sof + 5]) * 256 + static_cast<unsigned char>(jpeg[sof + 6]),
      87);
  EXPECT_EQ(
      static_cast<unsigned char>(jpeg[sof + 7]) * 256 + static_cast<unsigned char>(jpeg[sof + 8]),
      116);
  EXPECT_NE(jpeg.find("note"), std::string::npos);
}

TEST(MediaBytes, Mp4AndMp3StartWithTheirMagic) {
  std::string mp4 = makeMp4("x", 4096);
  EXPECT_EQ(mp4.substr(4, 8), "ftypisom");
  EXPECT_GE(mp4.size(), 4096u);
  std::string mp3 = makeMp3("x", 4096);
  EXPECT_EQ(mp3.substr(0, 3), "ID3");
  EXPECT_NE(mp3.find(std::string("\xff\xfb\x90\x00", 4)), std::string::npos);
}

TEST(MediaBytes, MimeTypesFollowExtensions) {
  EXPECT_EQ(mimeForName("a/photo.jpg"), "image/jpeg");
  EXPECT_EQ(mimeForName("x.png"), "image/png");
  EXPECT_EQ(mimeForName("clip.mp4"), "video/mp4");
  EXPECT_EQ(mimeForName("song.mp3"), "audio/mpeg");
  EXPECT_EQ(mimeForName("README"), "application/octet-stream");
  EXPECT_EQ(extensionForMime("image/jpeg"), "jpg");
  EXPECT_EQ(extensionForMime("text/plain"), "bin");
}

TEST(FaultRules, ParseFieldsAndRejectBadOnes) {
  FaultRule rule;
  std::string error;
  ASSERT_TRUE(Faults::parseRule("kind=slow&path=%5E%2Fmedia%2F&bytes=10&interval_ms=5&count=2",
                                rule, error));
  EXPECT_EQ(rule.kind, FaultKind::Slow);
  EXPECT_EQ(rule.pathPattern, "^/media/");
  EXPECT_EQ(rule.bytes, 10);
  EXPECT_EQ(rule.intervalMs, 5);
  EXPECT_EQ(rule.remaining, 2);
  EXPECT_FALSE(Faults::parseRule("kind=explode", rule, error));
  EXPECT_FALSE(Faults::parseRule("kind=status&code=99", rule, error));
  EXPECT_FALSE(Faults::parseRule("kind=latency&ms=-5", rule, error));
  EXPECT_FALSE(Faults::parseRule("kind=malformed&body=html", rule, error));
}

TEST(FaultRules, PathPatternsAreTextWithOptionalAnchors) {
  struct Row {
    const char* pattern;
    const char* path;
    bool matches;
  } rows[] = {
      {"", "/anything", true},
      {"feeds", "/openapi/service/kinvale/g1/feeds", true},
      {"^/media/", "/media/users/u1/picture_72X72.png", true},
      {"^/media/", "/openapi/service/kinvale/media/", false},
      {".png$", "/media/users/u1/picture_72X72.png", true},
      {".png$", "/media/users/u1/picture_72X72.png.bak", false},
      {"^/upload/c1042$", "/upload/c1042", true},
      {"^/upload/c1042$", "/upload/c10420", false},
      {"comment", "/openapi/service/kinvale/c1/comment.list", true},
  };
  for (const Row& r : rows) EXPECT_EQ(pathMatches(r.pattern, r.path), r.matches) << r.pattern;
}

TEST(FaultRules, CountsRunOutAndLatenciesAddUp) {
  Faults faults;
  FaultRule rule;
  std::string error;
  ASSERT_TRUE(Faults::parseRule("kind=latency&ms=30", rule, error));
  faults.add(rule);
  ASSERT_TRUE(Faults::parseRule("kind=latency&ms=20&path=feeds", rule, error));
  faults.add(rule);
  ASSERT_TRUE(Faults::parseRule("kind=error&error=206&path=feeds&method=GET&count=1", rule, error));
  faults.add(rule);
  ASSERT_TRUE(Faults::parseRule("kind=drop&path=feeds", rule, error));
  faults.add(rule);

  FaultPlan first = faults.take("GET", "/x/g1/feeds");
  EXPECT_EQ(first.latencyMs, 50);
  ASSERT_TRUE(first.hasAction);
  EXPECT_EQ(first.action.kind, FaultKind::Error);
  EXPECT_EQ(first.action.error, "206");
  EXPECT_EQ(first.names, "latency,latency,error");

  FaultPlan second = faults.take("GET", "/x/g1/feeds");
  ASSERT_TRUE(second.hasAction);
  EXPECT_EQ(second.action.kind, FaultKind::Drop);

  FaultPlan other = faults.take("POST", "/x/me/group.list");
  EXPECT_EQ(other.latencyMs, 30);
  EXPECT_FALSE(other.hasAction);

  faults.clear();
  EXPECT_EQ(faults.take("GET", "/x/g1/feeds").names, "");
}

TEST(Flags, UnknownFlagsAndBadValuesAreUsageErrors) {
  struct Row {
    std::vector<const char*> args;
    int rc;
  } rows[] = {
      {{"kvsim", "--port", "0"}, 0},
      {{"kvsim", "--bogus"}, 2},
      {{"kvsim", "--port"}, 2},
      {{"kvsim", "--port", "70000"}, 2},
      {{"kvsim", "--exit-after", "soon"}, 2},
      {{"kvsim", "--fault", "kind=nothing"}, 2},
      {{"kvsim", "--app-id", ""}, 2},
      {{"kvsim", "--accounts", "/nonexistent/accounts"}, 2},
      {{"kvsim", "--tls-cert", "c.pem"}, 2},
      {{"kvsim", "--tls-key", "k.pem"}, 2},
      {{"kvsim", "--tls-cert", "c.pem", "--tls-key", "k.pem"}, 0},
      {{"kvsim", "--max-body-bytes", "0"}, 2},
      {{"kvsim", "--max-body-bytes", "99999999999999999999"}, 2},
      {{"kvsim", "--max-body-bytes", "1024"}, 0},
  };
  for (Row& r : rows) {
    Options options;
    std::string error;
    EXPECT_EQ(parseOptions(static_cast<int>(r.args.size()), const_cast<char**>(r.args.data()),
                           options, error),
              r.rc)
        << r.args.back() << ": " << error;
  }
}

// Without flags: a free port, the default family, no time limit, and request
// bodies up to 64 MiB, as --help says.
TEST(Flags, DefaultsAreTheDocumentedOnes) {
  const char* args[] = {"kvsim"};
  Options options;
  std::string error;
  ASSERT_EQ(parseOptions(1, const_cast<char**>(args), options, error), 0) << error;
  EXPECT_EQ(options.port, 0);
  EXPECT_EQ(options.exitAfterSeconds, 0);
  EXPECT_TRUE(options.config.seed);
  EXPECT_EQ(options.config.maxBodyBytes, 67108864u) << "default of --max-body-bytes";
  EXPECT_NE(usageText().find("(default 67108864)"), std::string::npos);
  ASSERT_EQ(options.config.accounts.all().size(), 1u);
  EXPECT_EQ(options.config.accounts.all()[0].appId, "kvdemo-app");
  EXPECT_EQ(options.config.accounts.all()[0].authToken, "kvdemo-token");
  EXPECT_EQ(options.config.accounts.all()[0].duid, "kvdemo-tv-0001");
}

TEST(Flags, SingleAccountFlagsReplaceTheDefaults) {
  const char* args[] = {"kvsim",       "--app-id", "A",       "--auth-token", "T", "--duid", "D",
                        "--app-token", "X",        "--empty", "--exit-after", "7"};
  Options options;
  std::string error;
  ASSERT_EQ(parseOptions(12, const_cast<char**>(args), options, error), 0) << error;
  ASSERT_EQ(options.config.accounts.all().size(), 1u);
  const Account& a = options.config.accounts.all()[0];
  EXPECT_EQ(a.appId, "A");
  EXPECT_EQ(a.authToken, "T");
  EXPECT_EQ(a.duid, "D");
  EXPECT_EQ(a.appToken, "X");
  EXPECT_EQ(a.userId, "u1");
  EXPECT_FALSE(options.config.seed);
  EXPECT_EQ(options.exitAfterSeconds, 7);
}

TEST(Flags, AccountsFileGivesSeveralAccounts) {
  const kvtest::TempDir dir("kvsim-accounts");
  const std::string path = dir.write("accounts.txt",
                                     "# family TVs\n\n"
                                     "app_id=app1 AuthToken=tok1 duid=tv1\n"
                                     "app_id=app2 AuthToken=tok2 duid=tv2 appToken=at2 userId=u2 "
                                     "userName=Sam Kim\n");
  const char* args[] = {"kvsim", "--accounts", path.c_str()};
  Options options;
  std::string error;
  ASSERT_EQ(parseOptions(3, const_cast<char**>(args), options, error), 0) << error;
  const auto& all = options.config.accounts.all();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].userId, "u1");
  EXPECT_EQ(all[1].userId, "u2");
  EXPECT_EQ(all[1].userName, "Sam Kim");
  EXPECT_EQ(all[1].appToken, "at2");
  EXPECT_EQ(options.config.accounts.byAppToken("at2"), &all[1]);
  EXPECT_EQ(options.config.accounts.byAppToken(""), &all[0]);
  EXPECT_EQ(options.config.accounts.byAppToken("nope"), nullptr);

  kvtest::writeFile(path, "app_id=app1 duid=tv1\n");
  Options bad;
  EXPECT_EQ(parseOptions(3, const_cast<char**>(args), bad, error), 2);
}

}  // namespace
}  // namespace kvsim
