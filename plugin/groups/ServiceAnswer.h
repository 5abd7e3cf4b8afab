// Readers shared by the parsers of the service's list and record answers:
// the walk over the response envelope, and numbers and dates of entries.
#pragma once

#include <W/WDateTime.h>

#include <libxml++/nodes/element.h>

#include <functional>

#include "frame/WKVOAI.h"
#include "service/KVXmlNode.h"

namespace W {

// Parses `payload` as a response envelope and walks the root's children in
// document order: a "result" whose status word is "fail" ends the walk with
// WSTATUS_FAILURE (logged); every "data" child goes to `onData`, whose negative result
// ends the walk and is returned as it is. Returns 0 after a full walk, or
// WSTATUS_FAILURE (logged) for a document that is not an "rsp" envelope.
WSTATUS walkEnvelope(const STRING& payload,
                     const std::function<WSTATUS(const xmlpp::Node* data)>& onData);

// The entry `name` of `node` as a base-10 number: leading digits count,
// anything else (also an absent entry) reads as 0.
int entryNumber(const char* name, const xmlpp::Node* node);

// The entry `name` of `node` as a service date (format 0, time zone 1).
WDateTime entryDate(const char* name, const xmlpp::Node* node);

// The first child element of `node` named `name`, or null.
const xmlpp::Node* firstChildNamed(const xmlpp::Node* node, const STRING& name);

// Visits the child elements of `node` in document order (text and comment
// nodes are passed over), reading the provider's cancel flag before each
// one; a set flag, or `visit` returning false, stops the walk.
template <class Visit>
void walkChildren(const WKVOAI& oai, const xmlpp::Node* node, Visit visit) {
  kvxml::forEachChildElement(
      node, [&](kvxml::Child child) { return !oai.isCancelRequested() && visit(child); });
}

}  // namespace W
