// Fuzz target: the envelope readers over a whole answer tree. The envelope is
// opened as every completion does, then each element of the tree goes
// through the status, response-information, error-string and entry readers,
// with the names the parsers ask for and the names the input itself carries.
#include <libxml++/libxml++.h>

#include <list>

#include "FuzzProvider.h"
#include "service/KVXmlAnswer.h"

namespace {

const char* const kNames[] = {"stat", "desc",   "code",      "msg",     "result", "data",
                              "id",   "userId", "contentId", "groupID", ""};

// Bounds for hostile trees: the readers run per element.
constexpr int kMaxDepth = 64;
constexpr int kMaxElements = 2000;

void readNode(const xmlpp::Node* node, int depth, int& budget) {
  if (node == nullptr || depth > kMaxDepth || budget <= 0) return;
  budget--;
  W::KVService::getReponseStatus(node);
  W::STRING stat;
  W::KVService::extractRespInfo(node, stat);
  W::STRING code;
  W::KVService::extractErrorString(node, code);
  W::KVService::getWlibSTATUS(W::KVService::getKVSTATUS(code));
  for (const char* name : kNames) W::KVService::getEntryContent(name, node);
  if (const auto* element = dynamic_cast<const xmlpp::Element*>(node)) {
    for (const xmlpp::Attribute* a : element->get_attributes())
      W::KVService::getEntryContent(a->get_name(), node);
  }
  for (const xmlpp::Node* child : const_cast<xmlpp::Node*>(node)->get_children()) {
    W::KVService::getEntryContent(child->get_name(), node);
    readNode(child, depth + 1, budget);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  W::KVXmlAnswer parser;
  std::list<xmlpp::Node*> children;
  int status = W::KVService::openEnvelope(kvfuzz::payload(data, size), parser, children);
  kvfuzz::require(status == 0 || status == -16, "envelope status is 0 or -16");
  kvfuzz::require(status != 0 || !children.empty(), "an opened envelope has children");
  int budget = kMaxElements;
  for (const xmlpp::Node* child : children) readNode(child, 0, budget);
  return 0;
}
