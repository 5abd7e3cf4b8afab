// JSON output: escaping and the shape of one report line.
#include <gtest/gtest.h>

#include "JsonWriter.h"

namespace kvhost {
namespace {

struct EscapeCase {
  std::string input;
  std::string expected;
};

TEST(JsonWriter, EscapesQuotesBackslashesAndControlCharacters) {
  const EscapeCase cases[] = {
      {"plain", "\"plain\""},
      {"say \"hi\"", "\"say \\\"hi\\\"\""},
      {"C:\\dir", "\"C:\\\\dir\""},
      {"a\nb\rc\td", "\"a\\nb\\rc\\td\""},
      {"\b\f", "\"\\b\\f\""},
      {std::string("\x01\x1f", 2), "\"\\u0001\\u001f\""},
      {std::string("nul\0end", 7), "\"nul\\u0000end\""},
      {"\x7f", "\"\x7f\""},
      {"caf\xc3\xa9 \xe5\xae\xb6\xe6\x97\x8f", "\"caf\xc3\xa9 \xe5\xae\xb6\xe6\x97\x8f\""},
      {"", "\"\""},
  };
  for (const EscapeCase& c : cases) {
    std::string out;
    appendJsonString(out, c.input);
    EXPECT_EQ(out, c.expected) << "input: " << c.input;
  }
}

TEST(JsonWriter, ReportLineCarriesOpStatusNameValuesAndList) {
  Report report;
  report.op = "groups";
  report.status = 100;
  report.values.number("count", 12).text("person", "me");
  report.listName = "groups";
  Record first;
  first.text("uid", "g1").text("name", "Family \"A\"").number("total", 3, false);
  Record second;
  second.text("uid", "g2").text("name", "Trip\n2026");
  report.items = {first, second};
  EXPECT_EQ(toJsonLine(report),
            "{\"op\":\"groups\",\"status\":100,\"status_name\":\"WSTATUS_MORE_ITEMS\","
            "\"count\":12,\"person\":\"me\",\"groups\":[{\"uid\":\"g1\",\"name\":\"Family "
            "\\\"A\\\"\",\"total\":3},{\"uid\":\"g2\",\"name\":\"Trip\\n2026\"}]}");
}

TEST(JsonWriter, ReportWithoutListHasNoListMember) {
  Report report;
  report.op = "auth";
  report.status = -208;
  EXPECT_EQ(toJsonLine(report),
            "{\"op\":\"auth\",\"status\":-208,\"status_name\":\"WSTATUS_AUTH_FAILED\"}");
}

TEST(JsonWriter, EmptyListIsWrittenAsEmptyArray) {
  Report report;
  report.op = "feed";
  report.status = -205;
  report.listName = "contents";
  EXPECT_EQ(toJsonLine(report),
            "{\"op\":\"feed\",\"status\":-205,\"status_name\":\"WSTATUS_NOT_FOUND\","
            "\"contents\":[]}");
}

}  // namespace
}  // namespace kvhost
