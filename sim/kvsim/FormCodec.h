// Decoding of query strings and url-encoded form bodies as the plug-in sends
// them: empty pairs are skipped, "+" is a space and %XX is one byte.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kvsim {

// Ordered name/value pairs of a query or form body, both percent-decoded.
class Form {
 public:
  // Parses "a=1&&b=x+y&c"; a pair without "=" gets an empty value.
  static Form parse(const std::string& text);

  // True when a pair of that name exists (even with an empty value).
  bool has(const std::string& name) const;
  // Value of the first pair of that name, or `fallback` when there is none.
  std::string get(const std::string& name, const std::string& fallback = "") const;
  const std::vector<std::pair<std::string, std::string>>& pairs() const { return m_pairs; }

 private:
  std::vector<std::pair<std::string, std::string>> m_pairs;
};

// Decodes "+" to a space and %XX to its byte; a malformed escape stays as it is.
std::string percentDecode(const std::string& text);

// Encodes every byte outside [A-Za-z0-9-._~] as %XX (upper-case hex).
std::string percentEncode(const std::string& text);

// Parses a decimal count; returns `fallback` for empty, non-numeric, negative
// or out-of-range text.
long parseCount(const std::string& text, long fallback);

// The paging values of a list query. Each is at most 4294967295 (the
// plug-in's UINT32), so index + count never overflows.
struct Paging {
  uint64_t index = 0;  // search_index, 0 when absent
  uint64_t count = 0;  // search_count; absent or 0 means the list's default
};

// Reads search_index and search_count. Returns "" on success, else the name
// of the first one that is present but not a decimal number from 0 to
// 4294967295 (signs, blanks and empty values included).
std::string readPaging(const Form& query, uint32_t defaultCount, Paging& paging);

}  // namespace kvsim
