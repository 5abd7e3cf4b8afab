// Fuzz target: the registration answer parser.
#include "FuzzProvider.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kvfuzz::parseAccount<W::RegisterKVCMD>(data, size, &W::WKVOAI::parseRegisterStatus, {0, -16});
  return 0;
}
