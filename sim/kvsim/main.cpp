// kvsim entry point: parse flags, start the server, announce its URL, and run
// until SIGINT, SIGTERM or --exit-after.
#include <pthread.h>

#include <csignal>
#include <cstdio>
#include <ctime>
#include <iostream>

#include "KvBuildInfo.h"
#include "Options.h"
#include "Server.h"

int main(int argc, char** argv) {
  kvsim::Options options;
  std::string error;
  if (kvsim::parseOptions(argc, argv, options, error) != 0) {
    std::cerr << "kvsim: " << error << "\n" << kvsim::usageText();
    return 2;
  }
  if (options.help) {
    std::cout << kvsim::usageText();
    return 0;
  }
  if (options.version) {
    std::cout << "kvsim " KV_VERSION "\n";
    return 0;
  }
  // Signals are taken by sigtimedwait below, never by the server's threads.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  kvsim::Server server(std::move(options.config));
  int port = server.start(options.port, error);
  if (port < 0) {
    std::cerr << "kvsim: " << error << "\n";
    return 1;
  }
  std::cout << "listening on " << server.baseUrl() << std::endl;

  std::time_t deadline =
      options.exitAfterSeconds > 0 ? std::time(nullptr) + options.exitAfterSeconds : 0;
  while (true) {
    timespec wait{1, 0};
    if (deadline != 0) {
      std::time_t left = deadline - std::time(nullptr);
      if (left <= 0) break;
      if (left < 1) wait.tv_sec = left;
    }
    int sig = sigtimedwait(&stopSignals, nullptr, &wait);
    if (sig == SIGINT || sig == SIGTERM) break;
  }
  server.stop();
  std::cout << "kvsim stopped" << std::endl;
  return 0;
}
