// Readers of the service's XML response envelope and its entries.
#include <libxml++/libxml++.h>

#include <memory>

#include "service/KVLog.h"
#include "service/KVService.h"
#include "service/KVXmlAnswer.h"
#include "service/KVXmlNode.h"

namespace W {

namespace {

const xmlpp::Element* asElement(const xmlpp::Node* node) {
  return dynamic_cast<const xmlpp::Element*>(node);
}

// The text of the first child element of `node` named `name`, or empty.
STRING childText(const xmlpp::Node* node, const char* name) {
  const char* text = kvxml::firstText(kvxml::firstChildElement(node, name));
  return text != nullptr ? STRING(text) : STRING();
}

}  // namespace

WSTATUS KVService::openEnvelope(const STRING& payload, KVXmlAnswer& answer,
                                std::list<xmlpp::Node*>& children) {
  children.clear();
  xmlpp::Document* doc = answer.parse(payload) ? answer.document() : nullptr;
  if (doc == nullptr) return KV_LOG_SERVICE(WSTATUS_FAILURE);
  xmlpp::Element* root = doc->get_root_node();
  if (root == nullptr || !kvxml::isElementNamed(root, "rsp"))
    return KV_LOG_SERVICE(WSTATUS_FAILURE);
  children = root->get_children();
  if (children.empty()) return KV_LOG_SERVICE(WSTATUS_FAILURE);
  return WSTATUS_SUCCESS;
}

STRING KVService::getReponseStatus(const xmlpp::Node* node) {
  return childText(node, "stat");
}

STRING KVService::extractRespInfo(const xmlpp::Node* node, STRING& stat) {
  stat.clear();
  if (node == nullptr) return STRING();
  stat = childText(node, "stat");
  return childText(node, "desc");
}

STRING KVService::extractErrorString(const xmlpp::Node* node, STRING& code) {
  code.clear();
  STRING desc;
  if (node == nullptr) return desc;
  if (const xmlpp::Element* e = asElement(node)) {
    code = e->get_attribute_value("code");
    desc = e->get_attribute_value("desc");
  }
  if (code.empty()) code = childText(node, "code");
  if (desc.empty()) desc = childText(node, "desc");
  return desc;
}

STRING KVService::extractErrorString(const STRING& payload) {
  // A literal, not a static string: nothing here is destroyed at exit.
  static const char kKey[] = "Error=";
  size_t at = payload.find(kKey);
  if (at == STRING::npos) return STRING();
  size_t start = at + sizeof kKey - 1;
  size_t end = payload.find('\n', start);
  STRING code = payload.substr(start, end == STRING::npos ? STRING::npos : end - start);
  // Servers often end lines with CRLF; the CR is not part of the code.
  if (!code.empty() && code.back() == '\r') code.pop_back();
  return code;
}

STRING KVService::getEntryContent(const STRING& name, const xmlpp::Node* node) {
  return getEntryContent(name.c_str(), node);
}

STRING KVService::getEntryContent(const char* name, const xmlpp::Node* node) {
  if (node == nullptr) return STRING();
  xmlNode* element = const_cast<xmlNode*>(node->cobj());
  if (kvxml::isElement(element)) {
    if (xmlAttr* attribute = xmlHasProp(element, BAD_CAST name)) {
      if (attribute->type != XML_ATTRIBUTE_NODE) {
        // A default from the document's DTD: libxml++ knows how to read it.
        return asElement(node)->get_attribute(name)->get_value();
      }
      // Freed also when the copy below throws.
      const std::unique_ptr<xmlChar, void (*)(void*)> value(
          xmlNodeGetContent(reinterpret_cast<xmlNode*>(attribute)), xmlFree);
      STRING text(value != nullptr ? reinterpret_cast<const char*>(value.get()) : "");
      if (!KVXmlAnswer::takeText(node, text.size())) text.clear();
      return text;
    }
  }
  STRING text = childText(node, name);
  if (!KVXmlAnswer::takeText(node, text.size())) text.clear();
  return text;
}

}  // namespace W
