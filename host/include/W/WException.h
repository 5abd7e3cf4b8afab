// A service exception that the user must resolve (for Kinvale: a captcha).
#pragma once

#include <W/WContentProvider.h>

namespace W {

enum ExceptionType_enum { EXCEPTION_NONE = 0, EXCEPTION_CAPTCHA = 1 };

class WException {
 public:
  explicit WException(ExceptionType_enum type = EXCEPTION_NONE) : m_type(type) {}
  virtual ~WException() = default;

  ExceptionType_enum getExceptionType() const { return m_type; }
  const WContentProvider& getContentProvider() const { return m_provider; }
  void setContentProvider(WContentProvider provider) { m_provider = std::move(provider); }

 private:
  ExceptionType_enum m_type;
  WContentProvider m_provider;
};

}  // namespace W
