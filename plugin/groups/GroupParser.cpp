// Group records of the service's answers: the group list, the answers of
// group creation and deletion, group images and masters.
#include <libxml++/libxml++.h>

#include "common/ServiceAnswer.h"
#include "service/KVLog.h"

namespace W {

namespace {
const char* const kGroupThumbnail = "groupImageThumbnail_274X204";
}  // namespace

WSTATUS WKVOAI::parseString(STRING payload, WContainer<WGroup>& groups, UINT32& count) {
  return walkEnvelope(answerLimits(), payload, [&](const xmlpp::Node* data) -> WSTATUS {
    const WSTATUS read = parseGroups(data, groups, count);
    if (read < 0) {
      groups.clear();
      return WSTATUS_FAILURE;  // logged where the group failed
    }
    if (isCancelRequested()) groups.clear();
    return read;
  });
}

WSTATUS WKVOAI::parseGroups(const xmlpp::Node* data, WContainer<WGroup>& groups, UINT32& count) {
  count = 0;
  WSTATUS status = WSTATUS_SUCCESS;
  KVRecordCap cap(answerLimits().maxAnswerRecords);
  auto stop = stopWhenCutOrCancelled(*this, cap);
  bool namedGroupRead = false;
  // Reads one group element into the list; false ends the walk on failure
  // or once the list is full.
  auto addGroup = [&](const xmlpp::Node* element, WGroup& group) {
    if (!cap.admits(groups.getData().size())) return false;
    if (parseGroup(element, group, STRING()) < 0) {
      groups.clear();
      status = KV_LOG_OAI(WSTATUS_FAILURE);
      return false;
    }
    groups.data().push_back(std::move(group));
    ++count;
    return true;
  };
  kvxml::walkChildren(data, stop, [&](kvxml::Child child) {
    WGroup group;
    if (child.is("group")) return addGroup(child, group);
    if (child.is("user")) {
      kvxml::walkChildren(child, stop, [&](kvxml::Child member) {
        if (!member.is("group")) return true;
        WGroup owned;
        owned.setUID(KVService::getEntryContent("id", member));
        return owned.getUID().empty() || addGroup(member, owned);
      });
      return status == WSTATUS_SUCCESS;
    }
    if (child.is("groupId") && !namedGroupRead) {
      // An answer that names only the group (creation): not counted. A
      // further "groupId" names the same group again and is passed over:
      // each would search "data" anew and copy its entry.
      namedGroupRead = true;
      if (!cap.admits(groups.getData().size())) return false;
      group.setUID(KVService::getEntryContent("groupId", data));
      groups.data().push_back(std::move(group));
    }
    return true;
  });
  if (status < 0) return status;
  groups.setCount(static_cast<int>(count));
  if (isCancelRequested()) groups.clear();
  return cap.status();
}

WSTATUS WKVOAI::parseGroup(const xmlpp::Node* node, WGroup& group, const STRING& /*unused*/) {
  if (node == nullptr) return WSTATUS_SUCCESS;
  group.setContentProvider(m_provider);
  // A group listed under its member carries its identifier as "id"; keep
  // that one when the element has no "groupId" of its own.
  const STRING uid = KVService::getEntryContent("groupId", node);
  if (!uid.empty() || group.getUID().empty()) group.setUID(uid);
  group.setName(KVService::getEntryContent("groupName", node));
  group.setDescription(KVService::getEntryContent("groupDesc", node));
  kvxml::walkChildren(node, cancelRequested(*this), [&](kvxml::Child child) {
    if (child.is("groupImage")) getGroupImage(child, group);
    if (child.is("groupMaster")) group.setMaster(getUser(child));
    return true;
  });
  group.setTotalCount(entryNumber("totalContentCount", node));
  group.setPhotoCount(entryNumber("photoCount", node));
  group.setAudioCount(entryNumber("audioCount", node));
  group.setVideoCount(entryNumber("videoCount", node));
  group.setCommentCount(entryNumber("commentCount", node));
  return WSTATUS_SUCCESS;
}

void WKVOAI::getGroupImage(const xmlpp::Node* node, WGroup& group) {
  group.setImageUrl(KVService::getEntryContent("groupImageUrl", node));
  kvxml::walkChildren(node, cancelRequested(*this), [&](kvxml::Child child) {
    if (!child.is("thumbnail")) return true;
    WMediaResource image;
    image.setContentProvider(m_provider);
    image.setResourceURL(KVService::getEntryContent(kGroupThumbnail, child));
    if (!image.getResourceURL().empty()) {
      image.setUID(kGroupThumbnail);
      image.setDownloader(&WKVOAI::fnContentDownloader, this);
    }
    group.setImage(image);
    return true;
  });
}

}  // namespace W
