// A calendar event. The service part (type, author, register date) is
// stored here so that copies keep it; WKVEvent gives its accessors.
#pragma once

#include <W/WPerson.h>
#include <W/WWhen.h>

namespace W {

class WEvent : public WResource {
 public:
  const STRING& getTitle() const { return m_title; }
  void setTitle(const STRING& title) { m_title = title; }
  const STRING& getDescription() const { return m_description; }
  void setDescription(const STRING& text) { m_description = text; }
  const STRING& getCalendarUID() const { return m_calendarUID; }
  void setCalendarUID(const STRING& uid) { m_calendarUID = uid; }
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
