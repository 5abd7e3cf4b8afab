// The request sequence shared by the group, feed, content and comment
// operations.
#include "common/OperationRequest.h"

#include "service/KVLog.h"

namespace W {

WSTATUS requireLogin(const WKVOAI& oai) {
  KVService* m_pService = oai.getService();
  KV_ASSERT_NOT_NULL(m_pService);
  if (m_pService->isLoggedIn()) return 0;
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
  if (signing != 0) return signing;  // the command is dropped unsent
  KVServiceCMD* handedOver = cmd.release();
  oai.addCMD(handedOver);
  const STRING url = service->serviceURL(resource);
  WSTATUS status = method == KVMethod::Get
                       ? service->getDataRequest(url, headers, body, handedOver)
                       : service->postDataRequest(url, headers, body, handedOver);
  // On failure the transport has deleted the command; only the registry
  // entry is left to remove (the pointer is compared, not followed).
  if (status < 0) oai.cleanupCMD(handedOver);
  return status < 0 ? status : 0;
}

}  // namespace W
