// Fuzz target: the comment list body parser (comment.list answers).
#include "FuzzProvider.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kvfuzz::parseList<W::WComment>(data, size, /*emptyUidAllowed=*/false);
  return 0;
}
