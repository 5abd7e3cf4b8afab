// Fuzz target: the authentication answer parser, which loads the session
// credentials from an "ok" answer.
#include "FuzzProvider.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kvfuzz::parseAccount<W::AuthKVCMD>(data, size, &W::WKVOAI::parseAuthStatus, {0, -16, -208});
  return 0;
}
