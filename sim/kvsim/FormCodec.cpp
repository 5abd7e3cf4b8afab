// Query and form decoding shared by every resource handler.
#include "FormCodec.h"

#include <cerrno>
#include <cstdlib>

namespace kvsim {

namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string percentDecode(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '+') {
      out += ' ';
    } else if (c == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
               hexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

std::string percentEncode(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                 c == '-' || c == '.' || c == '_' || c == '~';
    if (plain) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

Form Form::parse(const std::string& text) {
  Form form;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('&', start);
    if (end == std::string::npos) end = text.size();
    std::string pair = text.substr(start, end - start);
    if (!pair.empty()) {
      size_t eq = pair.find('=');
      if (eq == std::string::npos) {
        form.m_pairs.emplace_back(percentDecode(pair), "");
      } else {
        form.m_pairs.emplace_back(percentDecode(pair.substr(0, eq)),
                                  percentDecode(pair.substr(eq + 1)));
      }
    }
    start = end + 1;
  }
  return form;
}

bool Form::has(const std::string& name) const {
  for (const auto& p : m_pairs) {
    if (p.first == name) return true;
  }
  return false;
}

std::string Form::get(const std::string& name, const std::string& fallback) const {
  for (const auto& p : m_pairs) {
    if (p.first == name) return p.second;
  }
  return fallback;
}

long parseCount(const std::string& text, long fallback) {
  if (text.empty()) return fallback;
  char* end = nullptr;
  errno = 0;
  long value = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || *end != '\0' || value < 0 || errno == ERANGE) return fallback;
  return value;
}

namespace {

// Digits only, at most 4294967295.
bool parseUint32(const std::string& text, uint64_t& value) {
  if (text.empty() || text.size() > 10) return false;
  uint64_t n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + static_cast<uint64_t>(c - '0');
  }
  if (n > UINT32_MAX) return false;
  value = n;
  return true;
}

}  // namespace

std::string readPaging(const Form& query, uint32_t defaultCount, Paging& paging) {
  paging.index = 0;
  paging.count = 0;
  if (query.has("search_index") && !parseUint32(query.get("search_index"), paging.index)) {
    return "search_index";
  }
  if (query.has("search_count") && !parseUint32(query.get("search_count"), paging.count)) {
    return "search_count";
  }
  if (paging.count == 0) paging.count = defaultCount;
  return "";
}

}  // namespace kvsim
