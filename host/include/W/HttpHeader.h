// An ordered set of request headers.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace W {

class HttpHeader {
 public:
  HttpHeader() = default;

  // Appends one header; order of calls is the order on the wire.
  void add(const std::string& name, const std::string& value);

  const std::vector<std::pair<std::string, std::string>>& entries() const { return m_entries; }

  // True when any name or value holds CR or LF (such a request is refused).
  bool hasLineBreak() const;

 private:
  std::vector<std::pair<std::string, std::string>> m_entries;
};

}  // namespace W
