// The pinned parse of a service answer.
#include "service/KVXmlAnswer.h"

#include <libxml++/document.h>
#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <limits>
#include <new>

namespace W {

namespace {

// What the SAX hooks keep between calls; lives in the context's _private.
struct ParseGuard {
  int depth = 0;
  bool refused = false;
  startElementNsSAX2Func start = nullptr;
  endElementNsSAX2Func end = nullptr;
};

// Every option, whatever the process defaults: no network, no DTD loading
// or validation, no entity substitution, no huge-document relaxations, and
// no messages on the process's error streams.
constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

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

void onStartElement(void* ctx, const xmlChar* localname, const xmlChar* prefix, const xmlChar* uri,
                    int nbNamespaces, const xmlChar** namespaces, int nbAttributes, int nbDefaulted,
                    const xmlChar** attributes) {
  ParseGuard& guard = guardOf(ctx);
  if (++guard.depth > KVXmlAnswer::kMaxDepth) {
    refuse(ctx);
    return;
  }
  guard.start(ctx, localname, prefix, uri, nbNamespaces, namespaces, nbAttributes, nbDefaulted,
              attributes);
}

void onEndElement(void* ctx, const xmlChar* localname, const xmlChar* prefix, const xmlChar* uri) {
  ParseGuard& guard = guardOf(ctx);
  --guard.depth;
  guard.end(ctx, localname, prefix, uri);
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
  sax->startElementNs = &onStartElement;
  sax->endElementNs = &onEndElement;
  sax->internalSubset = &onDoctype;
  sax->externalSubset = &onDoctype;
  // Blanks are text like any other, even where a default says to drop them.
  sax->ignorableWhitespace = &xmlSAX2Characters;
  sax->serror = &ignoreError;
}

}  // namespace

KVXmlAnswer::KVXmlAnswer() = default;
KVXmlAnswer::~KVXmlAnswer() = default;

bool KVXmlAnswer::parse(const STRING& payload) {
  m_document.reset();
  if (payload.size() > static_cast<size_t>(std::numeric_limits<int>::max())) return false;
  xmlParserCtxtPtr ctxt =
      xmlCreateMemoryParserCtxt(payload.data(), static_cast<int>(payload.size()));
  if (ctxt == nullptr) return false;
  ParseGuard guard;
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
    wrapper = new (std::nothrow) xmlpp::Document(doc);  // owns doc from here on
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
