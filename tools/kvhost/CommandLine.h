// Parses kvhost's command line against the command table.
#pragma once

#include <string>

#include "Invocation.h"

namespace kvhost {

// The error of a command line without a command.
extern const char* const kMissingCommand;

// True when `text` is a decimal number (digits only) not above `max`;
// stores it in `value`.
bool parseNumber(const std::string& text, unsigned long max, unsigned long& value);

// Fills `invocation` from argv. Global options may appear anywhere, a
// command's own options after the command's name; "--name=value" and
// "--name value" are both accepted; "--" ends option parsing. Returns true,
// or false with `error` set for an unknown command or option, a missing or
// surplus argument, a missing value, a non-numeric number or an unknown name
// of an enumerated option (whose names are stored as their numbers). With
// --help or --version the command may be absent.
bool parseCommandLine(int argc, const char* const* argv, Invocation& invocation,
                      std::string& error);

}  // namespace kvhost
