// Reading a parsed answer through libxml2's own tree. libxml++ compares
// names as Glib::ustring, which collates (Unicode normalisation) on every
// comparison, and lists children into a fresh std::list per call; on a feed
// of thousands of items that cost many times the parse itself. These helpers
// compare bytes and walk the C sibling list, handing out libxml++'s wrappers
// so the readers' signatures stay as they are.
#pragma once

#include <libxml++/nodes/element.h>
#include <libxml/tree.h>

#include <cstring>

namespace W {
namespace kvxml {

// The libxml++ wrapper of a C node, made on first use as libxml++ does.
inline const xmlpp::Node* wrap(xmlNode* node) {
  if (node->_private == nullptr) xmlpp::Node::create_wrapper(node);
  return static_cast<const xmlpp::Node*>(node->_private);
}

// The first child of `node`, or null.
inline xmlNode* firstChild(const xmlpp::Node* node) {
  return node != nullptr ? const_cast<xmlNode*>(node->cobj())->children : nullptr;
}

inline bool isElement(const xmlNode* node) {
  return node->type == XML_ELEMENT_NODE;
}

// True when `node` is an element named exactly `name` (bytes).
inline bool isElementNamed(const xmlNode* node, const char* name) {
  return isElement(node) && std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}
inline bool isElementNamed(const xmlpp::Node* node, const char* name) {
  return node != nullptr && isElementNamed(node->cobj(), name);
}

// The first child element of `node` named `name`, or null.
inline xmlNode* firstChildElement(const xmlpp::Node* node, const char* name) {
  for (xmlNode* child = firstChild(node); child != nullptr; child = child->next) {
    if (isElementNamed(child, name)) return child;
  }
  return nullptr;
}

// The content of the first text or CDATA child of `element`; null when it
// has none.
inline const char* firstText(const xmlNode* element) {
  if (element == nullptr) return nullptr;
  for (const xmlNode* child = element->children; child != nullptr; child = child->next) {
    if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
      return child->content != nullptr ? reinterpret_cast<const char*>(child->content) : "";
    }
  }
  return nullptr;
}

// A child element met by a walk. Most children are only looked at by name;
// the libxml++ wrapper is made when the child is handed to a reader.
class Child {
 public:
  explicit Child(xmlNode* node) : m_node(node) {}
  const char* name() const { return reinterpret_cast<const char*>(m_node->name); }
  bool is(const char* name) const { return std::strcmp(this->name(), name) == 0; }
  operator const xmlpp::Node*() const { return wrap(m_node); }

 private:
  xmlNode* m_node;
};

inline bool isElementNamed(const Child& child, const char* name) {
  return child.is(name);
}

// Calls `visit(child)` (a Child) for every child element of `node` in
// document order while `visit` returns true.
template <class Visit>
void forEachChildElement(const xmlpp::Node* node, Visit visit) {
  for (xmlNode* child = firstChild(node); child != nullptr; child = child->next) {
    if (isElement(child) && !visit(Child(child))) return;
  }
}

}  // namespace kvxml
}  // namespace W
