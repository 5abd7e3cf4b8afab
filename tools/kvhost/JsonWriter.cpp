// JSON rendering of kvhost's reports.
#include "JsonWriter.h"

#include <W/WStatus.h>

#include <cstdio>

namespace kvhost {

void appendJsonString(std::string& out, const std::string& text) {
  out += '"';
  for (char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (byte < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  out += '"';
}

namespace {

void appendMember(std::string& out, const Field& field, bool first) {
  if (!first) out += ',';
  appendJsonString(out, field.key);
  out += ':';
  if (field.isNumber) {
    out += field.text;
  } else {
    appendJsonString(out, field.text);
  }
}

void appendObject(std::string& out, const Record& record) {
  out += '{';
  for (size_t i = 0; i < record.fields.size(); ++i) appendMember(out, record.fields[i], i == 0);
  out += '}';
}

}  // namespace

std::string toJsonLine(const Report& report) {
  std::string out = "{\"op\":";
  appendJsonString(out, report.op);
  out += ",\"status\":" + std::to_string(report.status) + ",\"status_name\":";
  appendJsonString(out, W::WSTATUS2STRING(static_cast<unsigned>(report.status)));
  for (const Field& field : report.values.fields) appendMember(out, field, false);
  if (!report.listName.empty()) {
    out += ',';
    appendJsonString(out, report.listName);
    out += ":[";
    for (size_t i = 0; i < report.items.size(); ++i) {
      if (i != 0) out += ',';
      appendObject(out, report.items[i]);
    }
    out += ']';
  }
  out += '}';
  return out;
}

}  // namespace kvhost
