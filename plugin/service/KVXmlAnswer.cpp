// The pinned parse of a service answer.
#include "service/KVXmlAnswer.h"

#include <libxml++/document.h>
#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <string.h>

#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <typeinfo>

namespace W {

namespace {

// What the SAX hooks keep between calls; lives in the context's _private.
struct ParseGuard {
  int depth = 0;
  long long nodes = 0;
  long long maxNodes = 0;  // 0: no limit
  bool refused = false;
  startElementNsSAX2Func start = nullptr;
  endElementNsSAX2Func end = nullptr;
  commentSAXFunc comment = nullptr;
  processingInstructionSAXFunc instruction = nullptr;
  cdataBlockSAXFunc cdata = nullptr;
};

// Every option, whatever the process defaults: no network, no DTD loading
// or validation, no entity substitution, no huge-document relaxations, and
// no messages on the process's error streams.
constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

// The byte after the first `end` in [from, last), or null when there is none.
const char* pastEnd(const char* from, const char* last, const char* end) {
  const size_t length = std::strlen(end);
  const void* found = memmem(from, static_cast<size_t>(last - from), end, length);
  return found != nullptr ? static_cast<const char*>(found) + length : nullptr;
}

bool startsWith(const char* at, const char* last, const char* prefix) {
  const size_t length = std::strlen(prefix);
  return static_cast<size_t>(last - at) >= length && std::memcmp(at, prefix, length) == 0;
}

// True when no start tag in [at, last) carries more than kMaxAttributes
// attributes, counted by their "=" outside quoted values. Comments, CDATA
// sections and processing instructions are passed over; the scan ends at a
// document type declaration, which the parse refuses anyway, and at
// markup that never ends, which it cannot read. libxml2 compares each
// attribute of a tag with every earlier one before any hook of ours sees
// the element: one tag with a million attributes would keep the executor
// busy for hours, so it is refused before the parse.
bool noTagOverAttributeBound(const char* at, const char* const last) {
  while (at != nullptr && (at = static_cast<const char*>(
                               std::memchr(at, '<', static_cast<size_t>(last - at)))) != nullptr) {
    const char next = at + 1 < last ? at[1] : '\0';
    if (next == '?') {
      at = pastEnd(at + 2, last, "?>");
    } else if (next == '!') {
      if (startsWith(at, last, "<!--")) {
        at = pastEnd(at + 4, last, "-->");
      } else if (startsWith(at, last, "<![CDATA[")) {
        at = pastEnd(at + 9, last, "]]>");
      } else {
        return true;
      }
    } else {
      // A tag: its "=" until the ">" that ends it, values passed over whole.
      int attributes = 0;
      for (++at; at < last && *at != '>'; ++at) {
        if (*at == '"' || *at == '\'') {
          const void* close = std::memchr(at + 1, *at, static_cast<size_t>(last - at - 1));
          if (close == nullptr) return true;
          at = static_cast<const char*>(close);
        } else if (*at == '=' && ++attributes > KVXmlAnswer::kMaxAttributes) {
          return false;
        }
      }
    }
  }
  return true;
}

// The same test, quick for what answers are: a tag holds no "<", so when no
// stretch after a "<" holds more than kMaxAttributes "=", no tag can carry
// more attributes. Answers hold few "=", so only the rare answer that has
// such a stretch (in a text, a comment or a tag) is scanned tag by tag.
bool attributesWithinBound(const STRING& text) {
  const char* const first = text.data();
  const char* const last = first + text.size();
  const char* from = first;  // just after the last "=" counted
  int stretch = 0;
  while (const void* found = std::memchr(from, '=', static_cast<size_t>(last - from))) {
    const char* equals = static_cast<const char*>(found);
    if (std::memchr(from, '<', static_cast<size_t>(equals - from)) != nullptr) stretch = 0;
    if (++stretch > KVXmlAnswer::kMaxAttributes) return noTagOverAttributeBound(first, last);
    from = equals + 1;
  }
  return true;
}

ParseGuard& guardOf(void* ctx) {
  return *static_cast<ParseGuard*>(static_cast<xmlParserCtxtPtr>(ctx)->_private);
}

void refuse(void* ctx) {
  guardOf(ctx).refused = true;
  xmlStopParser(static_cast<xmlParserCtxtPtr>(ctx));
}

void onDoctype(void* ctx, const xmlChar*, const xmlChar*, const xmlChar*) {
  refuse(ctx);
}

// Counts `count` more nodes of the tree being built; false (the parse
// refused) past the limit. Text nodes are not counted: each lies beside one
// counted node, so they are bounded too.
bool admitNodes(void* ctx, long long count) {
  ParseGuard& guard = guardOf(ctx);
  guard.nodes += count;
  if (guard.maxNodes > 0 && guard.nodes > guard.maxNodes) {
    refuse(ctx);
    return false;
  }
  return true;
}

void onStartElement(void* ctx, const xmlChar* localname, const xmlChar* prefix, const xmlChar* uri,
                    int nbNamespaces, const xmlChar** namespaces, int nbAttributes, int nbDefaulted,
                    const xmlChar** attributes) {
  ParseGuard& guard = guardOf(ctx);
  if (++guard.depth > KVXmlAnswer::kMaxDepth) {
    refuse(ctx);
    return;
  }
  if (!admitNodes(ctx, 1LL + nbNamespaces + nbAttributes)) return;
  guard.start(ctx, localname, prefix, uri, nbNamespaces, namespaces, nbAttributes, nbDefaulted,
              attributes);
}

void onEndElement(void* ctx, const xmlChar* localname, const xmlChar* prefix, const xmlChar* uri) {
  ParseGuard& guard = guardOf(ctx);
  --guard.depth;
  guard.end(ctx, localname, prefix, uri);
}

void onComment(void* ctx, const xmlChar* text) {
  if (admitNodes(ctx, 1)) guardOf(ctx).comment(ctx, text);
}

void onInstruction(void* ctx, const xmlChar* target, const xmlChar* data) {
  if (admitNodes(ctx, 1)) guardOf(ctx).instruction(ctx, target, data);
}

void onCData(void* ctx, const xmlChar* text, int len) {
  if (admitNodes(ctx, 1)) guardOf(ctx).cdata(ctx, text, len);
}

void ignoreError(void*, xmlErrorPtr) {}

// Sets the context's options and hooks, overriding what it took over from
// the process defaults when it was created.
void pinContext(xmlParserCtxtPtr ctxt, ParseGuard& guard) {
  ctxt->options = 0;
  xmlCtxtUseOptions(ctxt, kParseOptions);
  ctxt->_private = &guard;
  xmlSAXHandlerPtr sax = ctxt->sax;
  guard.start = sax->startElementNs;
  guard.end = sax->endElementNs;
  guard.comment = sax->comment;
  guard.instruction = sax->processingInstruction;
  guard.cdata = sax->cdataBlock;
  sax->startElementNs = &onStartElement;
  sax->endElementNs = &onEndElement;
  sax->comment = &onComment;
  sax->processingInstruction = &onInstruction;
  sax->cdataBlock = &onCData;
  sax->internalSubset = &onDoctype;
  sax->externalSubset = &onDoctype;
  // Blanks are text like any other, even where a default says to drop them.
  sax->ignorableWhitespace = &xmlSAX2Characters;
  sax->serror = &ignoreError;
}

}  // namespace

// libxml++ points every document at its wrapper (the xmlDoc's _private);
// this wrapper also points at the answer whose text budget its readers use.
class KVXmlAnswer::AnswerDocument : public xmlpp::Document {
 public:
  AnswerDocument(xmlDoc* doc, KVXmlAnswer& answer) : xmlpp::Document(doc), m_answer(answer) {}
  KVXmlAnswer& answer() const { return m_answer; }

