// What one completed callback tells kvhost: the operation, its status, a few
// named values and an optional list of records. Each record comes in two
// shapes made from the same host record at the same time: a readable row for
// the table and the whole record for --json.
#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <utility>
#include <vector>

namespace kvhost {

// Insertion-ordered, so that every line lists its keys in a stable order.
using Json = nlohmann::ordered_json;

// One table row: column names and their texts, in column order.
struct Row {
  std::vector<std::pair<std::string, std::string>> cells;

  Row& add(const std::string& column, const std::string& text) {
    cells.emplace_back(column, text);
    return *this;
  }
  // The cell's text, or empty when the row has no such column.
  std::string get(const std::string& column) const {
    for (const auto& cell : cells)
      if (cell.first == column) return cell.second;
    return std::string();
  }
};

// One group, content or comment.
struct Item {
  Row row;
  Json record;  // an object holding every field of the host record
};

struct Report {
  std::string op;
  int status = 0;
  // The report's own scalar values (count, name, stage, ...), in order.
  Json values = Json::object();
  // "groups", "contents" or "comments"; empty when the report has no list.
  std::string listName;
  std::vector<Item> items;
};

}  // namespace kvhost
