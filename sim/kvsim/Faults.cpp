// Fault rule parsing and matching.
#include "Faults.h"

#include "FormCodec.h"

namespace kvsim {

namespace {

struct KindName {
  FaultKind kind;
  const char* name;
};

const KindName kKinds[] = {
    {FaultKind::Latency, "latency"},     {FaultKind::Status, "status"},
    {FaultKind::Error, "error"},         {FaultKind::Malformed, "malformed"},
    {FaultKind::Truncated, "truncated"}, {FaultKind::Drop, "drop"},
    {FaultKind::Slow, "slow"},
};

bool readInt(const Form& form, const char* name, int low, int high, int& out, std::string& error) {
  if (!form.has(name)) return true;
  long value = parseCount(form.get(name), -1);
  if (value < low || value > high) {
    error = std::string("bad ") + name;
    return false;
  }
  out = static_cast<int>(value);
  return true;
}

}  // namespace

bool pathMatches(const std::string& pattern, const std::string& path) {
  std::string text = pattern;
  bool atStart = !text.empty() && text.front() == '^';
  if (atStart) text.erase(0, 1);
  bool atEnd = !text.empty() && text.back() == '$';
  if (atEnd) text.pop_back();
  if (text.size() > path.size()) return false;
  if (atStart && atEnd) return path == text;
  if (atStart) return path.compare(0, text.size(), text) == 0;
  if (atEnd) return path.compare(path.size() - text.size(), text.size(), text) == 0;
  return path.find(text) != std::string::npos;
}

const char* faultKindName(FaultKind kind) {
  for (const KindName& k : kKinds) {
    if (k.kind == kind) return k.name;
  }
  return "?";
}

bool Faults::parseRule(const std::string& formText, FaultRule& rule, std::string& error) {
  Form form = Form::parse(formText);
  std::string kind = form.get("kind");
  bool known = false;
  for (const KindName& k : kKinds) {
    if (kind == k.name) {
      rule.kind = k.kind;
      known = true;
    }
  }
  if (!known) {
    error = "unknown fault kind '" + kind + "'";
    return false;
  }
  rule.pathPattern = form.get("path");
  rule.method = form.get("method");
  rule.error = form.get("error", rule.error);
  rule.body = form.get("body", rule.body);
  if (rule.body != "truncated" && rule.body != "text") {
    error = "body must be truncated or text";
    return false;
  }
  if (!readInt(form, "count", 1, 1000000, rule.remaining, error) ||
      !readInt(form, "ms", 0, 600000, rule.ms, error) ||
      !readInt(form, "code", 100, 599, rule.code, error) ||
      !readInt(form, "bytes", 1, 1 << 24, rule.bytes, error) ||
      !readInt(form, "interval_ms", 0, 60000, rule.intervalMs, error)) {
    return false;
  }
  return true;
}

int Faults::add(FaultRule rule) {
  std::lock_guard<std::mutex> lock(m_mutex);
  rule.id = m_nextId++;
  m_rules.push_back(rule);
  return rule.id;
}

void Faults::clear() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_rules.clear();
}

std::string Faults::describe() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  std::string out;
  for (const FaultRule& r : m_rules) {
    out += "id=" + std::to_string(r.id) + " kind=" + faultKindName(r.kind) +
           " path=" + r.pathPattern + " method=" + r.method +
           " remaining=" + std::to_string(r.remaining) + "\n";
  }
  return out;
}

FaultPlan Faults::take(const std::string& method, const std::string& path) {
  std::lock_guard<std::mutex> lock(m_mutex);
  FaultPlan plan;
  for (auto it = m_rules.begin(); it != m_rules.end();) {
    FaultRule& r = *it;
    bool matches = (r.method.empty() || r.method == method) && pathMatches(r.pathPattern, path);
    bool use = matches && (r.kind == FaultKind::Latency || !plan.hasAction);
    if (use) {
      if (r.kind == FaultKind::Latency) {
        plan.latencyMs += r.ms;
      } else {
        plan.hasAction = true;
        plan.action = r;
      }
      if (!plan.names.empty()) plan.names += ",";
      plan.names += faultKindName(r.kind);
      if (r.remaining > 0 && --r.remaining == 0) {
        it = m_rules.erase(it);
        continue;
      }
    }
    ++it;
  }
  return plan;
}

}  // namespace kvsim
