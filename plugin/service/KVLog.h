// The plug-in's one failure log line and its fatal assertion.
#pragma once

#include <W/WStatus.h>

namespace W {

// Prints "#ERROR WSTATUS:<name>(<status>)\tFILE:<file>(<line>)\n\n" to
// standard output in one write, so lines from two threads never interleave.
// Returns `status`, so that a failure is logged and returned in one step:
// `return KV_LOG_OAI(WSTATUS_FAILURE);`.
WSTATUS kvLogError(WSTATUS status, const char* file, int line);

// Prints the failed assertion naming `expr` and aborts (also in release
// builds: a null here is a programming error that must not go on silently).
[[noreturn]] void kvAssertFail(const char* expr, const char* file, int line);

}  // namespace W

#define KV_LOG_SERVICE(status) ::W::kvLogError((status), "src/KVService", __LINE__)
#define KV_LOG_OAI(status) ::W::kvLogError((status), "src/WKVOAI", __LINE__)

// KV_ASSERT_NOT_NULL(m_pService) fails with "m_pService != __null".
#define KV_ASSERT_NOT_NULL(ptr)                                                     \
  do {                                                                              \
    if ((ptr) == nullptr) ::W::kvAssertFail(#ptr " != __null", __FILE__, __LINE__); \
  } while (0)
