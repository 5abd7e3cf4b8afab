// A small JSON reader for kvhost's --json lines in the end-to-end tests.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace e2e {

class JsonValue {
 public:
  enum Type { kNull, kBool, kNumber, kString, kArray, kObject };

  // Parses one JSON text. Returns false (and leaves `out` null) on any
  // syntax error or trailing garbage.
  static bool parse(const std::string& text, JsonValue& out);

  Type type() const { return m_type; }
  bool isNull() const { return m_type == kNull; }
  // The member, or a null value when absent or when this is not an object.
  const JsonValue& operator[](const std::string& key) const;
  // The element, or a null value when out of range or not an array.
  const JsonValue& operator[](size_t index) const;
  size_t size() const { return m_type == kArray ? m_items.size() : m_members.size(); }
  bool has(const std::string& key) const { return m_members.count(key) != 0; }

  // The number as an integer (0 when not a number).
  long long integer() const { return m_type == kNumber ? static_cast<long long>(m_number) : 0; }
  // The string (empty when not a string).
  const std::string& text() const { return m_text; }
  const std::vector<JsonValue>& items() const { return m_items; }

 private:
  friend class JsonParser;
  Type m_type = kNull;
  bool m_bool = false;
  double m_number = 0;
  std::string m_text;
  std::vector<JsonValue> m_items;
  std::map<std::string, JsonValue> m_members;
};

}  // namespace e2e
