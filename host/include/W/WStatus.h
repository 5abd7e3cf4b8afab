// Printable names of WSTATUS values, for log lines and tools.
#pragma once

#include <W/WTypes.h>

namespace W {

// Returns a fixed, readable name for a status (the argument is the status
// reinterpreted as unsigned, as log lines pass it). Never null; an unknown
// status gives "WSTATUS_UNKNOWN".
const char* WSTATUS2STRING(unsigned status);

}  // namespace W
