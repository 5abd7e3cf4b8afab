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
  std::lock_guard<std::mutex> lock(mutex_);
  if (path.empty()) return true;
  file_ = std::fopen(path.c_str(), "a");
  return file_ != nullptr;
}

RequestLog::~RequestLog() {
  if (file_ != nullptr) std::fclose(file_);
}

void RequestLog::write(const LogEntry& entry) {
  std::string line = formatLogLine(entry) + "\n";
  std::lock_guard<std::mutex> lock(mutex_);
  lines_.push_back(line);
  if (file_ != nullptr) {
    std::fputs(line.c_str(), file_);
    std::fflush(file_);
  }
}

std::string RequestLog::text() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::string out;
  for (const std::string& l : lines_) out += l;
  return out;
}

}  // namespace kvsim
