// Readers of the service's XML response envelope and its entries.
#include <libxml++/libxml++.h>

#include "service/KVLog.h"
#include "service/KVService.h"

namespace W {

namespace {

const xmlpp::Element* asElement(const xmlpp::Node* node) {
  return dynamic_cast<const xmlpp::Element*>(node);
}

// The first child element of `node` named `name`, or null.
const xmlpp::Element* firstChildElement(const xmlpp::Node* node, const STRING& name) {
  if (node == nullptr) return nullptr;
  for (const xmlpp::Node* child : node->get_children(name)) {
    if (const xmlpp::Element* e = asElement(child)) return e;
  }
  return nullptr;
}

// The first text (or CDATA) child's content, or empty.
STRING firstText(const xmlpp::Element* element) {
  if (element == nullptr) return STRING();
  for (const xmlpp::Node* child : element->get_children()) {
    if (auto text = dynamic_cast<const xmlpp::TextNode*>(child)) return text->get_content();
    if (auto cdata = dynamic_cast<const xmlpp::CdataNode*>(child)) return cdata->get_content();
  }
  return STRING();
}

}  // namespace

WSTATUS KVService::openEnvelope(const STRING& payload, xmlpp::DomParser& parser,
                                std::list<xmlpp::Node*>& children) {
  children.clear();
  try {
    parser.parse_memory(payload);
  } catch (...) {
    KV_LOG_SERVICE(-16);
    return -16;
  }
  xmlpp::Document* doc = parser.get_document();
  if (doc == nullptr) {
    KV_LOG_SERVICE(-16);
    return -16;
  }
  xmlpp::Element* root = doc->get_root_node();
  if (root == nullptr || root->get_name() != "rsp") {
    KV_LOG_SERVICE(-16);
    return -16;
  }
  children = root->get_children();
  if (children.empty()) {
    KV_LOG_SERVICE(-16);
    return -16;
  }
  return 0;
}

STRING KVService::getReponseStatus(const xmlpp::Node* node) {
  if (node == nullptr) return STRING();
  xmlpp::Node::NodeList stats = const_cast<xmlpp::Node*>(node)->get_children("stat");
  if (stats.empty()) return STRING();
  return firstText(asElement(stats.front()));
}

STRING KVService::extractRespInfo(const xmlpp::Node* node, STRING& stat) {
  stat.clear();
  if (node == nullptr) return STRING();
  stat = firstText(firstChildElement(node, "stat"));
  return firstText(firstChildElement(node, "desc"));
}

STRING KVService::extractErrorString(const xmlpp::Node* node, STRING& code) {
  code.clear();
  STRING desc;
  if (node == nullptr) return desc;
  if (const xmlpp::Element* e = asElement(node)) {
    code = e->get_attribute_value("code");
    desc = e->get_attribute_value("desc");
  }
  if (code.empty()) code = firstText(firstChildElement(node, "code"));
  if (desc.empty()) desc = firstText(firstChildElement(node, "desc"));
  return desc;
}

STRING KVService::extractErrorString(const STRING& payload) {
  static const STRING kKey = "Error=";
  size_t at = payload.find(kKey);
  if (at == STRING::npos) return STRING();
  size_t start = at + kKey.size();
  size_t end = payload.find('\n', start);
  STRING code = payload.substr(start, end == STRING::npos ? STRING::npos : end - start);
  // Servers often end lines with CRLF; the CR is not part of the code.
  if (!code.empty() && code.back() == '\r') code.pop_back();
  return code;
}

STRING KVService::getEntryContent(const STRING& name, const xmlpp::Node* node) {
  if (node == nullptr) return STRING();
  if (const xmlpp::Element* e = asElement(node)) {
    if (const xmlpp::Attribute* a = e->get_attribute(name)) return a->get_value();
  }
  return firstText(firstChildElement(node, name));
}

}  // namespace W
