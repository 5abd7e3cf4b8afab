// Content detail records of the service's XML: thumbnails, resolutions, the
// contentDetail element, events and messages. Pure readers over a parsed
// document; the content parsers call them.
#include <W/WKVEvent.h>
#include <W/WKVMessage.h>

#include <cstring>

#include "common/ServiceAnswer.h"

namespace W {

namespace {

// The service names each thumbnail by its pixel size; the name is its UID.
const char* const kThumbnailNames[] = {
    "contentThumbnail_1920X1080",
    "contentThumbnail_540X405",
    "contentThumbnail_116X87",
};

bool isThumbnailName(const char* name) {
  for (const char* known : kThumbnailNames) {
    if (std::strcmp(name, known) == 0) return true;
  }
  return false;
}

// Both texts must be present; trailing text after the digits is ignored.
WSize readResolution(const xmlpp::Node* node, const char* widthName, const char* heightName) {
  STRING width;
  STRING height;
  if (node != nullptr) {
    width = KVService::getEntryContent(widthName, node);
    height = KVService::getEntryContent(heightName, node);
  }
  if (width.empty() || height.empty()) return WSize();
  return WSize(decimalNumber(width.c_str()), decimalNumber(height.c_str()));
}

WDateTime readDate(const char* name, const xmlpp::Node* node) {
  return WDateTime::fromString(KVService::getEntryContent(name, node), 0, 1);
}

}  // namespace

std::list<WMediaResource> WKVOAI::getThumbnails(const xmlpp::Node* node) {
  std::list<WMediaResource> thumbnails;
  if (node == nullptr) return thumbnails;
  kvxml::walkChildren(node, cancelRequested(*this), [&](kvxml::Child child) {
    const char* name = child.name();
    if (!isThumbnailName(name)) return;
    WMediaResource thumbnail;
    thumbnail.setContentProvider(m_provider);
    // Looked up on the thumbnail element: a repeated size reads the first.
    thumbnail.setResourceURL(KVService::getEntryContent(name, node));
    thumbnail.setUID(name);
    thumbnail.setDownloader(&WKVOAI::fnContentDownloader, this);
    thumbnails.push_back(std::move(thumbnail));
  });
  if (cancelledAfterWalk(*this)) thumbnails.clear();
  return thumbnails;
}

WSize WKVOAI::getPhotoResolution(const xmlpp::Node* node) {
  return readResolution(node, "width", "height");
}

WSize WKVOAI::getVideoResolution(const xmlpp::Node* node) {
  return readResolution(node, "contentResolutionX", "contentResolutionY");
}

void WKVOAI::getContentDetail(const xmlpp::Node* node, WContent& content) {
  if (node == nullptr) return;
  content.setResourceURL(KVService::getEntryContent("contentUrl", node));
  kvxml::walkChildren(node, cancelRequested(*this), [&](kvxml::Child child) {
    if (child.is("thumbnail")) content.setThumbnails(getThumbnails(child));
  });
  content.setSize(KVService::getEntryContent("size", node));
  content.setFormat(KVService::getEntryContent("format", node));
  content.setResolution(getPhotoResolution(node));
  content.setCreateTime(readDate("createTime", node));
}

int WKVOAI::parseEvent(const xmlpp::Node* node, WEvent& event) {
  if (node == nullptr) return WSTATUS_SUCCESS;
  WKVEvent kvEvent(event);
  kvEvent.setContentProvider(m_provider);
  kvEvent.setTitle(KVService::getEntryContent("eventTitle", node));
  kvEvent.setType(KVService::getEntryContent("eventType", node));
  kvEvent.setWhen(WWhen(readDate("eventStartDate", node), readDate("eventEndDate", node)));
  kvEvent.setDescription(KVService::getEntryContent("eventDescription", node));
  kvEvent.setRegisterDate(readDate("eventRegisterDate", node));
  std::list<WPerson> members = getUsers(node, "eventRegisterMember");
  if (!members.empty()) kvEvent.setUser(members.front());
  event = kvEvent;
  return WSTATUS_SUCCESS;
}

int WKVOAI::parseMessage(const xmlpp::Node* node, WMessage& message) {
  if (node == nullptr) return WSTATUS_SUCCESS;
  WKVMessage kvMessage(message);
  kvMessage.setContentProvider(m_provider);
  kvMessage.setText(KVService::getEntryContent("messageText", node));
  kvMessage.setRegisterDate(readDate("messageRegisterDate", node));
  std::list<WPerson> members = getUsers(node, "messageRegisterMember");
  if (!members.empty()) kvMessage.setUser(members.front());
  message = kvMessage;
  return WSTATUS_SUCCESS;
}

}  // namespace W
