// The request sequence shared by the group, feed, content and comment
// operations.
#include "groups/OperationRequest.h"

#include "service/KVLog.h"

namespace W {

WSTATUS requireLogin(const WKVOAI& oai) {
  KVService* m_pService = oai.getService();
  KV_ASSERT_NOT_NULL(m_pService);
  if (m_pService->isLoggedIn()) return 0;
  KV_LOG_OAI(-202);
  return -202;
}

WSTATUS submitCommand(WKVOAI& oai, KVMethod method, const STRING& resource,
                      const KVHeaderMap& headers, const STRING& body,
                      std::unique_ptr<KVServiceCMD> cmd) {
  KVService* service = oai.getService();
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

KVHeaderMap headersWithAppToken(const KVService& service) {
  KVHeaderMap headers = service.sessionHeaders();
  headers["appToken"] = service.getAppToken();
  return headers;
}

}  // namespace W
