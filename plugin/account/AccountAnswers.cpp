// Readers of the account answers: the "rsp" envelope of register,
// authenticate and login, and the plain-text error of a 403 answer.
#include <libxml++/libxml++.h>

#include <vector>

#include "account/AccountCommands.h"
#include "account/AccountCompletion.h"
#include "service/KVXmlAnswer.h"
#include "service/KVXmlNode.h"

namespace W {

namespace {

// Walks the envelope's children for "result" elements. Returns 0 when one
// said "ok" and none said "fail"; `failStatus` (logged) for a "fail"; -16
// (logged) for a malformed envelope or an answer without an "ok". On 0 and
// when `service` is given, the credentials are loaded from the "ok"
// results, so a refused device never becomes logged in.
WSTATUS readAccountAnswer(const STRING& payload, WSTATUS failStatus, KVService* service,
                          const WContentProvider& provider) {
  KVXmlAnswer answer;
  std::list<xmlpp::Node*> children;
  WSTATUS status = KVService::openEnvelope(payload, answer, children);
  if (status != 0) return status;
  std::vector<const xmlpp::Node*> okResults;
  for (const xmlpp::Node* child : children) {
    if (!kvxml::isElementNamed(child, "result")) continue;
    const STRING word = KVService::getReponseStatus(child);
    STRING stat;
    if (word == "fail") {
      KVService::extractRespInfo(child, stat);
      KV_LOG_OAI(failStatus);
      return failStatus;
    }
    if (word == "ok") {
      KVService::extractRespInfo(child, stat);
      okResults.push_back(child);
    }
  }
  if (okResults.empty()) {
    KV_LOG_OAI(-16);
    return -16;
  }
  if (service != nullptr) {
    for (const xmlpp::Node* result : okResults) service->setUserCredential(result, provider);
  }
  return 0;
}

}  // namespace

WSTATUS forbiddenStatus(WKVOAI& oai, const HttpResponse& response, const STRING& text1,
                        const STRING& text2) {
  const STRING code = KVService::extractErrorString(response.getPayload());
  const GSTATUS internal = KVService::getKVSTATUS(code);
  const WSTATUS status = KVService::getWlibSTATUS(internal);
  if (status == -500 && internal == 24) {
    oai.getService()->setException(oai.getContentProvider(), EXCEPTION_CAPTCHA, text1, text2,
                                   response);
  }
  return status;
}

WSTATUS WKVOAI::parseRegisterStatus(STRING payload, RegisterKVCMD*) {
  return readAccountAnswer(payload, -16, nullptr, m_provider);
}

WSTATUS WKVOAI::parseAuthStatus(STRING payload, AuthKVCMD*) {
  return readAccountAnswer(payload, -208, m_pService, m_provider);
}

WSTATUS WKVOAI::parseLoginStatus(STRING payload, KVLoginCMD*) {
  return readAccountAnswer(payload, -16, m_pService, m_provider);
}

}  // namespace W
