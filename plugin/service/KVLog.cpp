// Failure log line and assertion of the plug-in.
#include "service/KVLog.h"

#include <cstdio>
#include <cstdlib>

namespace W {

WSTATUS kvLogError(WSTATUS status, const char* file, int line) {
  char buf[256];
  int n = std::snprintf(buf, sizeof buf, "#ERROR WSTATUS:%s(%d)\tFILE:%s(%d)\n\n",
                        WSTATUS2STRING(static_cast<unsigned>(status)), status, file, line);
  if (n < 0) return status;
  if (static_cast<size_t>(n) >= sizeof buf) n = sizeof buf - 1;
  std::fwrite(buf, 1, static_cast<size_t>(n), stdout);
  std::fflush(stdout);
  return status;
}

void kvAssertFail(const char* expr, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: Assertion `%s' failed.\n", file, line, expr);
  std::abort();
}

}  // namespace W
