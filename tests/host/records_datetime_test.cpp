// Service dates: every accepted form gives the exact UTC second, every
// malformed or impossible text gives an invalid date, and formatting is the
// inverse of parsing.
#include <W/WDateTime.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace {

W::WDateTime parse(const std::string& text) {
  return W::WDateTime::fromString(text, 0, 1);
}

struct ValidRow {
  const char* text;
  std::int64_t epoch;
};

const ValidRow kValid[] = {
    {"1970-01-01 00:00:00", 0},
    {"1970-01-01", 0},
    {"19700101000000", 0},
    {"1970-01-01T00:00:00Z", 0},
    {"2026-03-15 12:34:56", 1773578096},
    {"2026-03-15T12:34:56Z", 1773578096},
    {"2026-03-15T12:34:56+00:00", 1773578096},
    {"2026-03-15T12:34:56.789Z", 1773578096},
    {"2026-03-15T12:34:56.5+00:00", 1773578096},
    {"2026-03-15T21:34:56+09:00", 1773578096},
    {"2026-03-15T21:34:56+0900", 1773578096},
    {"2026-03-15T07:04:56-05:30", 1773578096},
    {"2026-03-15T12:34:56", 1773578096},
    {"20260315123456", 1773578096},
    {"2026-01-01T00:30:00+01:00", 1767223800},  // offset crosses the year
    {"2024-02-29", 1709164800},                 // leap day
    {"2000-02-29 23:59:59", 951868799},         // century divisible by 400
    {"2016-12-31 23:59:60", 1483228799},        // leap second kept in its minute
    {"1969-12-31 23:59:59", -1},
    {"1900-03-01 00:00:00", -2203891200},
    {"2038-01-19 03:14:08", 2147483648LL},  // past 32-bit time_t
    {"2106-02-07 06:28:16", 4294967296LL},  // past unsigned 32-bit
    {"9999-12-31 23:59:59", 253402300799LL},
    {"0001-01-01 00:00:00", -62135596800LL},
};

TEST(DateParsing, AcceptedFormsGiveExactUtcSeconds) {
  for (const ValidRow& row : kValid) {
    SCOPED_TRACE(row.text);
    const W::WDateTime date = parse(row.text);
    ASSERT_TRUE(date.isValid());
    EXPECT_EQ(date.toEpoch(), row.epoch);
  }
}

TEST(DateParsing, MalformedOrImpossibleTextsAreInvalid) {
  const char* kInvalid[] = {
      "",
      "abc",
      "2026-02-30",  // no such day
      "2025-02-29",  // not a leap year
      "1900-02-29",  // century not divisible by 400
      "2026-04-31",
      "2026-13-01",
      "2026-00-10",
      "2026-01-00",
      "2026-01-01 25:00:00",
      "2026-01-01 24:00:00",
      "2026-01-01 12:60:00",
      "2026-01-01 12:00:61",
      "2026-01-01 12:00:00x",  // trailing junk
      "2026-01-01 12:00:00 ",
      "2026-01-01x",
      "2026-01-01 ",
      "2026-01-01T",
      " 2026-01-01",
      "2026-1-01",
      "2026/01/01",
      "2026-01-01 12:00",
      "2026-01-01 12:00:0",
      "2026-01-01T12:00:00.Z",   // fraction without digits
      "2026-01-01T12:00:00+09",  // offset without minutes
      "2026-01-01T12:00:00+24:00",
      "2026-01-01T12:00:00+09:60",
      "2026-01-01T12:00:00ZZ",
      "202601011200",     // compact but too short
      "202601011200000",  // compact but too long
      "2026010112000x",
      "20261301000000",
      "20260230000000",
      "20260101240000",
      "-2026-01-01",
  };
  for (const char* text : kInvalid) {
    SCOPED_TRACE(text);
    const W::WDateTime date = parse(text);
    EXPECT_FALSE(date.isValid());
    EXPECT_EQ(date.toEpoch(), 0);
    EXPECT_EQ(date.toString(), "");
  }
}

TEST(DateParsing, EmbeddedNulIsTrailingJunk) {
  EXPECT_FALSE(parse(std::string("2026-01-01\0", 11)).isValid());
  EXPECT_FALSE(parse(std::string("20260101000000\0", 15)).isValid());
}

TEST(DateParsing, FormatAndTimeZoneArgumentsDoNotShiftTheResult) {
  // The service always sends UTC; any time zone value must read it as such.
  for (int zone : {0, 1, 2}) {
    EXPECT_EQ(W::WDateTime::fromString("2026-03-15 12:34:56", 0, zone).toEpoch(), 1773578096);
  }
}

TEST(DateFormatting, PrintsUtcFields) {
  const struct {
    std::int64_t epoch;
    const char* text;
  } kRows[] = {
      {0, "1970-01-01 00:00:00"},
      {-1, "1969-12-31 23:59:59"},
      {1773578096, "2026-03-15 12:34:56"},
      {1709164800, "2024-02-29 00:00:00"},
      {4294967296LL, "2106-02-07 06:28:16"},
      {253402300799LL, "9999-12-31 23:59:59"},
      {-62135596800LL, "0001-01-01 00:00:00"},
  };
  for (const auto& row : kRows) {
    EXPECT_EQ(W::WDateTime::fromEpoch(row.epoch).toString(), row.text) << row.epoch;
  }
}

TEST(DateFormatting, ParseOfPrintedTextRoundTrips) {
  // One sample every 997 hours over 1960..2140, crossing leap days and years.
  for (std::int64_t t = -315619200; t < 5364662400LL; t += 997 * 3600 + 17) {
    const W::WDateTime date = W::WDateTime::fromEpoch(t);
    ASSERT_EQ(parse(date.toString()), date) << date.toString();
  }
}

TEST(DateTimeValue, DefaultIsInvalidAndComparesByValue) {
  EXPECT_FALSE(W::WDateTime().isValid());
  EXPECT_EQ(W::WDateTime(), parse("garbage"));
  EXPECT_NE(W::WDateTime(), W::WDateTime::fromEpoch(0));  // the epoch itself is a valid date
  EXPECT_EQ(parse("1970-01-01"), W::WDateTime::fromEpoch(0));
}

TEST(DateParsing, ConcurrentUseGivesTheSameResults) {
  // Parsers run on the executor thread while the host formats dates on its
  // own threads; no shared buffer may leak between them.
  std::vector<std::thread> threads;
  std::vector<int> failures(4, 0);
  for (int i = 0; i < 4; ++i) {
    threads.emplace_back([i, &failures] {
      const ValidRow& row = kValid[i * 5];
      for (int n = 0; n < 2000; ++n) {
        const W::WDateTime date = parse(row.text);
        if (date.toEpoch() != row.epoch) ++failures[i];
        if (parse(date.toString()) != date) ++failures[i];
      }
    });
  }
  for (auto& t : threads) t.join();
  for (int i = 0; i < 4; ++i) EXPECT_EQ(failures[i], 0) << "thread " << i;
}

}  // namespace
