// The pinned parse of a service answer.
#include "service/KVXmlAnswer.h"

#include <libxml++/document.h>
#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <cstring>
#include <limits>
#include <new>

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

// Skips from `at` past the end of a markup that ends with `end`; npos when
// it never ends.
size_t skipPast(const STRING& text, size_t at, const char* end) {
  const size_t found = text.find(end, at);
  return found == STRING::npos ? found : found + std::strlen(end);
}

// True when no start tag of `text` carries more than kMaxAttributes
// attributes, counted by their "=" outside quoted values. Comments, CDATA
// sections and processing instructions are passed over; the scan ends at a
// document type declaration, which the parse refuses anyway, and at
// markup that never ends, which it cannot read. libxml2 compares each
// attribute of a tag with every earlier one before any hook of ours sees
// the element: one tag with a million attributes would keep the executor
// busy for hours, so it is refused before the parse.
bool attributesWithinBound(const STRING& text) {
  size_t at = 0;
  while ((at = text.find('<', at)) != STRING::npos) {
    if (text.compare(at, 4, "<!--") == 0) {
      at = skipPast(text, at + 4, "-->");
    } else if (text.compare(at, 9, "<![CDATA[") == 0) {
      at = skipPast(text, at + 9, "]]>");
    } else if (text.compare(at, 2, "<?") == 0) {
      at = skipPast(text, at + 2, "?>");
    } else if (text.compare(at, 2, "<!") == 0) {
      return true;
    } else {
      int attributes = 0;
      char quote = 0;
      for (++at; at < text.size(); ++at) {
        const char c = text[at];
        if (quote != 0) {
          if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
          quote = c;
        } else if (c == '=') {
          if (++attributes > KVXmlAnswer::kMaxAttributes) return false;
        } else if (c == '>') {
          break;
        }
      }
    }
    if (at == STRING::npos) return true;
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
  const auto* wrapper =
      dynamic_cast<const AnswerDocument*>(static_cast<xmlpp::Document*>(doc->_private));
  if (wrapper == nullptr) return true;
  KVXmlAnswer& answer = wrapper->answer();
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
  xmlParserCtxtPtr ctxt =
      xmlCreateMemoryParserCtxt(payload.data(), static_cast<int>(payload.size()));
  if (ctxt == nullptr) return false;
  ParseGuard guard;
  guard.maxNodes = m_maxNodes;
  pinContext(ctxt, guard);
  xmlParseDocument(ctxt);
  xmlDocPtr doc = ctxt->myDoc;
  ctxt->myDoc = nullptr;
  const bool ok = ctxt->wellFormed && !guard.refused && doc != nullptr;
  xmlFreeParserCtxt(ctxt);
  if (!ok) {
    if (doc != nullptr) xmlFreeDoc(doc);
    return false;
  }
  xmlpp::Document* wrapper = nullptr;
  try {
    wrapper = new (std::nothrow) AnswerDocument(doc, *this);  // owns doc from here on
  } catch (...) {
    wrapper = nullptr;
  }
  if (wrapper == nullptr) {
    xmlFreeDoc(doc);
    return false;
  }
  m_document.reset(wrapper);
  return true;
}

}  // namespace W
