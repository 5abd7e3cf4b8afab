// The status of a caught exception.
#include "service/KVCatchAll.h"

#include <new>

#include "service/KVLog.h"

namespace W {

WSTATUS kvCaughtStatus(const char* file, int line) noexcept {
  WSTATUS status = WSTATUS_FAILURE;
  try {
    throw;
  } catch (const std::bad_alloc&) {
    status = WSTATUS_OUT_OF_MEMORY;
  } catch (...) {
    status = WSTATUS_FAILURE;
  }
  return kvLogError(status, file, line);
}

}  // namespace W
