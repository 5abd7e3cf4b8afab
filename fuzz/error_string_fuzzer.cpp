// Fuzz target: the reader of a 403 answer's text ("Error=CODE" line) and the
// status mapping of what it finds.
#include "FuzzProvider.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text = kvfuzz::payload(data, size);
  const W::STRING code = W::KVService::extractErrorString(text);
  kvfuzz::require(code.size() <= text.size());
  kvfuzz::require(code.find('\n') == W::STRING::npos);
  W::WSTATUS status = W::KVService::getWlibSTATUS(W::KVService::getKVSTATUS(code));
  kvfuzz::require(status <= 0);
  return 0;
}
