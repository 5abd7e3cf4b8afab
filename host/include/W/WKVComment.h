// The Kinvale view of a comment; adds no storage to WComment.
#pragma once

#include <W/WComment.h>

namespace W {

class WKVComment : public WComment {
 public:
  WKVComment() = default;
  WKVComment(const WComment& comment) : WComment(comment) {}  // NOLINT: lossless by design

  const STRING& getSize() const { return m_size; }
  void setSize(STRING size) { m_size = std::move(size); }
  const WPerson& getUser() const { return m_user; }
  bool hasUser() const { return m_hasUser; }
  void setUser(const WPerson& user) {
    m_user = user;
    m_hasUser = true;
  }
  const WDateTime& getRegisterDate() const { return m_registerDate; }
  void setRegisterDate(const WDateTime& date) { m_registerDate = date; }
};

}  // namespace W
