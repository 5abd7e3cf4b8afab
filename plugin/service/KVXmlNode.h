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
#include <string>
#include <type_traits>

namespace W {
namespace kvxml {

// The libxml++ wrapper of a C node (null for null), made on first use as
// libxml++ does.
inline const xmlpp::Node* wrap(xmlNode* node) {
  if (node == nullptr) return nullptr;
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

// True when the C node's name is exactly `name` (bytes).
inline bool hasName(const xmlNode* node, const char* name) {
  return std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

// True when `node` is an element named exactly `name` (bytes).
inline bool isElementNamed(const xmlpp::Node* node, const char* name) {
  return node != nullptr && isElement(node->cobj()) && hasName(node->cobj(), name);
}

// The first child element of `node` named `name`, or null; kvxml::wrap
// makes it a libxml++ node where a reader needs one.
inline xmlNode* firstChildElement(const xmlpp::Node* node, const char* name) {
  for (xmlNode* child = firstChild(node); child != nullptr; child = child->next) {
    if (isElement(child) && hasName(child, name)) return child;
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
  bool is(const char* name) const { return hasName(m_node, name); }
  bool is(const std::string& name) const { return is(name.c_str()); }
  operator const xmlpp::Node*() const { return wrap(m_node); }

 private:
  xmlNode* m_node;
};

// The stop test of a walk that nothing ends early.
struct NeverStop {
  bool operator()() const { return false; }
};

// Calls `visit(child)` (a Child) for every child element of `node` in
// document order; text and comment nodes are passed over. `stop()` is asked
// before each element, and a true answer ends the walk (a cancel request,
// for the list readers); so does a `visit` that returns false (one that
// returns nothing walks on).
template <class Stop, class Visit>
void walkChildren(const xmlpp::Node* node, Stop stop, Visit visit) {
  for (xmlNode* child = firstChild(node); child != nullptr; child = child->next) {
    if (!isElement(child)) continue;
    if (stop()) return;
    if constexpr (std::is_void<decltype(visit(Child(child)))>::value) {
      visit(Child(child));
    } else if (!visit(Child(child))) {
      return;
    }
  }
}

}  // namespace kvxml
}  // namespace W
