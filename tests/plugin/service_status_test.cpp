// The three status tables and their end-to-end results, and the limit
// options.
#include <W/WConfigManager.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>
#include <map>

#include "HttpRequestImpl.h"
#include "PluginTestSupport.h"
#include "TestFiles.h"
#include "frame/WKVOAI.h"
#include "service/KVLimits.h"
#include "service/KVService.h"

namespace {

using W::KVService;

// Every HTTP code from 0 to 999 (and a few beyond): the listed ones and 255.
TEST(HttpCodeTable, MapsEveryCode) {
  const std::map<int, unsigned> listed = {
      {200, 0},  {201, 0},  {304, 0},  {400, 141}, {403, 141}, {401, 142},
      {404, 45}, {410, 45}, {409, 44}, {412, 44},  {500, 43},
  };
  for (int code = -1; code <= 1000; ++code) {
    const auto row = listed.find(code);
    EXPECT_EQ(KVService::getKVSTATUS(code), row != listed.end() ? row->second : 255u) << code;
  }
  EXPECT_EQ(KVService::getKVSTATUS(std::numeric_limits<int>::max()), 255u);
}

// Every three-digit code text, and texts that only look like one.
TEST(ServiceCodeTable, MapsEveryCode) {
  const std::map<std::string, unsigned> listed = {
      {"206", 142}, {"207", 142}, {"100", 1},   {"101", 1},   {"102", 1},
      {"103", 1},   {"104", 1},   {"105", 1},   {"106", 1},   {"107", 1},
      {"108", 1},   {"109", 1},   {"209", 1},   {"210", 1},   {"300", 1},
      {"203", 101}, {"204", 101}, {"205", 101}, {"208", 101}, {"500", 101},
      {"501", 101}, {"502", 101}, {"200", 21},  {"201", 21},  {"202", 21},
  };
  char text[12];  // room for any int: the compiler cannot see the loop's range
  for (int code = 0; code <= 999; ++code) {
    std::snprintf(text, sizeof text, "%03d", code);
    const auto row = listed.find(text);
    EXPECT_EQ(KVService::getKVSTATUS(std::string(text)), row != listed.end() ? row->second : 255u)
        << text;
  }
  for (const char* text : {"", "1", "10", "0100", "2060", " 206", "206 ", "abc", "+100"}) {
    EXPECT_EQ(KVService::getKVSTATUS(std::string(text)), 255u) << '"' << text << '"';
  }
}

// Internal codes 0 to 142, one entry each; above 142 everything is -16.
TEST(WlibTable, MapsEveryInternalCode) {
  const int expected[143] = {
      /*   0 */ 0,    -1,   -16,  -16,  -16,  -3,   -16, -16, -16, -16,
      /*  10 */ -16,  -16,  -16,  -16,  -16,  -16,  -16, -16, -16, -16,
      /*  20 */ -16,  -200, -13,  -13,  -500, -200, -13, -13, -13, -107,
      /*  30 */ -202, -16,  -16,  -16,  -16,  -16,  -16, -16, -16, -16,
      /*  40 */ -16,  -100, -105, -107, -203, -205, -16, -16, -16, -16,
      /*  50 */ -16,  -16,  -16,  -16,  -16,  -16,  -16, -16, -16, -16,
      /*  60 */ -16,  -5,   -5,   -5,   -5,   -5,   -5,  -5,  -16, -16,
      /*  70 */ -16,  -16,  -16,  -16,  -16,  -16,  -16, -16, -16, -16,
      /*  80 */ -16,  -108, -16,  -16,  -16,  -16,  -16, -16, -16, -16,
      /*  90 */ -16,  -16,  -16,  -16,  -16,  -16,  -16, -16, -16, -16,
      /* 100 */ -16,  -16,  -9,   -16,  -16,  -16,  -16, -16, -16, -16,
      /* 110 */ -16,  -16,  -16,  -16,  -16,  -16,  -16, -16, -16, -16,
      /* 120 */ -16,  -16,  -16,  -16,  -16,  -16,  -16, -16, -16, -16,
      /* 130 */ -16,  -16,  -16,  -16,  -16,  -16,  -16, -16, -16, -16,
      /* 140 */ -16,  -205, -202,
  };
  for (unsigned code = 0; code <= 142; ++code) {
    EXPECT_EQ(KVService::getWlibSTATUS(code), expected[code]) << code;
  }
  for (unsigned code = 143; code <= 1000; ++code)
    EXPECT_EQ(KVService::getWlibSTATUS(code), -16) << code;
  EXPECT_EQ(KVService::getWlibSTATUS(4294967295u), -16);
}

TEST(EndToEnd, HttpCodesBecomeHostStatuses) {
  const std::pair<int, int> rows[] = {
      {200, 0},    {201, 0},    {304, 0},    {400, -205}, {403, -205}, {404, -205}, {410, -205},
      {401, -202}, {409, -203}, {412, -203}, {500, -107}, {202, -16},  {503, -16},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(KVService::getWlibSTATUS(KVService::getKVSTATUS(row.first)), row.second) << row.first;
  }
}

TEST(EndToEnd, ServiceCodesBecomeHostStatuses) {
  const std::pair<const char*, int> rows[] = {
      {"206", -202}, {"207", -202}, {"100", -1},  {"300", -1},  {"200", -200},
      {"201", -200}, {"202", -200}, {"203", -16}, {"500", -16}, {"", -16},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(KVService::getWlibSTATUS(KVService::getKVSTATUS(std::string(row.first))), row.second)
        << row.first;
  }
}

TEST(EndToEnd, TransportStatusesBecomeHostStatuses) {
  const std::pair<unsigned, int> rows[] = {
      {W::SESSION_OK, 0},           {W::SESSION_NOT_STARTED, -3}, {W::SESSION_CONNECT_FAILED, -100},
      {W::SESSION_TIMED_OUT, -105}, {W::SESSION_BROKEN, -107},    {W::SESSION_FILE_ERROR, -5},
      {W::SESSION_CANCELLED, -108}, {W::SESSION_TOO_LARGE, -16},
  };
  for (const auto& row : rows) EXPECT_EQ(KVService::getWlibSTATUS(row.first), row.second);
}

// Limit options come from a host's configuration file: anything but a whole
// number keeps the default.
TEST(LimitOptions, OnlyWholeNumbersReplaceTheDefault) {
  const std::pair<const char*, long long> rows[] = {
      {"", 7},
      {"0", 0},
      {"65536", 65536},
      {"9007199254740992", 9007199254740992},
      {"-1", 7},
      {"12abc", 7},
      {" 5", 7},
      {"1e6", 7},
      {"9007199254740993", 7},
      {"99999999999999999999999", 7},
  };
  testing::internal::CaptureStdout();
  for (const auto& row : rows)
    EXPECT_EQ(W::limitOption("key", row.first, 7), row.second) << row.first;
  EXPECT_NE(testing::internal::GetCapturedStdout().find("#WARNING option key=\"-1\""),
            std::string::npos)
      << "the first bad value is reported";
}

// Every limit option's default, as README's table of provider options gives
// it, and a value given for it, as a session reads them from the options.
TEST(LimitOptions, EachOptionHasItsDocumentedDefaultAndTakesAWholeNumber) {
  const W::WContentProvider provider("Kinvale", 12);
  struct Row {
    const char* key;
    long long defaultValue;
    long long W::KVLimits::*field;
  } rows[] = {
      {"max_answer_bytes", 33554432, &W::KVLimits::maxAnswerBytes},
      {"request_timeout", 60, &W::KVLimits::requestTimeoutSeconds},
      {"max_answer_elements", 100000, &W::KVLimits::maxAnswerElements},
      {"max_answer_records", 10000, &W::KVLimits::maxAnswerRecords},
      {"max_download_bytes", 1073741824, &W::KVLimits::maxDownloadBytes},
  };
  const std::string readme = kvtest::readFile(KV_SOURCE_DIR "/README.md");
  ASSERT_FALSE(readme.empty());
  W::WConfigManager& config = W::WConfigManager::getInstance();
  config.clearCPOptions(provider);
  KVService session("Kinvale", provider);
  for (const Row& row : rows) {
    EXPECT_EQ(session.limits().*row.field, row.defaultValue) << "default of " << row.key;
    const std::string documented =
        "| `" + std::string(row.key) + "` | " + std::to_string(row.defaultValue) + " ";
    EXPECT_NE(readme.find(documented), std::string::npos)
        << "README does not document " << row.key << "=" << row.defaultValue << " as the default";
    config.setCPOption(provider, row.key, "12345");
    EXPECT_EQ(session.limits().*row.field, 12345) << row.key << "=12345";
    config.setCPOption(provider, row.key, "0");
    EXPECT_EQ(session.limits().*row.field, 0) << row.key << "=0 (no limit)";
  }
  config.clearCPOptions(provider);
}

// What each kind of request is limited by: service calls and MIME probes end
// after the request timeout, answers kept in memory are capped and so are
// media files, probes read headers only, media alone follows redirects, and
// all trust the CA file.
TEST(LimitOptions, EachKindOfRequestGetsItsLimits) {
  using Kind = W::KVRequestKind;
  // The largest timeout option (2^53 s) in milliseconds, or the most a
  // 32-bit long holds.
  const long most = sizeof(long) == 8 ? 9007199254740992000L : 2147483000L;
  struct Row {
    const char* name;
    Kind kind;
    W::KVLimits limits;
    long totalMs;
    long long maxBody;
    long long maxFile;
    bool headersOnly;
    bool follow;
    const char* caFile;
  } rows[] = {
      {"service call",
       Kind::ServiceCall,
       {1234, 7, "/kv/ca.pem"},
       7000,
       1234,
       0,
       false,
       false,
       "/kv/ca.pem"},
      {"MIME probe",
       Kind::MediaProbe,
       {1234, 7, "/kv/ca.pem"},
       7000,
       1234,
       0,
       true,
       true,
       "/kv/ca.pem"},
      {"media download",
       Kind::MediaDownload,
       {1234, 7, "/kv/ca.pem"},
       0,
       0,
       1073741824,
       false,
       true,
       "/kv/ca.pem"},
      {"media download, max_download_bytes 4096",
       Kind::MediaDownload,
       {1234, 7, "", 100000, 10000, 4096},
       0,
       0,
       4096,
       false,
       true,
       ""},
      {"upload", Kind::Upload, {1234, 7, "/kv/ca.pem"}, 0, 1234, 0, false, false, "/kv/ca.pem"},
      {"no limits", Kind::ServiceCall, {0, 0, ""}, 0, 0, 0, false, false, ""},
      {"largest timeout", Kind::ServiceCall, {1, 1LL << 53, ""}, most, 1, 0, false, false, ""},
  };
  for (const Row& row : rows) {
    W::HttpRequest request(W::HTTP_GET, "http://kv.test/", W::HttpHeader(), "", nullptr, nullptr);
    W::applyLimits(request, row.kind, row.limits);
    const W::HttpRequest::Impl& set = request.impl();
    EXPECT_EQ(set.totalTimeoutMs, row.totalMs) << row.name;
    EXPECT_EQ(set.maxBodyBytes, row.maxBody) << row.name;
    EXPECT_EQ(set.maxFileBytes, row.maxFile) << row.name;
    EXPECT_EQ(set.headersOnly, row.headersOnly) << row.name;
    EXPECT_EQ(set.followRedirects, row.follow) << row.name;
    EXPECT_EQ(set.caFile, row.caFile) << row.name;
    EXPECT_EQ(set.connectTimeoutMs, 0) << row.name << ": the host's default";
    EXPECT_EQ(set.stallTimeoutMs, 0) << row.name << ": the host's default";
  }
}

}  // namespace
