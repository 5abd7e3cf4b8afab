// The Kinvale view of a person: status, status code, delete flag and register
// date. Adds no storage to WPerson, so it converts both ways without loss.
#pragma once

#include <W/WPerson.h>

namespace W {

class WKVUser : public WPerson {
 public:
  WKVUser() = default;
  WKVUser(const WPerson& person) : WPerson(person) {}  // NOLINT: lossless by design

  const STRING& getStatus() const { return m_status; }
  void setStatus(STRING status) { m_status = std::move(status); }
  // The status code; hasStatusCode() tells whether one was ever set.
  const STRING& getStatusCode() const { return m_statusCode; }
  bool hasStatusCode() const { return m_hasStatusCode; }
  void setStatusCode(const STRING& code) {
    m_statusCode = code;
    m_hasStatusCode = true;
  }
  const STRING& getDelFlag() const { return m_delFlag; }
  void setDelFlag(STRING flag) { m_delFlag = std::move(flag); }
  const WDateTime& getRegisterDate() const { return m_registerDate; }
  void setRegisterDate(const WDateTime& date) { m_registerDate = date; }
};

}  // namespace W
