// Person records of the service's XML: the creator form (getUser) and the
// member form (getUsers) with their pictures. Pure readers over a parsed
// document; the group, content and comment parsers call them.
#include <W/WKVUser.h>

#include "common/ServiceAnswer.h"
#include "service/KVXmlAnswer.h"

namespace W {

namespace {

// The entry that holds a creator picture's URL; also that picture's UID.
const char* const kCreatorPicture = "userImageThumbnail_72X72";

}  // namespace

WMediaResource WKVOAI::userImage(const xmlpp::Node* node) {
  WMediaResource picture;
  if (node == nullptr) return picture;
  picture.setContentProvider(m_provider);
  picture.setResourceURL(KVService::getEntryContent(kCreatorPicture, node));
  if (picture.getResourceURL().empty()) return picture;
  picture.setUID(kCreatorPicture);
  picture.setDownloader(&WKVOAI::fnContentDownloader, this);
  return picture;
}

WMediaResource WKVOAI::getImage(const xmlpp::Node* node, const STRING& name, const STRING& uid) {
  WMediaResource picture;
  if (node == nullptr) return picture;
  picture.setContentProvider(m_provider);
  // The member's identifier once more: text taken from the answer as well.
  if (KVXmlAnswer::takeText(node, uid.size())) picture.setUID(uid);
  picture.setResourceURL(KVService::getEntryContent(name, node));
  if (!picture.getResourceURL().empty()) picture.setDownloader(&WKVOAI::fnContentDownloader, this);
  return picture;
}

WPerson WKVOAI::getUser(const xmlpp::Node* node) {
  WPerson person;
  if (node == nullptr) return person;
  person.setUID(KVService::getEntryContent("userId", node));
  person.setName(KVService::getEntryContent("userName", node));
  // Every picture found replaces the previous one: the last in document
  // order stays.
  kvxml::walkChildren(node, kvxml::NeverStop(), [&](kvxml::Child child) {
    if (child.is("thumbnail")) {
      person.setPhoto(userImage(child));
    } else if (child.is("userImage")) {
      kvxml::walkChildren(child, kvxml::NeverStop(), [&](kvxml::Child inner) {
        if (inner.is("thumbnail")) person.setPhoto(userImage(inner));
        return true;
      });
    }
    return true;
  });
  return person;
}

std::list<WPerson> WKVOAI::getUsers(const xmlpp::Node* node, const STRING& name) {
  std::list<WPerson> persons;
  if (node == nullptr) return persons;
  kvxml::walkChildren(node, cancelRequested(*this), [&](kvxml::Child child) {
    if (!child.is(name)) return;
    // A fresh record per member, so a status code never carries over to a
    // member without a userStatus element.
    WKVUser user;
    user.setUID(KVService::getEntryContent("id", child));
    user.setName(KVService::getEntryContent("userName", child));
    user.setPhoneNumber(KVService::getEntryContent("phoneNumber", child));
    user.setPhoto(getImage(child, "userImage", user.getUID()));
    user.setStatus(KVService::getEntryContent("userStatus", child));
    if (xmlNode* status = kvxml::firstChildElement(child, "userStatus")) {
      user.setStatusCode(KVService::getEntryContent("code", kvxml::wrap(status)));
    }
    STRING delFlag = KVService::getEntryContent("contentDelFlag", child);
    if (delFlag.empty()) delFlag = KVService::getEntryContent("commentDelFlag", child);
    user.setDelFlag(delFlag);
    user.setRegisterDate(
        WDateTime::fromString(KVService::getEntryContent("userRegisterDate", child), 0, 1));
    persons.push_back(std::move(user));
  });
  if (cancelledAfterWalk(*this)) persons.clear();
  return persons;
}

}  // namespace W
