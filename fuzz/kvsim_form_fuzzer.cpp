// Fuzz target: kvsim's reading of query strings and form bodies (every
// request's parameters). The input is the query text; the pairs must be its
// "&"-separated pieces decoded, and encoding them again must read back the
// same pairs.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "FormCodec.h"

namespace {

void require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "broken promise: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const kvsim::Form form = kvsim::Form::parse(text);

  size_t pieces = 0, start = 0;
  for (size_t end; start <= text.size(); start = end + 1) {
    end = text.find('&', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) ++pieces;
  }
  require(form.pairs().size() == pieces, "one pair per non-empty piece");

  std::string encoded;
  std::map<std::string, std::string> first;
  for (const auto& pair : form.pairs()) {
    first.emplace(pair.first, pair.second);
    require(form.has(pair.first) && form.get(pair.first, "?") == first[pair.first],
            "a name gives the value of its first pair");
    require(pair.first.size() + pair.second.size() <= text.size(), "decoding never grows");
    if (!encoded.empty()) encoded += '&';
    encoded += kvsim::percentEncode(pair.first) + "=" + kvsim::percentEncode(pair.second);
  }
  require(kvsim::Form::parse(encoded).pairs() == form.pairs(), "encoded pairs read back the same");
  require(kvsim::percentDecode(kvsim::percentEncode(text)) == text, "decoding undoes encoding");

  const long count = kvsim::parseCount(text, -7);
  require(count == -7 || count >= 0, "a count is the fallback or not negative");
  if (!text.empty() && text.size() <= 18 &&
      text.find_first_not_of("0123456789") == std::string::npos)
    require(count == std::stol(text), "digits read as their number");
  return 0;
}
