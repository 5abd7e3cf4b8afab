// Request log formatting and writing.
#include "RequestLog.h"

namespace kvsim {

namespace {

std::string field(const std::string& value) {
  if (value.empty()) return "-";
  std::string out;
  for (char c : value) {
    if (c == ' ') {
      out += "%20";
    } else if (c == '\n' || c == '\r' || c == '\t') {
      out += "%0A";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

std::string formatLogLine(const LogEntry& e) {
  return e.method + " " + field(e.path) + " query=" + field(e.query) + " app_id=" + field(e.appId) +
         " duid=" + field(e.duid) + " sig=" + field(e.signature) +
         " appToken=" + (e.appToken ? "yes" : "no") + " body=" + std::to_string(e.bodySize) +
         " code=" + field(e.code) + " fault=" + field(e.fault) + " scheme=" + field(e.scheme);
}

bool RequestLog::open(const std::string& path) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (path.empty()) return true;
  m_file = std::fopen(path.c_str(), "a");
  return m_file != nullptr;
}

RequestLog::~RequestLog() {
  if (m_file != nullptr) std::fclose(m_file);
}

void RequestLog::write(const LogEntry& entry) {
  std::string line = formatLogLine(entry) + "\n";
  std::lock_guard<std::mutex> lock(m_mutex);
  m_lines.push_back(line);
  if (m_file != nullptr) {
    std::fputs(line.c_str(), m_file);
    std::fflush(m_file);
  }
}

std::string RequestLog::text() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  std::string out;
  for (const std::string& l : m_lines) out += l;
  return out;
}

}  // namespace kvsim
