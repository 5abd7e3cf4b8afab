// The request benchmark's server: a kvsim process of its own on a free
// loopback port, started from the benchmark's bin directory and stopped by
// the destructor (and by itself after a bounded time in any case).
#pragma once

#include <sys/types.h>

#include <string>

namespace kvbench {

class KvsimChild {
 public:
  // Starts <directory of this executable>/kvsim --port 0 --exit-after
  // `exitAfterSec` and waits up to 20 s for its "listening on URL" line.
  explicit KvsimChild(int exitAfterSec);
  // SIGTERM, then SIGKILL when it has not stopped within 5 s.
  ~KvsimChild();

  KvsimChild(const KvsimChild&) = delete;
  KvsimChild& operator=(const KvsimChild&) = delete;

  // "http://127.0.0.1:PORT", or empty when it did not start (see error()).
  const std::string& baseUrl() const { return m_baseUrl; }
  const std::string& error() const { return m_error; }

 private:
  pid_t m_pid = -1;
  std::string m_baseUrl;
  std::string m_error;
};

}  // namespace kvbench
