// Loading and clearing the session's credentials.
#include <W/WConfigManager.h>

#include <libxml++/libxml++.h>

#include "service/KVService.h"

namespace W {

void KVService::setUserCredential(const xmlpp::Node* node, const WContentProvider& provider) {
  if (node == nullptr) {
    std::lock_guard<std::mutex> lock(m_credLock);
    m_credentials = KVCredentials();
    return;
  }
  // Only an answer with content proves the service accepted the device; the
  // identifiers themselves come from the host configuration.
  if (const_cast<xmlpp::Node*>(node)->get_children().empty()) return;
  WConfigManager& config = WConfigManager::getInstance();
  STRING appID = config.getCPOption(provider, "app_id").toString();
  STRING authToken = config.getCPOption(provider, "AuthToken").toString();
  STRING duid = config.getCPOption(provider, "duid").toString();
  // One step, so that a request built meanwhile signs with the old identity
  // or the new one, never with a mix.
  std::lock_guard<std::mutex> lock(m_credLock);
  m_credentials.appID = std::move(appID);
  m_credentials.authToken = std::move(authToken);
  m_credentials.duid = std::move(duid);
}

}  // namespace W
