// The commands kvhost knows: their names, arguments, options and handlers.
// The command line parser, the usage text and main all read this one table.
#pragma once

#include <string>
#include <vector>

namespace kvhost {

struct Context;
struct Outcome;

struct NameTable;

struct OptionSpec {
  const char* name;  // without "--"
  const char* valueName;
  bool numeric;  // must be a decimal number that fits 32 bits
  // Enumerated: a name from this table, or a number as above.
  const NameTable* names = nullptr;
};

struct CommandDef {
  const char* name;
  const char* arguments;  // synopsis of the positional arguments
  const char* summary;
  size_t minArgs;
  size_t maxArgs;
  std::vector<OptionSpec> options;
  // When not empty: exactly one of these options must be given.
  std::vector<std::string> exactlyOne;
  bool authenticates;  // runs authKV before the command
  Outcome (*run)(Context& context);
};

// The table, in usage order.
const std::vector<CommandDef>& commandTable();

// The command of that name, or null.
const CommandDef* findCommand(const std::string& name);

// The option of that name for `command`, or null.
const OptionSpec* findOption(const CommandDef& command, const std::string& name);

// One usage line: name, arguments and options.
std::string synopsis(const CommandDef& command);

// The whole --help text: options, commands, and the names of the
// enumerated option values.
std::string usageText();

}  // namespace kvhost
