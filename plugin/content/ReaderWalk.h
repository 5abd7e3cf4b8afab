// The cancel-aware walk over an element's direct children that the list
// readers share: a cancel raised while a long answer is read stops the walk.
#pragma once

#include <libxml++/libxml++.h>

#include "frame/WKVOAI.h"

namespace W {
namespace readers {

// Calls `visit(child)` for each direct child of `node` in document order,
// reading the provider's cancel flag (under its lock) before each one.
// Returns true when a raised flag stopped the walk.
template <class Visit>
bool walkChildren(const WKVOAI& oai, const xmlpp::Node* node, Visit visit) {
  for (const xmlpp::Node* child : node->get_children()) {
    if (oai.isCancelRequested()) return true;
    visit(child);
  }
  return false;
}

// The read after a walk: true when the gathered records must be dropped.
// A walk stopped by a cancel reads the flag once more, so a cancel that was
// cleared in between (its command completed) keeps what was gathered; a
// finished walk still drops its records for a cancel that came during it.
inline bool cancelledAfterWalk(const WKVOAI& oai) { return oai.isCancelRequested(); }

// True when `node` is an element named exactly `name` (bytes and length).
inline bool isElementNamed(const xmlpp::Node* node, const STRING& name) {
  return dynamic_cast<const xmlpp::Element*>(node) != nullptr && node->get_name().raw() == name;
}

}  // namespace readers
}  // namespace W
