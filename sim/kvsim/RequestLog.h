// The request log: one line per request, written to --log FILE and kept in
// memory for GET /admin/log, so tests can check what reached the service.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace kvsim {

struct LogEntry {
  std::string method;
  std::string path;
  std::string query;  // raw, as sent
  std::string appId;  // from Authorization, "" when absent
  std::string duid;
  std::string signature;  // "ok", "bad" or "none"
  bool appToken = false;  // an appToken header was present
  size_t bodySize = 0;
  std::string code;    // HTTP code, or "drop"
  std::string fault;   // injected fault kinds, "" when none
  std::string scheme;  // "http" or "https": how the request arrived
};

// Formats an entry as the log line (without the line feed):
// METHOD PATH query=Q app_id=A duid=D sig=S appToken=yes|no body=N code=C fault=F scheme=S
// Empty values are written as "-"; spaces in values as "%20".
std::string formatLogLine(const LogEntry& entry);

class RequestLog {
 public:
  // Opens `path` for appending; an empty path keeps the log in memory only.
  // Returns false when the file cannot be opened.
  bool open(const std::string& path);
  ~RequestLog();

  // Writes and flushes one line.
  void write(const LogEntry& entry);
  // All lines written so far, each ending with a line feed.
  std::string text() const;

 private:
  mutable std::mutex m_mutex;  // guards m_file and m_lines
  std::FILE* m_file = nullptr;
  std::vector<std::string> m_lines;
};

}  // namespace kvsim
