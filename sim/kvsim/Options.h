// kvsim's command line.
#pragma once

#include <string>

#include "Server.h"

namespace kvsim {

struct Options {
  int port = 0;
  int exitAfterSeconds = 0;  // 0: run until SIGINT or SIGTERM
  bool help = false;
  bool version = false;
  ServerConfig config;
};

// Usage text for --help.
std::string usageText();

// Parses argv. Returns 0 on success, 2 with `error` set for an unknown flag,
// a missing or bad value, --tls-cert without --tls-key or the reverse, or an
// unreadable accounts file.
int parseOptions(int argc, char** argv, Options& options, std::string& error);

}  // namespace kvsim
