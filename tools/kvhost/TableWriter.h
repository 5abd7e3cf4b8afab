// Renders a Report as readable text: a status line, the scalar values, and
// the records as an aligned table. kvhost's default output.
#pragma once

#include <string>

#include "Report.h"

namespace kvhost {

// The report as text ending with a line feed. Never fails.
std::string toTable(const Report& report);

}  // namespace kvhost
