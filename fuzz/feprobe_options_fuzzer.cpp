// Fuzz target: feprobe's command-line parsing. The input is split at NUL
// bytes into arguments after the program name. options_parse reports -h and
// bad options as values instead of exiting, so it runs in-process; getopt's
// state is reset before every call.
#include <getopt.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "options.h"

namespace {

constexpr size_t kMaxArgs = 64;

// A switch is 0 unless given, then 1; an option with a value holds its
// default or what strtol made of the text.
void checkSwitches(const probe_options& o) {
  const int switches[] = {o.hw_reset, o.init,   o.reset,   o.scan,
                          o.sleep,    o.wakeup, o.verbose, o.wait};
  for (int s : switches) {
    if (s != 0 && s != 1) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> args = {"feprobe"};
  std::string current;
  for (size_t i = 0; i < size && args.size() < kMaxArgs; i++) {
    if (data[i] == 0) {
      args.push_back(current);
      current.clear();
    } else {
      current.push_back(static_cast<char>(data[i]));
    }
  }
  if (!current.empty() && args.size() < kMaxArgs) args.push_back(current);

  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(&a[0]);
  argv.push_back(nullptr);

  probe_options values = {};
  probe_option_row table[PROBE_OPTION_COUNT + 1];
  options_table(table, &values);
  set_option_defaults(table);
  optind = 0;  // glibc: start a fresh scan
  int result = options_parse(table, static_cast<int>(args.size()), argv.data());
  if (result != OPTIONS_RUN && result != OPTIONS_HELP && result != OPTIONS_BAD) __builtin_trap();
  if (result == OPTIONS_RUN) checkSwitches(values);
  return 0;
}
