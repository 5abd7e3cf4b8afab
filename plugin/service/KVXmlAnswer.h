// One service answer parsed into a DOM under options of our own. A TV
// process may have changed libxml2's process-wide defaults (entity
// substitution, DTD loading, blank handling, error output); none of them
// reaches this parse. Answers never carry a DTD, so a document with one is
// refused before any of its declarations is read: no entity of the answer's
// own making is ever expanded, and no external one is loaded.
#pragma once

#include <W/WTypes.h>

#include <memory>

namespace xmlpp {
class Document;
}

namespace W {

class KVXmlAnswer {
 public:
  // Deepest element nesting accepted; service answers nest a dozen levels.
  static constexpr int kMaxDepth = 256;

  KVXmlAnswer();
  ~KVXmlAnswer();
  KVXmlAnswer(const KVXmlAnswer&) = delete;
  KVXmlAnswer& operator=(const KVXmlAnswer&) = delete;

  // Parses `payload`: true for a well-formed document without DTD, nested
  // at most kMaxDepth deep, read without network access. Replaces any
  // earlier document.
  bool parse(const STRING& payload);
  // The parsed document, or null.
  xmlpp::Document* document() const { return m_document.get(); }

 private:
  std::unique_ptr<xmlpp::Document> m_document;
};

}  // namespace W
