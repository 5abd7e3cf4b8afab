// Fuzz target: the group list body parser (group.list answers). A group
// element without "groupId", or a creation answer naming none, keeps an
// empty UID.
#include "FuzzProvider.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kvfuzz::parseList<W::WGroup>(data, size, /*emptyUidAllowed=*/true);
  return 0;
}
