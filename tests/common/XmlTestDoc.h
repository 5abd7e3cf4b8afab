// A parsed XML document for tests that call record readers and envelope
// checks directly: keeps the parser alive while the test reads its nodes.
#pragma once

#include <libxml++/libxml++.h>

#include <gtest/gtest.h>

#include <string>

namespace kvtest {

class XmlDoc {
 public:
  explicit XmlDoc(const std::string& text) { m_parser.parse_memory(text); }
  xmlpp::Element* root() { return m_parser.get_document()->get_root_node(); }
  // The first child element of the root named `name` (fails the test when
  // there is none).
  const xmlpp::Element* child(const std::string& name) {
    for (const xmlpp::Node* node : root()->get_children(name)) {
      if (auto element = dynamic_cast<const xmlpp::Element*>(node)) return element;
    }
    ADD_FAILURE() << "no child " << name;
    return nullptr;
  }

 private:
  xmlpp::DomParser m_parser;
};

}  // namespace kvtest
