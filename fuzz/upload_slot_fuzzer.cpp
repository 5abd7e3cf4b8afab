// Fuzz target: the upload-slot body parser (contentId and uploadUrl).
#include "FuzzProvider.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  W::WContent content;
  int status = kvfuzz::provider().parseString(kvfuzz::payload(data, size), content);
  kvfuzz::require(kvfuzz::isParserStatus(status));
  return 0;
}
