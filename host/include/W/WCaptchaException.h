// A captcha the service asks for; data() holds four texts (the challenge
// identifiers and the user's answer) that a resolution sends back.
#pragma once

#include <W/WException.h>

#include <array>

namespace W {

class WCaptchaException : public WException {
 public:
  WCaptchaException() : WException(EXCEPTION_CAPTCHA) {}
  std::array<STRING, 4>& data() { return m_data; }
  const std::array<STRING, 4>& data() const { return m_data; }

 private:
  std::array<STRING, 4> m_data;
};

}  // namespace W
