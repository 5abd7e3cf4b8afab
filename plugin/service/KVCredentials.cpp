// Loading and clearing the session's credentials.
#include <W/WConfigManager.h>

#include <libxml++/libxml++.h>

#include "service/KVService.h"

namespace W {

void KVService::setUserCredential(const xmlpp::Node* node, const WContentProvider& provider) {
  if (node == nullptr) {
    m_userID.clear();
    m_appID.clear();
    m_authToken.clear();
    m_appToken.clear();
    m_duid.clear();
    return;
  }
  // Only an answer with content proves the service accepted the device; the
  // identifiers themselves come from the host configuration.
  if (const_cast<xmlpp::Node*>(node)->get_children().empty()) return;
  WConfigManager& config = WConfigManager::getInstance();
  m_appID = config.getCPOption(provider, "app_id").toString();
  m_authToken = config.getCPOption(provider, "AuthToken").toString();
  m_duid = config.getCPOption(provider, "duid").toString();
}

}  // namespace W
