// Decoding of query strings and url-encoded form bodies as the plug-in sends
// them: empty pairs are skipped, "+" is a space and %XX is one byte.
#pragma once

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
  const std::vector<std::pair<std::string, std::string>>& pairs() const { return pairs_; }

 private:
  std::vector<std::pair<std::string, std::string>> pairs_;
};

// Decodes "+" to a space and %XX to its byte; a malformed escape stays as it is.
std::string percentDecode(const std::string& text);

// Encodes every byte outside [A-Za-z0-9-._~] as %XX (upper-case hex).
std::string percentEncode(const std::string& text);

// Parses a decimal count; returns `fallback` for empty or non-numeric text.
long parseCount(const std::string& text, long fallback);

}  // namespace kvsim
