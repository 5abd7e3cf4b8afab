// Gallery records: the dated collections of a group's contents in a gallery
// list answer. Only the answer's first group is read.
#include <libxml++/libxml++.h>

#include "common/ServiceAnswer.h"
#include "service/KVLog.h"
#include "service/KVXmlAnswer.h"

namespace W {

WSTATUS WKVOAI::parseString(STRING payload, WContainer<WKVGallery>& galleries, UINT32& count) {
  return walkEnvelope(answerLimits(), payload, [&](const xmlpp::Node* data) -> WSTATUS {
    const WSTATUS read = parseGalleries(data, galleries, count);
    if (read < 0) {
      galleries.clear();
      return WSTATUS_FAILURE;  // logged where the gallery failed
    }
    if (isCancelRequested()) galleries.clear();
    return read;
  });
}

WSTATUS WKVOAI::parseGalleries(const xmlpp::Node* data, WContainer<WKVGallery>& galleries,
                               UINT32& count) {
  count = 0;
  WSTATUS status = WSTATUS_SUCCESS;
  KVRecordCap cap(answerLimits().maxAnswerRecords);
  const xmlpp::Node* group = kvxml::wrap(kvxml::firstChildElement(data, "group"));
  kvxml::walkChildren(group, stopWhenCutOrCancelled(*this, cap), [&](kvxml::Child child) {
    if (!child.is("gallery")) return true;
    WKVGallery gallery;
    gallery.setUID(KVService::getEntryContent("id", child));
    if (gallery.getUID().empty()) return true;
    if (!cap.admits(galleries.getData().size())) return false;
    status = parseGallery(child, gallery);
    if (status < 0) {
      galleries.clear();
      return false;
    }
    galleries.data().push_back(std::move(gallery));
    ++count;
    return true;
  });
  if (status < 0) return WSTATUS_FAILURE;
  galleries.setCount(static_cast<int>(count));
  if (isCancelRequested()) galleries.clear();
  return cap.status();
}

WSTATUS WKVOAI::parseGallery(const xmlpp::Node* node, WKVGallery& gallery) {
  gallery.setContentProvider(m_provider);
  gallery.setUID(KVService::getEntryContent("id", node));
  gallery.setDate(entryDate("galleryDate", node));
  gallery.setDescription(KVService::getEntryContent("galleryDescription", node));
  gallery.setRegisterDate(entryDate("galleryRegisterDate", node));
  std::list<WContent> contents;
  WSTATUS status = WSTATUS_SUCCESS;
  kvxml::walkChildren(node, cancelRequested(*this), [&](kvxml::Child child) {
    if (!child.is("content")) return true;
    WContent content;
    content.setUID(KVService::getEntryContent("id", child));
    if (content.getUID().empty()) return true;
    // The gallery's identifier is copied into each of its contents: counted
    // as text taken from the answer, so that a long one cannot multiply.
    if (KVXmlAnswer::takeText(child, gallery.getUID().size()))
      content.setGalleryID(gallery.getUID());
    if (parseContent(child, content) < 0) {
      contents.clear();
      status = KV_LOG_OAI(WSTATUS_FAILURE);
      return false;
    }
    contents.push_back(std::move(content));
    return true;
  });
  gallery.setContents(std::move(contents));
  return status;
}

}  // namespace W
