// A dated collection of a group's contents.
#pragma once

#include <W/WContent.h>

#include <list>

namespace W {

class WKVGallery : public WResource {
 public:
  const STRING& getDescription() const { return m_description; }
  void setDescription(STRING v) { m_description = std::move(v); }
  const WDateTime& getDate() const { return m_date; }
  void setDate(const WDateTime& v) { m_date = v; }
  const WDateTime& getRegisterDate() const { return m_registerDate; }
  void setRegisterDate(const WDateTime& v) { m_registerDate = v; }
  const std::list<WContent>& getContents() const { return m_contents; }
  void setContents(std::list<WContent> v) { m_contents = std::move(v); }

 private:
  STRING m_description;
  WDateTime m_date, m_registerDate;
  std::list<WContent> m_contents;
};

}  // namespace W
