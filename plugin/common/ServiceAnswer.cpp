// Readers shared by the parsers of the service's list and record answers.
#include "common/ServiceAnswer.h"

#include <libxml++/libxml++.h>

#include <cstdlib>

#include "service/KVLog.h"
#include "service/KVXmlAnswer.h"

namespace W {

WSTATUS walkEnvelope(const STRING& payload,
                     const std::function<WSTATUS(const xmlpp::Node* data)>& onData) {
  KVXmlAnswer answer;
  std::list<xmlpp::Node*> children;
  WSTATUS status = KVService::openEnvelope(payload, answer, children);
  if (status != 0) return status;
  for (const xmlpp::Node* child : children) {
    if (kvxml::isElementNamed(child, "result") && KVService::getReponseStatus(child) == "fail") {
      STRING stat;
      KVService::extractRespInfo(child, stat);
      return KV_LOG_OAI(WSTATUS_FAILURE);
    }
    if (kvxml::isElementNamed(child, "data")) {
      status = onData(child);
      if (status < 0) return status;
    }
  }
  return 0;
}

int entryNumber(const char* name, const xmlpp::Node* node) {
  return static_cast<int>(std::strtol(KVService::getEntryContent(name, node).c_str(), nullptr, 10));
}

WDateTime entryDate(const char* name, const xmlpp::Node* node) {
  return WDateTime::fromString(KVService::getEntryContent(name, node), 0, 1);
}

}  // namespace W
