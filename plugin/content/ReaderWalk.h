// The cancel-aware walk over an element's direct children that the list
// readers share: a cancel raised while a long answer is read stops the walk.
#pragma once

#include <libxml++/libxml++.h>

#include "frame/WKVOAI.h"
#include "service/KVXmlNode.h"

namespace W {
namespace readers {

// Calls `visit(child)` (a kvxml::Child) for each direct child element of `node` in document
// order, reading the provider's cancel flag (under its lock) before each
// child. Returns true when a raised flag stopped the walk.
template <class Visit>
bool walkChildren(const WKVOAI& oai, const xmlpp::Node* node, Visit visit) {
  for (xmlNode* child = kvxml::firstChild(node); child != nullptr; child = child->next) {
    if (oai.isCancelRequested()) return true;
    // Every reader here looks at elements only; text between them is passed over.
    if (kvxml::isElement(child)) visit(kvxml::Child(child));
  }
  return false;
}

// The read after a walk: true when the gathered records must be dropped.
// A walk stopped by a cancel reads the flag once more, so a cancel that was
// cleared in between (its command completed) keeps what was gathered; a
// finished walk still drops its records for a cancel that came during it.
inline bool cancelledAfterWalk(const WKVOAI& oai) {
  return oai.isCancelRequested();
}

// True when `node` is an element named exactly `name` (bytes).
inline bool isElementNamed(const xmlpp::Node* node, const STRING& name) {
  return kvxml::isElementNamed(node, name.c_str());
}
inline bool isElementNamed(const kvxml::Child& child, const STRING& name) {
  return child.is(name.c_str());
}

}  // namespace readers
}  // namespace W
