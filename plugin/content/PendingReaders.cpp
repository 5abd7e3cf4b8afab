// Placeholders until the person and detail readers land.
#include "frame/WKVOAI.h"

namespace W {

WMediaResource WKVOAI::userImage(const xmlpp::Node*) { return WMediaResource(); }
WMediaResource WKVOAI::getImage(const xmlpp::Node*, const STRING&, const STRING&) {
  return WMediaResource();
}
WPerson WKVOAI::getUser(const xmlpp::Node*) { return WPerson(); }
std::list<WPerson> WKVOAI::getUsers(const xmlpp::Node*, const STRING&) { return {}; }
std::list<WMediaResource> WKVOAI::getThumbnails(const xmlpp::Node*) { return {}; }
WSize WKVOAI::getPhotoResolution(const xmlpp::Node*) { return WSize(); }
WSize WKVOAI::getVideoResolution(const xmlpp::Node*) { return WSize(); }
void WKVOAI::getContentDetail(const xmlpp::Node*, WContent&) {}
int WKVOAI::parseEvent(const xmlpp::Node*, WEvent&) { return 0; }
int WKVOAI::parseMessage(const xmlpp::Node*, WMessage&) { return 0; }

}  // namespace W
