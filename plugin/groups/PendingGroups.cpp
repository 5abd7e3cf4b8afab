// Placeholders until the group, feed and gallery operations land.
#include "frame/WKVOAI.h"
#include "groups/GroupCommands.h"

namespace W {

WSTATUS WKVOAI::retrieveGroupList(const WPerson&, KVGroupListCallback, UINT32, UINT32,
                                  KV_OPTION_SORT, KV_OPTION_INCLUDE, VOID*) {
  return -15;
}
WSTATUS WKVOAI::createGroup(const WGroup&, const WPerson&, KVGroupCallback, VOID*) { return -15; }
WSTATUS WKVOAI::deleteGroup(const WGroup&, KVGroupCallback, VOID*) { return -15; }
WSTATUS WKVOAI::retrieveGroupFeeds(const WGroup&, const STRING&, const STRING&, UINT32,
                                   KV_SEARCH_BASE, KV_OPTION_ITEM, KV_OPTION_INCLUDE,
                                   KVContentListCallback, VOID*) {
  return -15;
}
void WKVOAI::cbGroupListRetrievalDone(SESSION_STATUS, const HttpResponse&, GroupListRetrievalCMD* c) {
  cleanupCMD(c);
}
void WKVOAI::cbGroupCreationDone(SESSION_STATUS, const HttpResponse&, GroupCreationCMD* c) {
  cleanupCMD(c);
}
void WKVOAI::cbGroupDeletionDone(SESSION_STATUS, const HttpResponse&, GroupDeletionCMD* c) {
  cleanupCMD(c);
}
void WKVOAI::cbGroupFeedsRetrievalDone(SESSION_STATUS, const HttpResponse&,
                                       GroupFeedsRetrievalCMD* c) {
  cleanupCMD(c);
}
void WKVOAI::cbGroupGalleryRetrievalDone(SESSION_STATUS, const HttpResponse&,
                                         GroupGalleryRetrievalCMD* c) {
  cleanupCMD(c);
}
WSTATUS WKVOAI::parseString(STRING, WContainer<WGroup>&, UINT32&) { return -16; }
WSTATUS WKVOAI::parseGroups(const xmlpp::Node*, WContainer<WGroup>&, UINT32&) { return -16; }
WSTATUS WKVOAI::parseGroup(const xmlpp::Node*, WGroup&, const STRING&) { return -16; }
void WKVOAI::getGroupImage(const xmlpp::Node*, WGroup&) {}
WSTATUS WKVOAI::parseString(STRING, WContainer<WKVGallery>&, UINT32&) { return -16; }
WSTATUS WKVOAI::parseGalleries(const xmlpp::Node*, WContainer<WKVGallery>&, UINT32&) { return -16; }
WSTATUS WKVOAI::parseGallery(const xmlpp::Node*, WKVGallery&) { return -16; }

}  // namespace W
