// Renders a Report as one line of JSON for --json, the form tests and scripts
// read.
#pragma once

#include <string>

#include "Report.h"

namespace kvhost {

// Appends `text` to `out` as a quoted JSON string: quote, backslash and
// control characters escaped, every other byte (UTF-8 included) as it is.
void appendJsonString(std::string& out, const std::string& text);

// {"op":..,"status":N,"status_name":..,<values>,"<listName>":[{..},..]}
// without a line feed. Never fails.
std::string toJsonLine(const Report& report);

}  // namespace kvhost
