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

// Walks the envelope (parsed under `limits`) for "result" elements. Returns
// WSTATUS_SUCCESS when one said "ok" and none said "fail"; `failStatus`
// (logged) for a "fail"; WSTATUS_FAILURE (logged) for a malformed envelope
// or an answer without an "ok". On success and when `service` is given, the
// credentials are loaded from the "ok" results, so a refused device never
// becomes logged in.
WSTATUS readAccountAnswer(const KVLimits& limits, const STRING& payload, WSTATUS failStatus,
                          KVService* service, const WContentProvider& provider) {
  KVXmlAnswer answer(limits);
  std::list<xmlpp::Node*> children;
  WSTATUS status = KVService::openEnvelope(payload, answer, children);
  if (status != WSTATUS_SUCCESS) return status;
  std::vector<const xmlpp::Node*> okResults;
  for (const xmlpp::Node* child : children) {
    if (!kvxml::isElementNamed(child, "result")) continue;
    const STRING word = KVService::getReponseStatus(child);
    STRING stat;
    if (word == "fail") {
      KVService::extractRespInfo(child, stat);
      return KV_LOG_OAI(failStatus);
    }
    if (word == "ok") {
      KVService::extractRespInfo(child, stat);
      okResults.push_back(child);
    }
  }
  if (okResults.empty()) return KV_LOG_OAI(WSTATUS_FAILURE);
  if (service != nullptr) {
    for (const xmlpp::Node* result : okResults) service->setUserCredential(result, provider);
  }
  return WSTATUS_SUCCESS;
}

}  // namespace

WSTATUS forbiddenStatus(WKVOAI& oai, const HttpResponse& response, const STRING& text1,
                        const STRING& text2) {
  const STRING code = KVService::extractErrorString(response.getPayload());
  const GSTATUS internal = KVService::getKVSTATUS(code);
  const WSTATUS status = KVService::getWlibSTATUS(internal);
  if (status == WSTATUS_CAPTCHA_REQUIRED && internal == KV_CODE_CAPTCHA) {
    oai.getService()->setException(oai.getContentProvider(), EXCEPTION_CAPTCHA, text1, text2,
                                   response);
  }
  return status;
}

WSTATUS WKVOAI::parseRegisterStatus(STRING payload, RegisterKVCMD*) {
  return readAccountAnswer(answerLimits(), payload, WSTATUS_FAILURE, nullptr, m_provider);
}

WSTATUS WKVOAI::parseAuthStatus(STRING payload, AuthKVCMD*) {
  return readAccountAnswer(answerLimits(), payload, WSTATUS_AUTH_FAILED, m_pService, m_provider);
}

WSTATUS WKVOAI::parseLoginStatus(STRING payload, KVLoginCMD*) {
  return readAccountAnswer(answerLimits(), payload, WSTATUS_FAILURE, m_pService, m_provider);
}

}  // namespace W
