// Fuzz target: the session login answer parser.
#include "FuzzProvider.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kvfuzz::parseAccount<W::KVLoginCMD>(data, size, &W::WKVOAI::parseLoginStatus, {0, -16});
  return 0;
}
