// Renders a Report as one line of JSON for --json, the form tests and scripts
// read.
#pragma once

#include <string>

#include "Report.h"

namespace kvhost {

// {"op":..,"status":N,"status_name":..,<values>,"<listName>":[<records>]}
// without a line feed. UTF-8 is written as it is; bytes that are not UTF-8
// become U+FFFD. Never fails.
std::string toJsonLine(const Report& report);

}  // namespace kvhost
