// kvhost: a command-line host for the Kinvale plug-in. Loads it, configures
// the provider, authenticates and runs one command.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "CommandLine.h"
#include "CommandTable.h"
#include "Commands.h"
#include "KvBuildInfo.h"
#include "ProviderConfig.h"

namespace {

// The plug-in writes its failure log to standard output. Results go to the
// real standard output through the returned stream, and file descriptor 1
// becomes standard error, so that --json output stays one object per line.
// Returns stdout itself when the descriptors cannot be rearranged.
std::FILE* separateResultsFromPluginLog() {
  std::fflush(stdout);
  const int results = dup(STDOUT_FILENO);
  if (results < 0) return stdout;
  std::FILE* stream = fdopen(results, "w");
  if (stream == nullptr || dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
    if (stream != nullptr)
      std::fclose(stream);
    else
      close(results);
    return stdout;
  }
  return stream;
}

int usageError(const std::string& message) {
  std::fprintf(stderr, "kvhost: %s\n(kvhost --help lists commands and options)\n", message.c_str());
  return 2;
}

// Without a command, the whole usage is the useful answer.
int missingCommand() {
  std::fprintf(stderr, "kvhost: %s\n\n%s", kvhost::kMissingCommand, kvhost::usageText().c_str());
  return 2;
}

// Logs in first unless the command is register or auth, then runs it.
kvhost::Outcome authenticateAndRun(kvhost::Context& context) {
  using namespace kvhost;
  const CommandDef& command = *context.invocation.command;
  if (command.authenticates) {
    RunMode login;
    login.cancellable = false;
    const Outcome auth = authenticate(context, login);
    if (auth.kind != Outcome::kCompleted || auth.status != 0) {
      std::fprintf(stderr, "kvhost: authentication failed; %s not run\n", command.name);
      return Outcome{Outcome::kFailed, auth.status};
    }
  }
  return command.run(context);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kvhost;
  Invocation invocation;
  std::string error;
  if (!parseCommandLine(argc, argv, invocation, error))
    return error == kMissingCommand ? missingCommand() : usageError(error);
  if (invocation.help) {
    std::fputs(usageText().c_str(), stdout);
    return 0;
  }
  if (invocation.version) {
    std::printf("kvhost %s\n", KV_VERSION);
    return 0;
  }
  if (!applyProviderOptions(invocation, error)) return usageError(error);

  // Declared before the loader: the plug-in's completions may use it until
  // destroyPlugin returns.
  CallContext callContext;
  PluginLoader loader;
  const std::string path =
      invocation.pluginPath.empty() ? PluginLoader::defaultPath() : invocation.pluginPath;
  if (!loader.load(path, error)) {
    std::fprintf(stderr, "kvhost: %s\n", error.c_str());
    return 1;
  }

  std::FILE* results = separateResultsFromPluginLog();
  Driver driver(*loader.provider(), callContext, invocation, results);
  Context context{invocation, *loader.provider(), loader, driver};
  const Outcome outcome = authenticateAndRun(context);
  loader.unload();
  if (results != stdout) std::fclose(results);
  return exitCodeOf(outcome);
}
