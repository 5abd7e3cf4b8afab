// Fuzz target: the percent-encoding of user text in request paths, queries
// and forms. Only unreserved bytes, "+" and "%XX" (upper-case hex) come out,
// and the service's decoder gives back the exact input.
#include "FormCodec.h"
#include "FuzzProvider.h"
#include "service/KVUrlEncode.h"

namespace {

bool isUnreserved(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

bool isUpperHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text = kvfuzz::payload(data, size);
  const std::string encoded = W::percentEncode(text);
  for (size_t i = 0; i < encoded.size(); ++i) {
    const char c = encoded[i];
    if (c == '%') {
      kvfuzz::require(
          i + 2 < encoded.size() && isUpperHex(encoded[i + 1]) && isUpperHex(encoded[i + 2]),
          "an escape is % and two upper-case hex digits");
      i += 2;
    } else {
      kvfuzz::require(isUnreserved(c) || c == '+', "only unreserved bytes and + are kept");
    }
  }
  kvfuzz::require(kvsim::percentDecode(encoded) == text, "the service decodes the input back");
  return 0;
}
