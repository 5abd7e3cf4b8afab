// The one way tests and benchmarks start kvsim: a child process on a free
// loopback port whose "listening on URL" line is awaited with a bounded
// poll, never a blocking read. A child that does not announce itself in
// time is killed; a running one is stopped (SIGTERM, then SIGKILL) by the
// destructor, and it also stops by itself after its --exit-after.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace kvtest {

class KvsimProcess {
 public:
  struct Options {
    std::vector<std::string> flags;  // added after "--port 0"
    // Standard error goes to this file; empty: the caller's standard error.
    std::string errPath;
    // Keeps standard output and error on one pipe after the first line, for
    // readRest(). Otherwise the pipe closes once the URL is read.
    bool captureOutput = false;
    // A watchdog only: kvsim announces itself in milliseconds.
    std::chrono::seconds announceWait{30};
  };

  // Starts `binary` --port 0 followed by the flags.
  KvsimProcess(const std::string& binary, const Options& options);
  ~KvsimProcess();

  KvsimProcess(const KvsimProcess&) = delete;
  KvsimProcess& operator=(const KvsimProcess&) = delete;

  // True once kvsim announced its URL.
  bool running() const { return !m_baseUrl.empty(); }
  // "http://127.0.0.1:PORT" (or https), empty when it did not start.
  const std::string& baseUrl() const { return m_baseUrl; }
  int port() const;
  // What went wrong while starting, for test messages.
  const std::string& error() const { return m_error; }

  // SIGTERM, then waits up to `wait` for the exit (SIGKILL after it).
  // Returns the exit code, or -1 when it had to be killed or never ran. A
  // kvsim that ended before announcing itself (a usage error) gives the code
  // it ended with, and readRest() gives all it wrote.
  int stop(std::chrono::seconds wait = std::chrono::seconds(10));
  // The same without the SIGTERM: for a kvsim that ends by itself.
  int awaitExit(std::chrono::seconds wait = std::chrono::seconds(10));
  // With captureOutput: what kvsim wrote after the first line, up to the end
  // of its output or `wait`, whichever comes first.
  std::string readRest(std::chrono::seconds wait = std::chrono::seconds(10));

 private:
  pid_t m_pid = -1;
  int m_out = -1;
  int m_exitCode = -1;
  std::string m_rest;  // read together with the first line
  std::string m_baseUrl;
  std::string m_error;
};

// Waits up to `wait` for child `pid` to end; returns its exit code, -2 when
// a signal ended it, or -1 when it still runs (then it is killed and reaped).
int waitForExit(pid_t pid, std::chrono::milliseconds wait);

}  // namespace kvtest
