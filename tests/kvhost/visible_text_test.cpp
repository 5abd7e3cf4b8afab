// Service texts reach the terminal with every control character escaped and
// valid UTF-8 untouched.
#include <gtest/gtest.h>

#include <string>

#include "VisibleText.h"

namespace kvhost {
namespace {

using namespace std::string_literals;

TEST(VisibleText, EscapesEveryControlCharacterAndPassesValidUtf8) {
  const struct {
    std::string text;
    std::string shown;
  } cases[] = {
      // C0, each byte once, and DEL.
      {"\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c\x0d\x0e\x0f"s,
       R"(\x00\x01\x02\x03\x04\x05\x06\x07\x08\t\n\x0b\x0c\r\x0e\x0f)"},
      {"\x10\x11\x12\x13\x14\x15\x16\x17\x18\x19\x1a\x1b\x1c\x1d\x1e\x1f\x7f",
       R"(\x10\x11\x12\x13\x14\x15\x16\x17\x18\x19\x1a\x1b\x1c\x1d\x1e\x1f\x7f)"},
      {"a\0b"s, R"(a\x00b)"},
      // ESC sequences: clear screen, colour, window title, cursor home.
      {"Hi \x1b[2J\x1b[31mred\x1b[0m", R"(Hi \x1b[2J\x1b[31mred\x1b[0m)"},
      {"\x1b]0;owned\x07title", R"(\x1b]0;owned\x07title)"},
      {"line\r\x1b[Hover", R"(line\r\x1b[Hover)"},
      // C1 controls in UTF-8 (U+0080, CSI U+009B, OSC U+009D, U+009F).
      {"\xc2\x80|\xc2\x9b"
       "2J|\xc2\x9d"
       "0;x\xc2\x9c|\xc2\x9f",
       R"(\u0080|\u009b2J|\u009d0;x\u009c|\u009f)"},
      // Bytes that are not UTF-8: raw C1, overlong, surrogate, past U+10FFFF,
      // cut short, never a lead byte.
      {"\x9b"
       "31m",
       R"(\x9b31m)"},
      {"\xc0\x9b\xc1\xbf", R"(\xc0\x9b\xc1\xbf)"},
      {"\xe0\x80\x80", R"(\xe0\x80\x80)"},
      {"\xed\xa0\x80", R"(\xed\xa0\x80)"},
      {"\xf0\x80\x80\x80", R"(\xf0\x80\x80\x80)"},
      {"\xf4\x90\x80\x80", R"(\xf4\x90\x80\x80)"},
      {"\xf5\xff\xfe", R"(\xf5\xff\xfe)"},
      {"ok\xe2\x82", R"(ok\xe2\x82)"},
      {"\xe2\x82"
       "A",
       R"(\xe2\x82A)"},
      // The escape character itself, so an escape is never ambiguous.
      {R"(C:\dir\x1b)", R"(C:\\dir\\x1b)"},
      // Valid UTF-8 passes as it is: Latin, NBSP, euro, U+D7FF, U+FFFD,
      // a 4-byte symbol, U+10FFFF.
      {"Gr\xc3\xbc\xc3\x9f"
       "e \xc2\xa0\xe2\x82\xac\xed\x9f\xbf\xef\xbf\xbd\xf0\x9d\x84\x9e\xf4\x8f\xbf\xbf",
       "Gr\xc3\xbc\xc3\x9f"
       "e \xc2\xa0\xe2\x82\xac\xed\x9f\xbf\xef\xbf\xbd\xf0\x9d\x84\x9e\xf4\x8f\xbf\xbf"},
      {"Beach day (2026) ~!", "Beach day (2026) ~!"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(visibleText(c.text), c.shown) << c.shown;
}

}  // namespace
}  // namespace kvhost
