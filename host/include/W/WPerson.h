// A person (family member). The service-specific part (status, status code,
// delete flag, register date) is stored here too, so that copying a person
// into a list never loses it; WKVUser gives the service-side accessors.
#pragma once

#include <W/WDateTime.h>
#include <W/WMediaResource.h>

namespace W {

class WPerson : public WResource {
 public:
  const STRING& getName() const { return m_name; }
  void setName(STRING name) { m_name = std::move(name); }
  const STRING& getPhoneNumber() const { return m_phone; }
  void setPhoneNumber(STRING phone) { m_phone = std::move(phone); }
  const WMediaResource& getPhoto() const { return m_photo; }
  void setPhoto(WMediaResource photo) { m_photo = std::move(photo); }

 protected:
  STRING m_name;
  STRING m_phone;
  WMediaResource m_photo;
  // Service part, reached through WKVUser.
  STRING m_status;
  STRING m_statusCode;
  bool m_hasStatusCode = false;
  STRING m_delFlag;
  WDateTime m_registerDate;
};

}  // namespace W
