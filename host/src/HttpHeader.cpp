// The ordered header set a caller builds for one HttpRequest.
#include <W/HttpHeader.h>

namespace W {

void HttpHeader::add(const std::string& name, const std::string& value) {
  m_entries.emplace_back(name, value);
}

bool HttpHeader::hasLineBreak() const {
  for (const auto& entry : m_entries) {
    if (entry.first.find_first_of("\r\n") != std::string::npos) return true;
    if (entry.second.find_first_of("\r\n") != std::string::npos) return true;
  }
  return false;
}

}  // namespace W
