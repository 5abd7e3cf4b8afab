// Percent-encoding of request values.
#include "service/KVUrlEncode.h"

namespace W {

namespace {
bool isUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}
}  // namespace

STRING percentEncode(const STRING& value) {
  static const char kHex[] = "0123456789ABCDEF";
  STRING out;
  out.reserve(value.size());
  for (unsigned char c : value) {
    if (isUnreserved(c)) {
      out += static_cast<char>(c);
    } else if (c == ' ') {
      out += '+';
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    }
  }
  return out;
}

}  // namespace W
