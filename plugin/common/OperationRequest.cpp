// The request sequence shared by the group, feed, content and comment
// operations.
#include "common/OperationRequest.h"

#include "service/KVLog.h"

namespace W {

WSTATUS requireLogin(const WKVOAI& oai) {
  KVService* m_pService = oai.getService();
  KV_ASSERT_NOT_NULL(m_pService);
  if (m_pService->isLoggedIn()) return WSTATUS_SUCCESS;
  return KV_LOG_OAI(WSTATUS_NOT_LOGGED_IN);
}

bool refusesPathUID(const STRING& uid) {
  if (!uid.empty() && uid != "." && uid != "..") return false;
  KV_LOG_OAI(WSTATUS_INVALID_ARGUMENT);
  return true;
}

WSTATUS submitCommand(WKVOAI& oai, KVMethod method, const STRING& resource, KVHeaderSet headerSet,
                      const STRING& body, std::unique_ptr<KVServiceCMD> cmd) {
  KVService* service = oai.getService();
  KVHeaderMap headers;
  const WSTATUS signing = service->requestHeaders(headerSet, headers);
  if (signing != WSTATUS_SUCCESS) return signing;  // the command is dropped unsent
  const STRING url = service->serviceURL(resource);
  oai.addCMD(cmd.get());
  return handOverCommand(oai, std::move(cmd), [&](KVServiceCMD* handedOver) {
    return method == KVMethod::Get ? service->getDataRequest(url, headers, body, handedOver)
                                   : service->postDataRequest(url, headers, body, handedOver);
  });
}

}  // namespace W
