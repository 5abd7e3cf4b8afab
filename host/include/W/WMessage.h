// A message-board entry. The service part (author, register date) is stored
// here so that copies keep it; WKVMessage gives its accessors.
#pragma once

#include <W/WPerson.h>

namespace W {

class WMessage : public WResource {
 public:
  const STRING& getText() const { return m_text; }
  void setText(STRING text) { m_text = std::move(text); }

 protected:
  STRING m_text;
  WPerson m_user;
  bool m_hasUser = false;
  WDateTime m_registerDate;
};

}  // namespace W
