// The Kinvale view of a message; adds no storage to WMessage.
#pragma once

#include <W/WMessage.h>

namespace W {

class WKVMessage : public WMessage {
 public:
  WKVMessage() = default;
  WKVMessage(const WMessage& message) : WMessage(message) {}  // NOLINT: lossless by design

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
