// Recursive-descent JSON parsing for the end-to-end tests.
#include "JsonValue.h"

#include <cstdlib>

namespace e2e {

class JsonParser {
 public:
  explicit JsonParser(const std::string& text) : m_text(text) {}

  bool parseDocument(JsonValue& out) {
    if (!value(out, 0)) return false;
    skipSpace();
    return m_pos == m_text.size();
  }

 private:
  void skipSpace() {
    while (m_pos < m_text.size() && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t' ||
                                     m_text[m_pos] == '\n' || m_text[m_pos] == '\r'))
      ++m_pos;
  }

  bool literal(const char* word) {
    const std::string w = word;
    if (m_text.compare(m_pos, w.size(), w) != 0) return false;
    m_pos += w.size();
    return true;
  }

  static void appendUtf8(std::string& out, unsigned code) {
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }

  bool string(std::string& out) {
    if (m_pos >= m_text.size() || m_text[m_pos] != '"') return false;
    ++m_pos;
    while (m_pos < m_text.size()) {
      const char c = m_text[m_pos++];
      if (c == '"') return true;
      if (static_cast<unsigned char>(c) < 0x20) return false;  // must be escaped
      if (c != '\\') {
        out += c;
        continue;
      }
      if (m_pos >= m_text.size()) return false;
      const char e = m_text[m_pos++];
      switch (e) {
        case '"':
          out += '"';
          break;
        case '\\':
          out += '\\';
          break;
        case '/':
          out += '/';
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        case 'u': {
          if (m_pos + 4 > m_text.size()) return false;
          char* end = nullptr;
          const std::string hex = m_text.substr(m_pos, 4);
          const unsigned long code = std::strtoul(hex.c_str(), &end, 16);
          if (end != hex.c_str() + 4) return false;
          appendUtf8(out, static_cast<unsigned>(code));
          m_pos += 4;
          break;
        }
        default:
          return false;
      }
    }
    return false;
  }

  bool value(JsonValue& out, int depth) {
    if (depth > 64) return false;
    skipSpace();
    if (m_pos >= m_text.size()) return false;
    const char c = m_text[m_pos];
    if (c == '{') return object(out, depth);
    if (c == '[') return array(out, depth);
    if (c == '"') {
      out.m_type = JsonValue::kString;
      return string(out.m_text);
    }
    if (literal("true")) {
      out.m_type = JsonValue::kBool;
      out.m_bool = true;
      return true;
    }
    if (literal("false")) {
      out.m_type = JsonValue::kBool;
      return true;
    }
    if (literal("null")) return true;
    const char* start = m_text.c_str() + m_pos;
    char* end = nullptr;
    out.m_number = std::strtod(start, &end);
    if (end == start) return false;
    out.m_type = JsonValue::kNumber;
    m_pos += static_cast<size_t>(end - start);
    return true;
  }

  bool array(JsonValue& out, int depth) {
    out.m_type = JsonValue::kArray;
    ++m_pos;
    skipSpace();
    if (m_pos < m_text.size() && m_text[m_pos] == ']') {
      ++m_pos;
      return true;
    }
    while (true) {
      JsonValue item;
      if (!value(item, depth + 1)) return false;
      out.m_items.push_back(std::move(item));
      skipSpace();
      if (m_pos >= m_text.size()) return false;
      if (m_text[m_pos] == ']') {
        ++m_pos;
        return true;
      }
      if (m_text[m_pos++] != ',') return false;
    }
  }

  bool object(JsonValue& out, int depth) {
    out.m_type = JsonValue::kObject;
    ++m_pos;
    skipSpace();
    if (m_pos < m_text.size() && m_text[m_pos] == '}') {
      ++m_pos;
      return true;
    }
    while (true) {
      skipSpace();
      std::string key;
      if (!string(key)) return false;
      skipSpace();
      if (m_pos >= m_text.size() || m_text[m_pos++] != ':') return false;
      JsonValue member;
      if (!value(member, depth + 1)) return false;
      out.m_members[key] = std::move(member);
      skipSpace();
      if (m_pos >= m_text.size()) return false;
      if (m_text[m_pos] == '}') {
        ++m_pos;
        return true;
      }
      if (m_text[m_pos++] != ',') return false;
    }
  }

  const std::string& m_text;
  size_t m_pos = 0;
};

bool JsonValue::parse(const std::string& text, JsonValue& out) {
  JsonValue parsed;
  JsonParser parser(text);
  if (!parser.parseDocument(parsed)) {
    out = JsonValue();
    return false;
  }
  out = std::move(parsed);
  return true;
}

const JsonValue& JsonValue::operator[](const std::string& key) const {
  static const JsonValue kNullValue;
  auto it = m_members.find(key);
  return it == m_members.end() ? kNullValue : it->second;
}

const JsonValue& JsonValue::operator[](size_t index) const {
  static const JsonValue kNullValue;
  return index < m_items.size() ? m_items[index] : kNullValue;
}

}  // namespace e2e
