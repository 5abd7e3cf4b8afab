// The three status tables and their end-to-end results.
#include <gtest/gtest.h>

#include <set>

#include "service/KVLimits.h"
#include "service/KVService.h"

namespace {

using W::KVService;

TEST(HttpCodeTable, MapsEveryListedCode) {
  const std::pair<int, unsigned> rows[] = {
      {200, 0},   {201, 0},   {304, 0},   {400, 141}, {403, 141}, {401, 142}, {404, 45},
      {410, 45},  {409, 44},  {412, 44},  {500, 43},  {202, 255}, {0, 255},   {301, 255},
      {502, 255}, {503, 255}, {-1, 255},
  };
  for (const auto& row : rows) EXPECT_EQ(KVService::getKVSTATUS(row.first), row.second) << row.first;
}

TEST(ServiceCodeTable, MapsEveryListedCode) {
  const std::pair<const char*, unsigned> rows[] = {
      {"206", 142}, {"207", 142}, {"100", 1},   {"105", 1},   {"109", 1},   {"209", 1},
      {"210", 1},   {"300", 1},   {"203", 101}, {"204", 101}, {"205", 101}, {"208", 101},
      {"500", 101}, {"501", 101}, {"502", 101}, {"200", 21},  {"201", 21},  {"202", 21},
      {"", 255},    {"110", 255}, {"099", 255}, {"2060", 255}, {" 206", 255}, {"abc", 255},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(KVService::getKVSTATUS(std::string(row.first)), row.second) << row.first;
  }
}

TEST(WlibTable, MapsListedCodesAndEverythingElseToMinus16) {
  const std::pair<unsigned, int> listed[] = {
      {0, 0},      {1, -1},     {5, -3},     {21, -200},  {25, -200},  {22, -13},  {23, -13},
      {26, -13},   {27, -13},   {28, -13},   {24, -500},  {29, -107},  {43, -107}, {30, -202},
      {142, -202}, {41, -100},  {42, -105},  {44, -203},  {45, -205},  {141, -205}, {61, -5},
      {64, -5},    {67, -5},    {81, -108},  {102, -9},
  };
  std::set<unsigned> seen;
  for (const auto& row : listed) {
    EXPECT_EQ(KVService::getWlibSTATUS(row.first), row.second) << row.first;
    seen.insert(row.first);
  }
  for (unsigned code = 1; code <= 300; ++code) {
    if (seen.count(code) || (code >= 61 && code <= 67)) continue;
    EXPECT_EQ(KVService::getWlibSTATUS(code), -16) << code;
  }
  EXPECT_EQ(KVService::getWlibSTATUS(4294967295u), -16);
}

TEST(EndToEnd, HttpCodesBecomeHostStatuses) {
  const std::pair<int, int> rows[] = {
      {200, 0},    {201, 0},    {304, 0},    {400, -205}, {403, -205}, {404, -205},
      {410, -205}, {401, -202}, {409, -203}, {412, -203}, {500, -107}, {202, -16},
      {503, -16},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(KVService::getWlibSTATUS(KVService::getKVSTATUS(row.first)), row.second)
        << row.first;
  }
}

TEST(EndToEnd, ServiceCodesBecomeHostStatuses) {
  const std::pair<const char*, int> rows[] = {
      {"206", -202}, {"207", -202}, {"100", -1},   {"300", -1},  {"200", -200},
      {"201", -200}, {"202", -200}, {"203", -16},  {"500", -16}, {"", -16},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(KVService::getWlibSTATUS(KVService::getKVSTATUS(std::string(row.first))),
              row.second)
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
      {"", 7},    {"0", 0},       {"65536", 65536}, {"9007199254740992", 9007199254740992},
      {"-1", 7},  {"12abc", 7},   {" 5", 7},        {"1e6", 7},
      {"9007199254740993", 7},    {"99999999999999999999999", 7},
  };
  testing::internal::CaptureStdout();
  for (const auto& row : rows) EXPECT_EQ(W::limitOption("key", row.first, 7), row.second) << row.first;
  EXPECT_NE(testing::internal::GetCapturedStdout().find("#WARNING option key=\"-1\""),
            std::string::npos)
      << "the first bad value is reported";
}

}  // namespace
