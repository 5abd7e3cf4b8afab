// Service texts as kvhost's table shows them: a text from a server must not
// steer the terminal (escape sequences, cursor moves, a cleared screen) nor
// tear the table apart, so its control characters are shown as escapes.
#pragma once

#include <string>

namespace kvhost {

// The text with every control character written out: "\\" for a backslash,
// "\n", "\r", "\t" for line feed, carriage return and tab, "\xHH" (two
// lower-case hex digits) for any other C0 byte and DEL, "\u0080" to "\u009f"
// for the C1 controls written in UTF-8, and "\xHH" for each byte that is not
// part of valid UTF-8. Any other valid UTF-8 is left as it is. Never fails.
std::string visibleText(const std::string& text);

}  // namespace kvhost
