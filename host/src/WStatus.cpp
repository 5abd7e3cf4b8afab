// Names of the status values that log lines and tools print.
#include <W/WStatus.h>

#include <cstddef>

namespace W {

namespace {

struct StatusName {
  int status;
  const char* name;
};

// Every status the plug-in produces; anything else prints as unknown.
const StatusName kStatusNames[] = {
    {0, "WSTATUS_SUCCESS"},
    {100, "WSTATUS_MORE_ITEMS"},
    {-1, "WSTATUS_INVALID_ARGUMENT"},
    {-3, "WSTATUS_REQUEST_FAILED"},
    {-4, "WSTATUS_OUT_OF_MEMORY"},
    {-5, "WSTATUS_FILE_ERROR"},
    {-9, "WSTATUS_EXCEPTION_PENDING"},
    {-13, "WSTATUS_ACCESS_DENIED"},
    {-14, "WSTATUS_ALREADY_CANCELLING"},
    {-15, "WSTATUS_NOT_SUPPORTED"},
    {-16, "WSTATUS_FAILURE"},
    {-100, "WSTATUS_CONNECT_FAILED"},
    {-105, "WSTATUS_TIMEOUT"},
    {-107, "WSTATUS_SERVER_ERROR"},
    {-108, "WSTATUS_CANCELLED"},
    {-200, "WSTATUS_SERVICE_REFUSED"},
    {-202, "WSTATUS_NOT_LOGGED_IN"},
    {-203, "WSTATUS_CONFLICT"},
    {-205, "WSTATUS_NOT_FOUND"},
    {-208, "WSTATUS_AUTH_FAILED"},
    {-500, "WSTATUS_CAPTCHA_REQUIRED"},
};

}  // namespace

const char* WSTATUS2STRING(unsigned status) {
  // Callers pass the signed status converted to unsigned; convert it back
  // (two's complement, well defined in both directions for 32-bit values).
  const int value = static_cast<int>(status);
  for (const StatusName& entry : kStatusNames) {
    if (entry.status == value) return entry.name;
  }
  return "WSTATUS_UNKNOWN";
}

}  // namespace W
