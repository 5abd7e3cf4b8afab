// Fuzz target: the content list body parser (feeds and content answers).
#include "FuzzProvider.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kvfuzz::parseList<W::WContent>(data, size, /*emptyUidAllowed=*/false);
  return 0;
}
