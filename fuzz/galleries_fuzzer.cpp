// Fuzz target: the gallery list body parser.
#include "FuzzProvider.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kvfuzz::parseList<W::WKVGallery>(data, size, /*emptyUidAllowed=*/false);
  return 0;
}
