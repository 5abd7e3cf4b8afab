// Comment records of the service's answers: comment lists and the comments
// carried inside content elements.
#include <W/WKVComment.h>

#include <libxml++/libxml++.h>

#include "common/ServiceAnswer.h"

namespace W {

WSTATUS WKVOAI::parseString(STRING payload, WContainer<WComment>& comments, UINT32& count) {
  const KVLimits limits = answerLimits();
  return walkEnvelope(limits, payload, [&](const xmlpp::Node* data) -> WSTATUS {
    KVRecordCap cap(limits.maxAnswerRecords);
    return parseComments(data, comments, count, cap);
  });
}

WSTATUS WKVOAI::parseComments(const xmlpp::Node* data, WContainer<WComment>& comments,
                              UINT32& count) {
  // The comments of one content: as many as the answer's elements allow.
  KVRecordCap unlimited(0);
  return parseComments(data, comments, count, unlimited);
}

WSTATUS WKVOAI::parseComments(const xmlpp::Node* data, WContainer<WComment>& comments,
                              UINT32& count, KVRecordCap& cap) {
  kvxml::walkChildren(data, stopWhenCutOrCancelled(*this, cap), [&](kvxml::Child child) {
    if (!child.is("comment")) return true;
    WComment comment;
    comment.setUID(KVService::getEntryContent("commentId", child));
    if (comment.getUID().empty()) return true;
    if (!cap.admits(comments.getData().size())) return false;
    parseComment(child, comment);
    comments.data().push_back(std::move(comment));
    ++count;
    return true;
  });
  if (isCancelRequested()) comments.data().clear();
  return cap.status();
}

WSTATUS WKVOAI::parseComment(const xmlpp::Node* node, WComment& comment) {
  if (node == nullptr) return WSTATUS_SUCCESS;
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
  return WSTATUS_SUCCESS;
}

}  // namespace W
