// Fuzz target: the upload-slot body parser (contentId and uploadUrl): 0 or
// -16, and on 0 a UID and URL taken from the answer's texts.
#include "FuzzProvider.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  W::WContent content;
  const std::string text = kvfuzz::payload(data, size);
  const int status = kvfuzz::provider().parseString(text, content);
  kvfuzz::require(kvfuzz::oneOf(status, {0, -16}), "upload-slot parser status is 0 or -16");
  if (status != 0) return 0;
  const std::set<std::string> values = kvfuzz::documentValues(text);
  kvfuzz::requireUidFromInput(content.getUID(), values, true);
  kvfuzz::require(content.getResourceURL().empty() || values.count(content.getResourceURL()) == 1,
                  "upload URL is a text of the answer");
  return 0;
}
