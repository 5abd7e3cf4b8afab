// Names of the status values that log lines and tools print.
#include <W/WStatus.h>

#include <cstddef>

namespace W {

namespace {

struct StatusName {
  int status;
  const char* name;
};

#define W_WSTATUS_NAME(name, value) {name, #name},
const StatusName kStatusNames[] = {W_WSTATUS_LIST(W_WSTATUS_NAME)};
#undef W_WSTATUS_NAME

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
