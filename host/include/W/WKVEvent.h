// The Kinvale view of an event; adds no storage to WEvent.
#pragma once

#include <W/WEvent.h>

namespace W {

class WKVEvent : public WEvent {
 public:
  WKVEvent() = default;
  WKVEvent(const WEvent& event) : WEvent(event) {}  // NOLINT: lossless by design

  const STRING& getType() const { return m_type; }
  void setType(STRING type) { m_type = std::move(type); }
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