 private:
  KVXmlAnswer& m_answer;
};

KVXmlAnswer::KVXmlAnswer(const KVLimits& limits)
    : m_maxNodes(limits.maxAnswerElements),
      m_textLeft(limits.maxAnswerBytes > 0 ? limits.maxAnswerBytes : -1) {}

KVXmlAnswer::~KVXmlAnswer() = default;

bool KVXmlAnswer::takeText(const xmlpp::Node* node, size_t bytes) {
  const xmlDoc* doc = node != nullptr ? node->cobj()->doc : nullptr;
  if (doc == nullptr || doc->_private == nullptr) return true;
  const xmlpp::Document* wrapper = static_cast<const xmlpp::Document*>(doc->_private);
  // Cheaper than a dynamic_cast, on every entry a reader takes.
  if (typeid(*wrapper) != typeid(AnswerDocument)) return true;
  KVXmlAnswer& answer = static_cast<const AnswerDocument*>(wrapper)->answer();
  if (answer.m_textLeft < 0) return true;
  if (answer.m_textOverrun || static_cast<unsigned long long>(answer.m_textLeft) < bytes) {
    answer.m_textOverrun = true;
    return false;
  }
  answer.m_textLeft -= static_cast<long long>(bytes);
  return true;
}

bool KVXmlAnswer::parse(const STRING& payload) {
  m_document.reset();
  if (payload.size() > static_cast<size_t>(std::numeric_limits<int>::max())) return false;
  if (!attributesWithinBound(payload)) return false;
  std::unique_ptr<xmlParserCtxt, void (*)(xmlParserCtxtPtr)> ctxt(
      xmlCreateMemoryParserCtxt(payload.data(), static_cast<int>(payload.size())),
      xmlFreeParserCtxt);
  if (ctxt == nullptr) return false;
  ParseGuard guard;
  guard.maxNodes = m_maxNodes;
  pinContext(ctxt.get(), guard);
  xmlParseDocument(ctxt.get());
  std::unique_ptr<xmlDoc, void (*)(xmlDocPtr)> doc(ctxt->myDoc, xmlFreeDoc);
  ctxt->myDoc = nullptr;
  const bool ok = ctxt->wellFormed && !guard.refused && doc != nullptr;
  ctxt.reset();
  if (!ok) return false;
  xmlpp::Document* wrapper = nullptr;
  try {
    wrapper = new (std::nothrow) AnswerDocument(doc.get(), *this);
  } catch (...) {
    wrapper = nullptr;
  }
  if (wrapper == nullptr) return false;
  doc.release();  // the wrapper owns it from here on
  m_document.reset(wrapper);
  return true;
}

}  // namespace W
