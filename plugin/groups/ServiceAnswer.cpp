// Readers shared by the parsers of the service's list and record answers.
#include "groups/ServiceAnswer.h"

#include <libxml++/libxml++.h>

#include <cstdlib>

#include "service/KVLog.h"

namespace W {

WSTATUS walkEnvelope(const STRING& payload,
                     const std::function<WSTATUS(const xmlpp::Node* data)>& onData) {
  xmlpp::DomParser parser;
  std::list<xmlpp::Node*> children;
  WSTATUS status = KVService::openEnvelope(payload, parser, children);
  if (status != 0) return status;
  for (const xmlpp::Node* child : children) {
    const STRING name = child->get_name();
    if (name == "result" && KVService::getReponseStatus(child) == "fail") {
      STRING stat;
      KVService::extractRespInfo(child, stat);
      KV_LOG_OAI(-16);
      return -16;
    }
    if (name == "data") {
      status = onData(child);
      if (status < 0) return status;
    }
  }
  return 0;
}

int entryNumber(const STRING& name, const xmlpp::Node* node) {
  return static_cast<int>(std::strtol(KVService::getEntryContent(name, node).c_str(), nullptr, 10));
}

WDateTime entryDate(const STRING& name, const xmlpp::Node* node) {
  return WDateTime::fromString(KVService::getEntryContent(name, node), 0, 1);
}

const xmlpp::Node* firstChildNamed(const xmlpp::Node* node, const STRING& name) {
  if (node == nullptr) return nullptr;
  for (const xmlpp::Node* child : node->get_children(name)) {
    if (dynamic_cast<const xmlpp::Element*>(child) != nullptr) return child;
  }
  return nullptr;
}

}  // namespace W
