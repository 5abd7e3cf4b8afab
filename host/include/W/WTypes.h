// Common scalar types of the host framework, shared by the host, plug-ins and tools.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace W {

// Signed status: 0 success, 100 "more items than asked for", negative failures.
typedef int WSTATUS;
typedef std::string STRING;
typedef std::uint32_t UINT32;
typedef void VOID;

}  // namespace W
