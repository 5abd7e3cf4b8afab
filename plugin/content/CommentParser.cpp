// Comment records of the service's answers: comment lists and the comments
// carried inside content elements.
#include <W/WKVComment.h>

#include <libxml++/libxml++.h>

#include "common/ServiceAnswer.h"

namespace W {

int WKVOAI::parseString(STRING payload, WContainer<WComment>& comments, UINT32& count) {
  return walkEnvelope(payload, [&](const xmlpp::Node* data) -> WSTATUS {
    parseComments(data, comments, count);
    return 0;
  });
}

int WKVOAI::parseComments(const xmlpp::Node* data, WContainer<WComment>& comments, UINT32& count) {
  kvxml::walkChildren(data, cancelRequested(*this), [&](kvxml::Child child) {
    if (!child.is("comment")) return true;
    WComment comment;
    comment.setUID(KVService::getEntryContent("commentId", child));
    if (comment.getUID().empty()) return true;
    parseComment(child, comment);
    comments.data().push_back(std::move(comment));
    ++count;
    return true;
  });
  if (isCancelRequested()) comments.data().clear();
  return 0;
}

int WKVOAI::parseComment(const xmlpp::Node* node, WComment& comment) {
  if (node == nullptr) return 0;
  WKVComment record(comment);
  record.setContentProvider(m_provider);
  record.setSize(KVService::getEntryContent("commentSize", node));
  record.setComment(KVService::getEntryContent("commentText", node));
  record.setRegisterDate(entryDate("commentRegisterDate", node));
  kvxml::walkChildren(node, cancelRequested(*this), [&](kvxml::Child child) {
    if (child.is("commentCreator")) record.setUser(getUser(child));
    return true;
  });
  comment = record;
  return 0;
}

}  // namespace W
