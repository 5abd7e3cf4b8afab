// Table rendering of kvhost's reports.
#include "TableWriter.h"

#include "VisibleText.h"

#include <W/WStatus.h>

#include <algorithm>
#include <cctype>

namespace kvhost {

namespace {

// Width on a terminal: UTF-8 continuation bytes take no column.
size_t displayWidth(const std::string& text) {
  size_t width = 0;
  for (char c : text)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++width;
  return width;
}

std::string upper(const std::string& text) {
  std::string out = text;
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// Columns: every column of any row, in first-seen order.
std::vector<std::string> tableColumns(const std::vector<Item>& items) {
  std::vector<std::string> columns;
  for (const Item& item : items)
    for (const auto& cell : item.row.cells)
      if (std::find(columns.begin(), columns.end(), cell.first) == columns.end())
        columns.push_back(cell.first);
  return columns;
}

// A value as a person reads it: texts without quotes.
std::string valueText(const Json& value) {
  return value.is_string() ? value.get<std::string>()
                           : value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// One indented line of cells, each padded to its column's width and two
// spaces apart; empty cells at the end leave no trailing spaces.
void appendLine(std::string& out, const std::vector<std::string>& cells,
                const std::vector<size_t>& widths) {
  std::string line = "  ";
  for (size_t i = 0; i < cells.size(); ++i) {
    line += cells[i];
    if (i + 1 < cells.size()) line.append(widths[i] - displayWidth(cells[i]) + 2, ' ');
  }
  line.erase(line.find_last_not_of(' ') + 1);
  out += line + "\n";
}

}  // namespace

std::string toTable(const Report& report) {
  std::string out = report.op + ": " + W::WSTATUS2STRING(static_cast<unsigned>(report.status)) +
                    " (" + std::to_string(report.status) + ")\n";
  for (const auto& value : report.values.items())
    out += "  " + value.key() + ": " + visibleText(valueText(value.value())) + "\n";
  if (report.listName.empty()) return out;
  if (report.items.empty()) return out + "  (no " + report.listName + ")\n";

  const std::vector<std::string> columns = tableColumns(report.items);
  std::vector<std::vector<std::string>> lines(1);
  for (const std::string& c : columns) lines[0].push_back(upper(c));
  for (const Item& item : report.items) {
    lines.emplace_back();
    for (const std::string& c : columns) lines.back().push_back(visibleText(item.row.get(c)));
  }
  std::vector<size_t> widths(columns.size(), 0);
  for (const auto& cells : lines)
    for (size_t i = 0; i < cells.size(); ++i)
      widths[i] = std::max(widths[i], displayWidth(cells[i]));
  for (const auto& cells : lines) appendLine(out, cells, widths);
  return out;
}

}  // namespace kvhost
