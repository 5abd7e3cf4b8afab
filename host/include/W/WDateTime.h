// A point in time, UTC, to the second.
#pragma once

#include <W/WTypes.h>

#include <cstdint>

namespace W {

class WDateTime {
 public:
  // Date formats and time zones that fromString() understands.
  enum DATEFORMAT { DATEFORMAT_SERVICE = 0 };
  enum TIMEZONE { TIMEZONE_LOCAL = 0, TIMEZONE_UTC = 1 };

  WDateTime() = default;  // invalid

  // Parses a service date. Format 0 accepts, as UTC:
  //   "YYYY-MM-DD HH:MM:SS"     (also "YYYY-MM-DD")
  //   "YYYY-MM-DDTHH:MM:SSZ"    (ISO 8601, "Z" or "+00:00"; fraction ignored)
  //   "YYYY-MM-DDTHH:MM:SS+09:00" (an explicit offset is applied; also "+0900")
  //   "YYYYMMDDHHMMSS"          (compact)
  // Time zone 1 is UTC; other values are treated as UTC as well. A leap
  // second (:60) reads as :59. An empty or malformed text, trailing
  // characters, or an impossible date give an invalid WDateTime.
  static WDateTime fromString(const STRING& text, int format, int timezone);
  static WDateTime fromEpoch(std::int64_t seconds);

  bool isValid() const { return m_valid; }
  // Seconds since 1970-01-01 00:00:00 UTC; 0 when invalid.
  std::int64_t toEpoch() const { return m_epoch; }
  // "YYYY-MM-DD HH:MM:SS", or empty when invalid.
  STRING toString() const;

  bool operator==(const WDateTime& o) const { return m_valid == o.m_valid && m_epoch == o.m_epoch; }
  bool operator!=(const WDateTime& o) const { return !(*this == o); }

 private:
  std::int64_t m_epoch = 0;
  bool m_valid = false;
};

}  // namespace W
