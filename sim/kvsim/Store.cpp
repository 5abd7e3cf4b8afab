// Record lookups, UID assignment and cascading removal.
#include "Store.h"

#include <algorithm>

namespace kvsim {

const char* const kThumbNames[3] = {"contentThumbnail_1920X1080", "contentThumbnail_540X405",
                                    "contentThumbnail_116X87"};

const Person* StoreData::person(const std::string& uid) const {
  auto it = persons.find(uid);
  return it == persons.end() ? nullptr : &it->second;
}

Group* StoreData::group(const std::string& uid) {
  auto it = groups.find(uid);
  return it == groups.end() ? nullptr : &it->second;
}

Content* StoreData::content(const std::string& uid) {
  auto it = contents.find(uid);
  return it == contents.end() ? nullptr : &it->second;
}

Comment* StoreData::comment(const std::string& uid) {
  auto it = comments.find(uid);
  return it == comments.end() ? nullptr : &it->second;
}

bool StoreData::isMember(const Group& group, const std::string& personUid) const {
  return std::find(group.members.begin(), group.members.end(), personUid) != group.members.end();
}

std::vector<const Group*> StoreData::groupsOf(const std::string& personUid) const {
  std::vector<const Group*> out;
  for (const auto& entry : groups) {
    if (isMember(entry.second, personUid)) out.push_back(&entry.second);
  }
  std::sort(out.begin(), out.end(), [](const Group* a, const Group* b) {
    return std::stol(a->uid.substr(1)) < std::stol(b->uid.substr(1));
  });
  return out;
}

std::vector<const Content*> StoreData::contentsOf(const std::string& groupUid) const {
  std::vector<const Content*> out;
  for (const auto& entry : contents) {
    if (entry.second.groupUid == groupUid && entry.second.uploaded) out.push_back(&entry.second);
  }
  std::sort(out.begin(), out.end(),
            [](const Content* a, const Content* b) { return a->number < b->number; });
  return out;
}

std::vector<const Comment*> StoreData::commentsOf(const std::string& contentUid) const {
  std::vector<const Comment*> out;
  for (const auto& entry : comments) {
    if (entry.second.contentUid == contentUid) out.push_back(&entry.second);
  }
  std::sort(out.begin(), out.end(),
            [](const Comment* a, const Comment* b) { return a->number < b->number; });
  return out;
}

Group& StoreData::addGroup(Group group) {
  group.uid = "g" + std::to_string(m_nextGroup++);
  std::string uid = group.uid;
  return groups[uid] = std::move(group);
}

Content& StoreData::addContent(Content content) {
  content.number = m_nextContent++;
  content.uid = "c" + std::to_string(content.number);
  std::string uid = content.uid;
  return contents[uid] = std::move(content);
}

Comment& StoreData::addComment(Comment comment) {
  comment.number = m_nextComment++;
  comment.uid = "m" + std::to_string(comment.number);
  std::string uid = comment.uid;
  return comments[uid] = std::move(comment);
}

void StoreData::addMedia(const std::string& path, const std::string& mime, std::string bytes) {
  media[path] = Media{mime, std::make_shared<const std::string>(std::move(bytes))};
}

void StoreData::removeComment(const std::string& uid) {
  comments.erase(uid);
}

void StoreData::removeContent(const std::string& uid) {
  auto it = contents.find(uid);
  if (it == contents.end()) return;
  for (auto c = comments.begin(); c != comments.end();) {
    c = c->second.contentUid == uid ? comments.erase(c) : std::next(c);
  }
  media.erase(it->second.mediaPath);
  for (const std::string& thumb : it->second.thumbPaths) media.erase(thumb);
  contents.erase(it);
}

void StoreData::removeGroup(const std::string& uid) {
  auto it = groups.find(uid);
  if (it == groups.end()) return;
  std::vector<std::string> doomed;
  for (const auto& entry : contents) {
    if (entry.second.groupUid == uid) doomed.push_back(entry.first);
  }
  for (const std::string& c : doomed) removeContent(c);
  media.erase(it->second.imagePath);
  media.erase(it->second.thumbPath);
  groups.erase(it);
}

}  // namespace kvsim
