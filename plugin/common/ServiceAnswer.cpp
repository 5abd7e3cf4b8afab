// Readers shared by the parsers of the service's list and record answers.
#include "common/ServiceAnswer.h"

#include <libxml++/libxml++.h>

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "service/KVLog.h"
#include "service/KVXmlAnswer.h"

namespace W {

WSTATUS walkEnvelope(const KVLimits& limits, const STRING& payload,
                     const std::function<WSTATUS(const xmlpp::Node* data)>& onData) {
  KVXmlAnswer answer(limits);
  std::list<xmlpp::Node*> children;
  WSTATUS status = KVService::openEnvelope(payload, answer, children);
  if (status != WSTATUS_SUCCESS) return status;
  WSTATUS result = WSTATUS_SUCCESS;
  for (const xmlpp::Node* child : children) {
    if (kvxml::isElementNamed(child, "result") && KVService::getReponseStatus(child) == "fail") {
      STRING stat;
      KVService::extractRespInfo(child, stat);
      return KV_LOG_OAI(WSTATUS_FAILURE);
    }
    if (kvxml::isElementNamed(child, "data")) {
      status = onData(child);
      if (status < 0) return status;
      if (status == WSTATUS_MORE_ITEMS) result = status;
    }
  }
  // Past the text budget the entries read empty: what was read is not the answer.
  if (answer.textOverrun()) return KV_LOG_OAI(WSTATUS_FAILURE);
  return result;
}

int decimalNumber(const char* text) {
  const long long value = std::strtoll(text, nullptr, 10);
  return static_cast<int>(std::clamp<long long>(value, std::numeric_limits<int>::min(),
                                                std::numeric_limits<int>::max()));
}

int entryNumber(const char* name, const xmlpp::Node* node) {
  return decimalNumber(KVService::getEntryContent(name, node).c_str());
}

WDateTime entryDate(const char* name, const xmlpp::Node* node) {
  return WDateTime::fromString(KVService::getEntryContent(name, node), 0, 1);
}

}  // namespace W
