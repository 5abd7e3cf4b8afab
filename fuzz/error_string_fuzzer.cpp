// Fuzz target: the reader of a 403 answer's text ("Error=CODE" line) and the
// status mapping of what it finds.
#include "FuzzProvider.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text = kvfuzz::payload(data, size);
  const W::STRING code = W::KVService::extractErrorString(text);
  // The code runs from after the first "Error=" to the next line feed, a
  // carriage return before it left out.
  const size_t at = text.find("Error=");
  std::string expected =
      at == std::string::npos ? "" : text.substr(at + 6, text.find('\n', at) - (at + 6));
  if (!expected.empty() && expected.back() == '\r') expected.pop_back();
  kvfuzz::require(code == expected, "the code is the rest of the Error= line");
  const W::WSTATUS status = W::KVService::getWlibSTATUS(W::KVService::getKVSTATUS(code));
  kvfuzz::require(kvfuzz::oneOf(status, {-202, -1, -200, -16}), "a service code's status");
  return 0;
}
