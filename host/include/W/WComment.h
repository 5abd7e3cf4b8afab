// A comment on a content. The service part (size, author, register date) is
// stored here so that copies keep it; WKVComment gives its accessors.
#pragma once

#include <W/WPerson.h>

namespace W {

class WComment : public WResource {
 public:
  const STRING& getComment() const { return m_text; }
  void setComment(STRING text) { m_text = std::move(text); }

 protected:
  STRING m_text;
  STRING m_size;
  WPerson m_user;
  bool m_hasUser = false;
  WDateTime m_registerDate;
};

}  // namespace W
