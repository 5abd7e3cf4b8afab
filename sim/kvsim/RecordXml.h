// The record elements of kvsim's answers: groups, persons, contents in their
// feed, gallery, message and calendar forms, and comments. All functions read
// the store's data and must run under the store's lock.
#pragma once

#include <string>
#include <vector>

#include "Store.h"
#include "XmlWriter.h"

namespace kvsim {

// Writes one "group" element with image, master and counts.
void writeGroup(XmlWriter& w, const StoreData& d, const Group& g, const std::string& base);

// Writes a content's feed-form entries (contentId, contentType, contentDetail,
// contentCreator, ...) without a wrapping element; the caller wraps them in
// "content", or writes them straight into "data" for a single content.
void writeContentEntries(XmlWriter& w, const StoreData& d, const Content& c,
                         const std::string& base);

// Writes the items of a feed in order: feed-form items as "content" elements,
// and each run of gallery, message and calendar items inside one "group"
// element, so the document order is the item order.
void writeFeedItems(XmlWriter& w, const StoreData& d, const std::vector<const Content*>& items,
                    const std::string& base);

// Writes one "comment" element.
void writeComment(XmlWriter& w, const StoreData& d, const Comment& c, const std::string& base);

}  // namespace kvsim
