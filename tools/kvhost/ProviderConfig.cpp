// Provider options from kvhost's command line.
#include "ProviderConfig.h"

#include <W/WConfigManager.h>

namespace kvhost {

W::WContentProvider kinvaleIdentity() {
  return W::WContentProvider("Kinvale", 12);
}

bool applyProviderOptions(const Invocation& invocation, std::string& error) {
  W::WConfigManager& config = W::WConfigManager::getInstance();
  const W::WContentProvider identity = kinvaleIdentity();
  if (!invocation.configPath.empty() &&
      config.loadCPOptions(identity, invocation.configPath) != 0) {
    error = "cannot read provider options from " + invocation.configPath +
            " (key=value lines: base_url, app_id, AuthToken, duid)";
    return false;
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

}  // namespace kvhost
