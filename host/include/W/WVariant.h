// A configuration value; the host stores options as text.
#pragma once

#include <W/WTypes.h>

namespace W {

class WVariant {
 public:
  WVariant() = default;
  explicit WVariant(const STRING& text) : m_text(text), m_null(false) {}

  // The value as text; empty for a null variant.
  STRING toString() const { return m_text; }
  // True for a missing option.
  bool isNull() const { return m_null; }

 private:
  STRING m_text;
  bool m_null = true;
};

}  // namespace W
