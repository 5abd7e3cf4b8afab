// Fuzz target: the group list body parser (group.list answers).
#include "FuzzProvider.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kvfuzz::parseList<W::WGroup>(data, size);
  return 0;
}
