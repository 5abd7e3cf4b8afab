// What one completed callback tells kvhost: the operation, its status, a few
// named values and an optional list of records. JsonWriter and TableWriter
// both render it, so the two output forms never disagree.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace kvhost {

// One named value. Numbers are written without quotes in JSON.
struct Field {
  std::string key;
  std::string text;
  bool isNumber = false;
  bool inTable = true;  // shown as a column in the readable table
};

// An ordered set of fields: one group, content, comment, or the report's own
// scalar values.
struct Record {
  std::vector<Field> fields;

  Record& text(const std::string& key, const std::string& value, bool inTable = true) {
    fields.push_back(Field{key, value, false, inTable});
    return *this;
  }
  Record& number(const std::string& key, long long value, bool inTable = true) {
    fields.push_back(Field{key, std::to_string(value), true, inTable});
    return *this;
  }
  // The field's text, or empty when the record has no such key.
  std::string get(const std::string& key) const {
    for (const Field& f : fields)
      if (f.key == key) return f.text;
    return std::string();
  }
};

struct Report {
  std::string op;
  int status = 0;
  Record values;
  // "groups", "contents" or "comments"; empty when the report has no list.
  std::string listName;
  std::vector<Record> items;
};

}  // namespace kvhost
