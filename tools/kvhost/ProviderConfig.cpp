// Provider options from kvhost's command line.
#include "ProviderConfig.h"

#include <W/WConfigManager.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kvhost {

namespace {

const AccountOption kAccountOptions[] = {
    {"app_id", "--app-id"}, {"AuthToken", "--auth-token"}, {"duid", "--duid"}};

// Empty when `path` can be opened and read, else the system's reason. The
// host's loader only says that it failed.
std::string unreadableReason(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::strerror(errno);
  char byte;
  const bool readable = read(fd, &byte, 1) >= 0;  // a directory opens but gives EISDIR here
  const int readError = errno;
  close(fd);
  return readable ? std::string() : std::strerror(readError);
}

}  // namespace

W::WContentProvider kinvaleIdentity() {
  return W::WContentProvider("Kinvale", 12);
}

bool applyProviderOptions(const Invocation& invocation, std::string& error) {
  W::WConfigManager& config = W::WConfigManager::getInstance();
  const W::WContentProvider identity = kinvaleIdentity();
  const std::string& path = invocation.configPath;
  if (!path.empty()) {
    const std::string reason = unreadableReason(path);
    if (!reason.empty()) {
      error = "cannot read --config " + path + ": " + reason;
      return false;
    }
    if (config.loadCPOptions(identity, path) != 0) {
      error = "cannot read provider options from " + path +
              ": every line must be key=value (base_url, app_id, AuthToken, duid, ...), "
              "empty, or a # comment";
      return false;
    }
  }
  const struct {
    const std::optional<std::string>& value;
    const char* key;
  } overrides[] = {{invocation.baseUrl, "base_url"},
                   {invocation.appId, "app_id"},
                   {invocation.authToken, "AuthToken"},
                   {invocation.duid, "duid"}};
  for (const auto& o : overrides)
    if (o.value) config.setCPOption(identity, o.key, *o.value);
  return true;
}

std::vector<AccountOption> missingAccountOptions() {
  const W::WConfigManager& config = W::WConfigManager::getInstance();
  std::vector<AccountOption> missing;
  for (const AccountOption& option : kAccountOptions)
    if (config.getCPOption(kinvaleIdentity(), option.key).toString().empty())
      missing.push_back(option);
  return missing;
}

}  // namespace kvhost
