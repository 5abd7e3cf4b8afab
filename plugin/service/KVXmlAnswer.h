// One service answer parsed into a DOM under options of our own. A TV
// process may have changed libxml2's process-wide defaults (entity
// substitution, DTD loading, blank handling, error output); none of them
// reaches this parse. Answers never carry a DTD, so a document with one is
// refused before any of its declarations is read: no entity of the answer's
// own making is ever expanded, and no external one is loaded.
//
// What an answer may cost is bounded by its shape as well as its bytes: the
// parse counts the document's nodes against max_answer_elements, and the
// text the readers take from it (KVService::getEntryContent) is counted
// against max_answer_bytes, so that one long text named again by many
// elements cannot fill the memory with copies.
#pragma once

#include <W/WTypes.h>

#include <cstddef>
#include <memory>

#include "service/KVLimits.h"

namespace xmlpp {
class Document;
class Node;
}  // namespace xmlpp

namespace W {

class KVXmlAnswer {
 public:
  // Deepest element nesting accepted; service answers nest a dozen levels.
  static constexpr int kMaxDepth = 256;
  // Most attributes one element may carry; service elements carry a few.
  static constexpr int kMaxAttributes = 256;

  // An answer under `limits`: maxAnswerElements bounds the parse,
  // maxAnswerBytes the text its readers take (0: no limit for either).
  explicit KVXmlAnswer(const KVLimits& limits = KVLimits());
  ~KVXmlAnswer();
  KVXmlAnswer(const KVXmlAnswer&) = delete;
  KVXmlAnswer& operator=(const KVXmlAnswer&) = delete;

  // Parses `payload`: true for a well-formed document without DTD, nested
  // at most kMaxDepth deep, no element with more than kMaxAttributes
  // attributes, with at most maxAnswerElements nodes (elements,
  // attributes, namespace declarations, comments, processing instructions
  // and CDATA sections), read without network access. Replaces any earlier
  // document.
  bool parse(const STRING& payload);
  // The parsed document, or null.
  xmlpp::Document* document() const { return m_document.get(); }

  // Counts `bytes` of text a reader takes from the document of `node`.
  // False once the answer's texts passed the limit: the reader then takes
  // nothing. Nodes of documents not parsed here are not counted (true).
  static bool takeText(const xmlpp::Node* node, size_t bytes);
  // True when a reader was refused text by takeText.
  bool textOverrun() const { return m_textOverrun; }

 private:
  class AnswerDocument;  // the parsed document, with a way back to its answer

  const long long m_maxNodes;  // 0: no limit
  long long m_textLeft;        // negative: no limit
  bool m_textOverrun = false;
  std::unique_ptr<xmlpp::Document> m_document;
};

}  // namespace W
