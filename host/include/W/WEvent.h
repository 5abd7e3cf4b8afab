// A calendar event. The service part (type, author, register date) is
// stored here so that copies keep it; WKVEvent gives its accessors.
#pragma once

#include <W/WPerson.h>
#include <W/WWhen.h>

namespace W {

class WEvent : public WResource {
 public:
  const STRING& getTitle() const { return m_title; }
  void setTitle(STRING title) { m_title = std::move(title); }
  const STRING& getDescription() const { return m_description; }
  void setDescription(STRING text) { m_description = std::move(text); }
  const STRING& getCalendarUID() const { return m_calendarUID; }
  void setCalendarUID(STRING uid) { m_calendarUID = std::move(uid); }
  const WWhen& getWhen() const { return m_when; }
  bool hasWhen() const { return m_hasWhen; }
  void setWhen(const WWhen& when) {
    m_when = when;
    m_hasWhen = true;
  }

 protected:
  STRING m_title;
  STRING m_description;
  STRING m_calendarUID;
  WWhen m_when;
  bool m_hasWhen = false;
  STRING m_type;
  WPerson m_user;
  bool m_hasUser = false;
  WDateTime m_registerDate;
};

}  // namespace W
