// Fault injection: rules that delay, replace, break or slow down kvsim's
// answers for chosen paths, set by --fault flags or POST /admin/fault.
#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace kvsim {

enum class FaultKind {
  Latency,    // wait `ms` before answering
  Status,     // answer with HTTP `code`
  Error,      // answer 403 with "Error=<error>"
  Malformed,  // answer 200 with a broken body (`body` "truncated" or "text")
  Truncated,  // announce the full Content-Length, send half, close
  Drop,       // close the connection without answering
  Slow,       // send the body `bytes` at a time every `intervalMs`
};

struct FaultRule {
  int id = 0;
  FaultKind kind = FaultKind::Latency;
  std::string pathPattern;  // text found in the path ("^" and "$" anchor it); empty: every path
  std::string method;       // "GET", "POST" or empty for both
  int remaining = -1;       // requests left; -1: no limit
  int ms = 0;
  int code = 500;
  std::string error = "203";
  std::string body = "truncated";
  int bytes = 1024;
  int intervalMs = 100;
};

// What to do with one request: the total delay and at most one other rule.
struct FaultPlan {
  int latencyMs = 0;
  bool hasAction = false;
  FaultRule action;
  std::string names;  // kinds that fired, for the request log ("" when none)
};

class Faults {
 public:
  // Parses a rule from form fields: kind (latency|status|error|malformed|
  // truncated|drop|slow), path, method, count, ms, code, error, body, bytes,
  // interval_ms. Returns false with `error` set for an unknown kind or a bad
  // number.
  static bool parseRule(const std::string& formText, FaultRule& rule, std::string& error);

  // Adds a rule and returns its id.
  int add(FaultRule rule);
  // Removes every rule.
  void clear();
  // One line per rule, for GET /admin/faults.
  std::string describe() const;

  // Picks the rules that match this request and uses up one of their counts:
  // every matching latency rule adds its delay, the first other matching rule
  // is the action.
  FaultPlan take(const std::string& method, const std::string& path);

 private:
  mutable std::mutex m_mutex;  // guards m_rules and m_nextId
  std::vector<FaultRule> m_rules;
  int m_nextId = 1;
};

// True when `pattern` occurs in `path`; a leading "^" ties it to the start,
// a trailing "$" to the end. An empty pattern matches every path.
bool pathMatches(const std::string& pattern, const std::string& path);

// Name of a kind as used in rules and the log ("latency", "drop", ...).
const char* faultKindName(FaultKind kind);

}  // namespace kvsim
