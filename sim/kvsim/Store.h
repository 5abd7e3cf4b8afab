// kvsim's in-memory state and the queries and changes the handlers make on
// it. One mutex guards everything; handlers run their whole read or change
// inside Store::with so that an answer reflects one consistent state.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "Model.h"

namespace kvsim {

// The state itself. Only reached through Store::with, under the store's lock.
class StoreData {
 public:
  std::map<std::string, Person> persons;
  std::map<std::string, Group> groups;
  std::map<std::string, Content> contents;
  std::map<std::string, Comment> comments;
  std::map<std::string, Media> media;  // by path, e.g. "/media/contents/c1001/photo.jpg"

  // Lookups; null when there is no such record.
  const Person* person(const std::string& uid) const;
  Group* group(const std::string& uid);
  Content* content(const std::string& uid);
  Comment* comment(const std::string& uid);

  bool isMember(const Group& group, const std::string& personUid) const;
  // Groups that the person belongs to, in creation order.
  std::vector<const Group*> groupsOf(const std::string& personUid) const;
  // Uploaded contents of a group, in creation order.
  std::vector<const Content*> contentsOf(const std::string& groupUid) const;
  // Comments of a content, oldest first.
  std::vector<const Comment*> commentsOf(const std::string& contentUid) const;

  // Adds a record with a fresh UID ("g", "c" or "m" and a number) and returns it.
  Group& addGroup(Group group);
  Content& addContent(Content content);
  Comment& addComment(Comment comment);
  void addMedia(const std::string& path, const std::string& mime, std::string bytes);

  // Removals cascade: a content takes its comments and media with it, a
  // group its contents and images.
  void removeComment(const std::string& uid);
  void removeContent(const std::string& uid);
  void removeGroup(const std::string& uid);

 private:
  long m_nextGroup = 1;
  long m_nextContent = 1001;
  long m_nextComment = 2001;
};

class Store {
 public:
  // Runs `f(StoreData&)` under the lock and returns its result. `f` must not
  // call back into the store.
  template <typename F>
  auto with(F&& f) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return f(m_data);
  }

 private:
  std::mutex m_mutex;  // guards m_data
  StoreData m_data;
};

}  // namespace kvsim
