// kvhost's parsed command line: global settings, the command and its
// arguments and options.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kvhost {

struct CommandDef;

struct Invocation {
  // Global settings. Provider options are set only when given.
  std::string pluginPath;  // empty: the plug-in beside the executable
  std::string configPath;
  std::optional<std::string> baseUrl, appId, authToken, duid;
  long timeoutSec = 30;
  long cancelAfterMs = -1;  // -1: never cancel
  bool json = false;
  bool forceProgress = false;
  bool help = false;
  bool version = false;

  const CommandDef* command = nullptr;
  std::vector<std::string> args;
  // Command options by name without the leading "--"; numeric ones are
  // already checked to be decimal numbers, enumerated ones given by name
  // hold their number.
  std::map<std::string, std::string> options;

  bool has(const std::string& name) const { return options.count(name) != 0; }
  // The option's text, or `fallback` when it was not given.
  std::string text(const std::string& name, const std::string& fallback = "") const {
    auto it = options.find(name);
    return it == options.end() ? fallback : it->second;
  }
  // The numeric option's value, or `fallback` when it was not given.
  unsigned long number(const std::string& name, unsigned long fallback = 0) const {
    auto it = options.find(name);
    return it == options.end() ? fallback : std::stoul(it->second);
  }
  // The positional argument at `index`, or empty when there is none.
  std::string arg(size_t index) const { return index < args.size() ? args[index] : std::string(); }
};

}  // namespace kvhost
