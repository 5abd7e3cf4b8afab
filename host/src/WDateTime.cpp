// Service date texts to and from seconds since the epoch. The calendar
// arithmetic is done here, so results never depend on the process's locale
// or TZ setting, and nothing static is shared between threads.
#include <W/WDateTime.h>

#include <cstdio>

namespace W {

namespace {

const std::int64_t kSecondsPerDay = 86400;

// Days since 1970-01-01 of a proleptic Gregorian date (month 1-12).
std::int64_t daysFromCivil(std::int64_t year, unsigned month, unsigned day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(year - era * 400);
  const unsigned doy = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

// Inverse of daysFromCivil.
void civilFromDays(std::int64_t days, std::int64_t& year, unsigned& month, unsigned& day) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(days - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = doy - (153 * mp + 2) / 5 + 1;
  month = mp < 10 ? mp + 3 : mp - 9;
  year = static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2 ? 1 : 0);
}

bool isLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

unsigned daysInMonth(int year, unsigned month) {
  static const unsigned kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

// A cursor over the text; every read checks bounds and fails softly.
class Scanner {
 public:
  explicit Scanner(const STRING& text) : m_text(text) {}

  bool atEnd() const { return m_pos == m_text.size(); }
  bool peek(char c) const { return !atEnd() && m_text[m_pos] == c; }
  bool peekDigit() const { return !atEnd() && isDigit(m_text[m_pos]); }

  // Consumes `c` when it is next.
  bool accept(char c) {
    if (!peek(c)) return false;
    ++m_pos;
    return true;
  }

  // Reads exactly `count` ASCII digits as a number.
  bool digits(int count, int& value) {
    if (m_text.size() - m_pos < static_cast<std::size_t>(count)) return false;
    int result = 0;
    for (int i = 0; i < count; ++i) {
      const char c = m_text[m_pos + i];
      if (!isDigit(c)) return false;
      result = result * 10 + (c - '0');
    }
    m_pos += count;
    value = result;
    return true;
  }

  void skipDigits() {
    while (peekDigit()) ++m_pos;
  }

  std::size_t remaining() const { return m_text.size() - m_pos; }

 private:
  static bool isDigit(char c) { return c >= '0' && c <= '9'; }

  const STRING& m_text;
  std::size_t m_pos = 0;
};

struct Fields {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  int offsetSeconds = 0;  // east of UTC
};

bool parseTime(Scanner& in, Fields& f) {
  return in.digits(2, f.hour) && in.accept(':') && in.digits(2, f.minute) && in.accept(':') &&
         in.digits(2, f.second);
}

// Optional ".fraction" (ignored) and zone: "Z", "+HH:MM", "-HH:MM", "+HHMM".
bool parseFractionAndZone(Scanner& in, Fields& f) {
  if (in.accept('.')) {
    if (!in.peekDigit()) return false;
    in.skipDigits();
  }
  if (in.accept('Z')) return true;
  int sign = 0;
  if (in.accept('+')) {
    sign = 1;
  } else if (in.accept('-')) {
    sign = -1;
  } else {
    return true;  // no zone: UTC
  }
  int hours = 0, minutes = 0;
  if (!in.digits(2, hours)) return false;
  in.accept(':');
  if (!in.digits(2, minutes)) return false;
  if (hours > 23 || minutes > 59) return false;
  f.offsetSeconds = sign * (hours * 3600 + minutes * 60);
  return true;
}

// "YYYYMMDDHHMMSS", nothing more.
bool parseCompact(Scanner& in, Fields& f) {
  return in.remaining() == 14 && in.digits(4, f.year) && in.digits(2, f.month) &&
         in.digits(2, f.day) && in.digits(2, f.hour) && in.digits(2, f.minute) &&
         in.digits(2, f.second);
}

// "YYYY-MM-DD", optionally followed by ' ' or 'T' and a time.
bool parseDashed(Scanner& in, Fields& f) {
  if (!(in.digits(4, f.year) && in.accept('-') && in.digits(2, f.month) && in.accept('-') &&
        in.digits(2, f.day))) {
    return false;
  }
  if (in.atEnd()) return true;
  if (!in.accept(' ') && !in.accept('T')) return false;
  return parseTime(in, f) && parseFractionAndZone(in, f);
}

bool inRange(Fields& f) {
  if (f.month < 1 || f.month > 12) return false;
  if (f.day < 1 || static_cast<unsigned>(f.day) > daysInMonth(f.year, f.month)) return false;
  if (f.hour > 23 || f.minute > 59 || f.second > 60) return false;
  if (f.second == 60) f.second = 59;  // a leap second: keep it inside its minute
  return true;
}

}  // namespace

WDateTime WDateTime::fromString(const STRING& text, int format, int timezone) {
  // Only the service format exists; every time zone value reads as UTC
  // unless the text carries its own offset.
  (void)format;
  (void)timezone;
  Fields f;
  bool parsed = false;
  if (text.size() == 14) {
    Scanner compact(text);
    parsed = parseCompact(compact, f);
  } else {
    Scanner dashed(text);
    parsed = parseDashed(dashed, f) && dashed.atEnd();
  }
  if (!parsed || !inRange(f)) return WDateTime();
  const std::int64_t days = daysFromCivil(f.year, f.month, f.day);
  return fromEpoch(days * kSecondsPerDay + f.hour * 3600 + f.minute * 60 + f.second -
                   f.offsetSeconds);
}

WDateTime WDateTime::fromEpoch(std::int64_t seconds) {
  WDateTime result;
  result.m_epoch = seconds;
  result.m_valid = true;
  return result;
}

STRING WDateTime::toString() const {
  if (!m_valid) return STRING();
  std::int64_t days = m_epoch / kSecondsPerDay;
  std::int64_t rest = m_epoch % kSecondsPerDay;
  if (rest < 0) {  // floor division for times before 1970
    rest += kSecondsPerDay;
    --days;
  }
  std::int64_t year = 0;
  unsigned month = 0, day = 0;
  civilFromDays(days, year, month, day);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%04lld-%02u-%02u %02d:%02d:%02d", static_cast<long long>(year),
                month, day, static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60),
                static_cast<int>(rest % 60));
  return STRING(buf);
}

}  // namespace W
