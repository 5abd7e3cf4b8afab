// Table rendering of kvhost's reports.
#include "TableWriter.h"

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

// Line breaks and tabs would tear the table apart; show them as spaces.
std::string oneLine(const std::string& text) {
  std::string out = text;
  for (char& c : out)
    if (c == '\n' || c == '\r' || c == '\t') c = ' ';
  return out;
}

std::string upper(const std::string& text) {
  std::string out = text;
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// Columns: every key shown in a table of any item, in first-seen order.
std::vector<std::string> tableColumns(const std::vector<Record>& items) {
  std::vector<std::string> columns;
  for (const Record& item : items)
    for (const Field& f : item.fields)
      if (f.inTable && std::find(columns.begin(), columns.end(), f.key) == columns.end())
        columns.push_back(f.key);
  return columns;
}

void appendPadded(std::string& out, const std::string& text, size_t width, bool last) {
  out += text;
  if (last) return;
  out.append(width - displayWidth(text) + 2, ' ');
}

}  // namespace

std::string toTable(const Report& report) {
  std::string out = report.op + ": " + W::WSTATUS2STRING(static_cast<unsigned>(report.status)) +
                    " (" + std::to_string(report.status) + ")\n";
  for (const Field& f : report.values.fields) out += "  " + f.key + ": " + oneLine(f.text) + "\n";
  if (report.listName.empty()) return out;
  if (report.items.empty()) return out + "  (no " + report.listName + ")\n";

  const std::vector<std::string> columns = tableColumns(report.items);
  std::vector<std::vector<std::string>> rows;
  std::vector<size_t> widths;
  for (const std::string& c : columns) widths.push_back(displayWidth(c));
  for (const Record& item : report.items) {
    std::vector<std::string> row;
    for (size_t i = 0; i < columns.size(); ++i) {
      row.push_back(oneLine(item.get(columns[i])));
      widths[i] = std::max(widths[i], displayWidth(row.back()));
    }
    rows.push_back(row);
  }
  out += "  ";
  for (size_t i = 0; i < columns.size(); ++i)
    appendPadded(out, upper(columns[i]), widths[i], i + 1 == columns.size());
  out += "\n";
  for (const auto& row : rows) {
    out += "  ";
    for (size_t i = 0; i < row.size(); ++i)
      appendPadded(out, row[i], widths[i], i + 1 == row.size());
    out += "\n";
  }
  return out;
}

}  // namespace kvhost
