// Content records of the service's answers: feed items, gallery items,
// message-board and calendar entries, in the form the record's identifiers
// select. Used by feeds, galleries and the content operations.
#include <libxml++/libxml++.h>

#include "common/ServiceAnswer.h"

namespace W {

namespace {

STRING entry(const char* name, const xmlpp::Node* node) {
  return KVService::getEntryContent(name, node);
}

// The "comment" children of a content element.
std::list<WComment> readComments(WKVOAI& oai, const xmlpp::Node* node) {
  WContainer<WComment> comments;
  UINT32 count = 0;
  oai.parseComments(node, comments, count);
  return std::move(comments.data());
}

void readFeedForm(WKVOAI& oai, const xmlpp::Node* node, WContent& content) {
  STRING type = entry("contentType", node);
  if (type.empty()) type = entry("type", node);
  content.setType(type);
  content.setRegisterTime(entryDate("contentRegisterTime", node));
  content.setDescription(entry("contentDesc", node));
  content.setCommentCount(entryNumber("commentCount", node));
  kvxml::walkChildren(node, cancelRequested(oai), [&](kvxml::Child child) {
    if (child.is("contentDetail")) {
      oai.getContentDetail(child, content);
      if (content.getResourceURL().empty()) content.setResourceURL(entry("uploadUrl", node));
    } else if (child.is("contentCreator")) {
      content.setUser(oai.getUser(child));
    }
    return true;
  });
}

// The calendar events a gallery item links to; empty after a cancel.
std::list<WEvent> readLinkedEvents(WKVOAI& oai, const xmlpp::Node* eventLink) {
  std::list<WEvent> events;
  kvxml::walkChildren(eventLink, cancelRequested(oai), [&](kvxml::Child child) {
    if (!child.is("contentLink")) return true;
    WEvent event;
    event.setUID(entry("ID", child));
    if (event.getUID().empty()) return true;
    event.setCalendarUID(entry("calendarID", child));
    oai.parseEvent(child, event);
    events.push_back(std::move(event));
    return true;
  });
  if (oai.isCancelRequested()) events.clear();
  return events;
}

void readGalleryForm(WKVOAI& oai, const xmlpp::Node* node, WContent& content) {
  content.setSize(entry("size", node));
  content.setCreateDate(entryDate("contentCreateDate", node));
  content.setExt(entry("contentExt", node));
  content.setFormat(entry("format", node));
  WSize resolution = oai.getPhotoResolution(node);
  if (resolution.getWidth() == 0 && resolution.getHeight() == 0) {
    resolution = oai.getVideoResolution(node);
  }
  content.setResolution(resolution);
  content.setDuration(entry("contentDurationTime", node));
  content.setResourceURL(entry("contentUrl", node));
  const xmlpp::Node* thumbnail = kvxml::wrap(kvxml::firstChildElement(node, "thumbnail"));
  content.setThumbnails(thumbnail != nullptr ? oai.getThumbnails(thumbnail)
                                             : std::list<WMediaResource>());
  content.setDescription(entry("contentDesc", node));
  content.setRegisterDate(entryDate("contentRegisterDate", node));
  const std::list<WPerson> members = oai.getUsers(node, "contentRegisterMember");
  if (!members.empty()) content.setUser(members.front());
  content.setComments(readComments(oai, node));
  if (!entry("commentCount", node).empty()) {
    content.setCommentCount(entryNumber("commentCount", node));
  }
  if (const xmlpp::Node* eventLink = kvxml::wrap(kvxml::firstChildElement(node, "eventLink"))) {
    content.setEvents(readLinkedEvents(oai, eventLink));
  }
  content.setDownloader(&WKVOAI::fnContentDownloader, &oai);
}

void readMessageForm(WKVOAI& oai, const xmlpp::Node* node, WContent& content) {
  content.setSize(entry("size", node));
  content.setCreateDate(entryDate("contentCreateDate", node));
  WMessage message;
  oai.parseMessage(node, message);
  content.setMessages({message});
  content.setComments(readComments(oai, node));
}

void readCalendarForm(WKVOAI& oai, const xmlpp::Node* node, WContent& content) {
  WEvent event;
  oai.parseEvent(node, event);
  content.setEvents({event});
  content.setComments(readComments(oai, node));
}

}  // namespace

int WKVOAI::parseString(STRING payload, WContainer<WContent>& contents, UINT32& count) {
  return walkEnvelope(answerLimits(), payload, [&](const xmlpp::Node* data) -> WSTATUS {
    const WSTATUS read = parseContents(data, contents, count);
    if (isCancelRequested()) contents.data().clear();
    return read;
  });
}

int WKVOAI::parseContents(const xmlpp::Node* data, WContainer<WContent>& contents, UINT32& count) {
  if (data == nullptr) return WSTATUS_SUCCESS;
  if (kvxml::firstChild(data) != nullptr) count = 0;
  KVRecordCap cap(answerLimits().maxAnswerRecords);
  auto stop = stopWhenCutOrCancelled(*this, cap);
  bool dataRead = false;
  // Reads one item whose identifiers are set; an item without UID is
  // skipped, and none is read once the list is full.
  auto add = [&](const xmlpp::Node* element, WContent& content) {
    if (content.getUID().empty() || !cap.admits(contents.getData().size())) return;
    parseContent(element, content);
    contents.data().push_back(std::move(content));
    ++count;
  };
  kvxml::walkChildren(data, stop, [&](kvxml::Child child) {
    WContent content;
    if (child.is("content")) {
      content.setUID(entry("contentId", child));
      add(child, content);
    } else if (child.is("group")) {
      kvxml::walkChildren(child, stop, [&](kvxml::Child item) {
        if (!item.is("content")) return true;
        WContent listed;
        listed.setUID(entry("id", item));
        listed.setGalleryID(entry("galleryID", item));
        listed.setMsgBoardID(entry("messageBoardID", item));
        listed.setCalendarID(entry("calendarID", item));
        add(item, listed);
        return true;
      });
    } else if (child.is("contentId") && !dataRead) {
      // "data" describes one content itself. A further "contentId" would
      // read all of "data" again for the same content: passed over.
      dataRead = true;
      content.setUID(entry("contentId", data));
      add(data, content);
    }
    return true;
  });
  contents.setCount(static_cast<int>(count));
  if (isCancelRequested()) contents.data().clear();
  return cap.status();
}

int WKVOAI::parseContent(const xmlpp::Node* node, WContent& content) {
  if (node == nullptr) return WSTATUS_SUCCESS;
  content.setContentProvider(m_provider);
  if (!content.getGalleryID().empty()) {
    readGalleryForm(*this, node, content);
  } else if (!content.getMsgBoardID().empty()) {
    readMessageForm(*this, node, content);
  } else if (!content.getCalendarID().empty()) {
    readCalendarForm(*this, node, content);
  } else if (!content.getUID().empty()) {
    readFeedForm(*this, node, content);
  }
  return WSTATUS_SUCCESS;
}

}  // namespace W
