// Process plumbing for the end-to-end tests: run kvhost with a bounded wait
// and capture its output, start and stop a private kvsim, read its request
// log. Paths of the three binaries come from CMake.
#pragma once

#include <sys/types.h>

#include <nlohmann/json.hpp>

#include <memory>
#include <string>
#include <vector>

#include "KvsimProcess.h"
#include "TestFiles.h"

namespace e2e {

// The service's path, as kvsim logs each request.
inline const std::string kService = "/openapi/service/kinvale/";

struct ProcessResult {
  int exitCode = -1;  // -1 when killed by a signal
  int signal = 0;
  bool timedOut = false;
  std::string out;
  std::string err;
};

// Runs argv[0] with `argv`, stdin from /dev/null, and waits at most
// `timeoutMs`; a process still running then is killed (timedOut set).
ProcessResult runProcess(const std::vector<std::string>& argv, int timeoutMs);

// The shared temporary directory and file helpers.
using kvtest::readFile;
using kvtest::TempDir;

// A kvsim of its own on a free port, with a request log; stopped (SIGTERM,
// then SIGKILL) by the destructor. It also stops by itself after 5 minutes.
class Kvsim {
 public:
  // Starts kvsim with `flags` added (e.g. {"--fault", "kind=drop&path=feeds"}).
  explicit Kvsim(const std::vector<std::string>& flags = {});
  ~Kvsim();

  Kvsim(const Kvsim&) = delete;
  Kvsim& operator=(const Kvsim&) = delete;

  // True once kvsim announced its URL.
  bool running() const { return m_process->running(); }
  // "http://127.0.0.1:PORT".
  const std::string& baseUrl() const { return m_process->baseUrl(); }
  // What went wrong while starting, for test messages.
  const std::string& startError() const { return m_error; }
  // The request log lines so far.
  std::vector<std::string> logLines() const;
  // Log lines that contain every one of `parts`.
  std::vector<std::string> logLinesWith(const std::vector<std::string>& parts) const;
  // The same, waiting up to 30 s for a first match: kvsim writes a
  // dropped connection's line after the client has already seen the drop.
  std::vector<std::string> awaitLogLinesWith(const std::vector<std::string>& parts) const;

 private:
  TempDir m_dir{"kv-e2e"};
  std::unique_ptr<kvtest::KvsimProcess> m_process;
  std::string m_error;
};

// One kvhost run and the JSON objects it printed, one per line.
struct HostRun {
  ProcessResult process;
  std::vector<nlohmann::json> lines;
  // The last line whose "op" is `op`, or a null value.
  const nlohmann::json& last(const std::string& op) const;
  // Everything, for failure messages.
  std::string describe() const;
};

// The value at `pointer` (e.g. "/groups/0/uid") in `value`, or null when
// there is none; never throws, so a failed run fails its checks only.
nlohmann::json field(const nlohmann::json& value, const std::string& pointer);
// The same as text (empty unless a string) and as a number (0 unless one).
std::string text(const nlohmann::json& value, const std::string& pointer);
long long number(const nlohmann::json& value, const std::string& pointer);

// The programs under test.
extern const char* const kPluginPath;
extern const char* const kKvhostPath;

// The demo account kvsim starts with.
extern const char* const kAppId;
extern const char* const kAuthToken;
extern const char* const kDuid;

// Runs kvhost --json with the real plug-in against `sim` and the demo account
// (flags given in `args` come later and override them). Adds a test failure
// when kvhost printed a line that is not JSON, when a sanitizer reported
// anything, or when it did not end within `timeoutMs`.
HostRun runKvhost(const Kvsim& sim, const std::vector<std::string>& args, int timeoutMs = 60000);

// The same without any account or base URL: only `args`.
HostRun runKvhostBare(const std::vector<std::string>& args, int timeoutMs = 60000);

}  // namespace e2e
