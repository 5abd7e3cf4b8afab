// Command line parsing for kvhost.
#include "CommandLine.h"

#include <climits>

#include "CommandTable.h"
#include "OptionNames.h"

namespace kvhost {

const char* const kMissingCommand = "missing command";

bool parseNumber(const std::string& text, unsigned long max, unsigned long& value) {
  if (text.empty() || text.size() > 10) return false;
  unsigned long long n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + static_cast<unsigned>(c - '0');
  }
  if (n > max) return false;
  value = static_cast<unsigned long>(n);
  return true;
}

namespace {

const unsigned long kMaxUint32 = 0xFFFFFFFFul;

// Options that take no value.
bool applyGlobalFlag(const std::string& name, Invocation& inv) {
  if (name == "json") {
    inv.json = true;
  } else if (name == "progress") {
    inv.forceProgress = true;
  } else if (name == "help") {
    inv.help = true;
  } else if (name == "version") {
    inv.version = true;
  } else {
    return false;
  }
  return true;
}

bool isGlobalWithValue(const std::string& name) {
  static const char* const kNames[] = {"plugin",     "config", "base-url", "app-id",
                                       "auth-token", "duid",   "timeout",  "cancel-after"};
  for (const char* n : kNames)
    if (name == n) return true;
  return false;
}

bool applyGlobalValue(const std::string& name, const std::string& value, Invocation& inv,
                      std::string& error) {
  unsigned long n = 0;
  if (name == "plugin") {
    inv.pluginPath = value;
  } else if (name == "config") {
    inv.configPath = value;
  } else if (name == "base-url") {
    inv.baseUrl = value;
  } else if (name == "app-id") {
    inv.appId = value;
  } else if (name == "auth-token") {
    inv.authToken = value;
  } else if (name == "duid") {
    inv.duid = value;
  } else if (name == "timeout") {
    if (!parseNumber(value, 86400, n) || n == 0) {
      error = "--timeout needs a number of seconds from 1 to 86400, not '" + value + "'";
      return false;
    }
    inv.timeoutSec = static_cast<long>(n);
  } else if (name == "cancel-after") {
    if (!parseNumber(value, 86400000, n)) {
      error = "--cancel-after needs a number of milliseconds, not '" + value + "'";
      return false;
    }
    inv.cancelAfterMs = static_cast<long>(n);
  }
  return true;
}

// Takes the option's value from "--name=value" or the next argument.
bool takeValue(const std::string& name, bool hasInline, const std::string& inlineValue, int argc,
               const char* const* argv, int& i, std::string& value, std::string& error) {
  if (hasInline) {
    value = inlineValue;
    return true;
  }
  if (i + 1 >= argc) {
    error = "--" + name + " needs a value";
    return false;
  }
  value = argv[++i];
  return true;
}

// Checks a command option's value; an enumerated option's name becomes its
// number.
bool checkOptionValue(const OptionSpec& option, std::string& value, std::string& error) {
  unsigned long n = 0;
  int named = 0;
  if (option.names != nullptr && valueOfName(*option.names, value, named)) {
    value = std::to_string(named);
    return true;
  }
  if (!option.numeric || parseNumber(value, kMaxUint32, n)) return true;
  if (option.names != nullptr) {
    error = std::string("--") + option.name + " takes " + describeNames(*option.names) +
            ", or a decimal number; not '" + value + "'";
  } else {
    error = std::string("--") + option.name + " needs a decimal number, not '" + value + "'";
  }
  return false;
}

bool checkCommand(const Invocation& inv, std::string& error) {
  const CommandDef& def = *inv.command;
  if (inv.args.size() < def.minArgs) {
    error = "missing argument; usage: kvhost " + synopsis(def);
    return false;
  }
  if (inv.args.size() > def.maxArgs) {
    error = "unexpected argument '" + inv.args[def.maxArgs] + "'; usage: kvhost " + synopsis(def);
    return false;
  }
  if (!def.exactlyOne.empty()) {
    size_t given = 0;
    for (const std::string& name : def.exactlyOne) given += inv.has(name) ? 1 : 0;
    if (given != 1) {
      std::string names;
      for (const std::string& name : def.exactlyOne)
        names += (names.empty() ? "--" : " or --") + name;
      error = std::string(def.name) + " needs exactly one of " + names;
      return false;
    }
  }
  return true;
}

}  // namespace

bool parseCommandLine(int argc, const char* const* argv, Invocation& inv, std::string& error) {
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (!optionsEnded && arg == "-h") {
      inv.help = true;
      continue;
    }
    if (!optionsEnded && arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
      const size_t eq = arg.find('=');
      const std::string name = arg.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
      const bool hasInline = eq != std::string::npos;
      const std::string inlineValue = hasInline ? arg.substr(eq + 1) : std::string();
      if (applyGlobalFlag(name, inv)) {
        if (hasInline) {
          error = "--" + name + " takes no value";
          return false;
        }
        continue;
      }
      std::string value;
      if (isGlobalWithValue(name)) {
        if (!takeValue(name, hasInline, inlineValue, argc, argv, i, value, error)) return false;
        if (!applyGlobalValue(name, value, inv, error)) return false;
        continue;
      }
      const OptionSpec* option = inv.command ? findOption(*inv.command, name) : nullptr;
      if (option == nullptr) {
        error = inv.command ? "unknown option --" + name + " for " + inv.command->name
                            : "unknown option --" + name;
        return false;
      }
      if (!takeValue(name, hasInline, inlineValue, argc, argv, i, value, error)) return false;
      if (!checkOptionValue(*option, value, error)) return false;
      inv.options[name] = value;
      continue;
    }
    if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
      error = "unknown option " + arg;
      return false;
    }
    if (inv.command == nullptr) {
      inv.command = findCommand(arg);
      if (inv.command == nullptr) {
        error = "unknown command '" + arg + "'";
        return false;
      }
      continue;
    }
    inv.args.push_back(arg);
  }
  if (inv.help || inv.version) return true;
  if (inv.command == nullptr) {
    error = kMissingCommand;
    return false;
  }
  return checkCommand(inv, error);
}

}  // namespace kvhost
