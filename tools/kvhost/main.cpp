// kvhost: a command-line host for the Kinvale plug-in. Loads it, configures
// the provider, authenticates and runs one command.
#include <cstdio>
#include <string>

#include "CommandLine.h"
#include "CommandTable.h"
#include "Commands.h"
#include "ProviderConfig.h"

namespace {

int usageError(const std::string& message) {
  std::fprintf(stderr, "kvhost: %s\n(kvhost --help lists commands and options)\n", message.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kvhost;
  Invocation invocation;
  std::string error;
  if (!parseCommandLine(argc, argv, invocation, error)) return usageError(error);
  if (invocation.help) {
    std::fputs(usageText().c_str(), stdout);
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

  Driver driver(*loader.provider(), callContext, invocation);
  Context context{invocation, *loader.provider(), loader, driver};
  if (invocation.command->authenticates) {
    RunMode login;
    login.cancellable = false;
    const Outcome auth = driver.run(
        "auth", [&](void* ud) { return context.provider.authKV(&callbacks::onAccount, ud); },
        login);
    if (auth.kind != Outcome::kCompleted || auth.status != 0) {
      std::fprintf(stderr, "kvhost: authentication failed; %s not run\n", invocation.command->name);
      return 1;
    }
  }
  const Outcome outcome = invocation.command->run(context);
  loader.unload();
  return exitCodeOf(outcome);
}
