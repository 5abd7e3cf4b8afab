// DATE header checking and record date formatting.
#include "HttpDate.h"

#include <cstdio>
#include <cstring>
#include <sstream>
#include <vector>

namespace kvsim {

namespace {

const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// The index of `word` in `list`, or -1.
int indexIn(const std::string& word, const char* const* list, int size) {
  for (int i = 0; i < size; ++i) {
    if (word == list[i]) return i;
  }
  return -1;
}

// Reads a run of 1..max digits as a number within [low, high].
bool readNumber(const std::string& text, int low, int high, size_t maxDigits) {
  if (text.empty() || text.size() > maxDigits) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  int value = std::stoi(text);
  return value >= low && value <= high;
}

std::vector<std::string> splitOn(const std::string& text, char sep) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(text);
  while (std::getline(in, part, sep)) parts.push_back(part);
  if (!text.empty() && text.back() == sep) parts.push_back("");
  return parts;
}

}  // namespace

bool isValidDateHeader(const std::string& text) {
  std::vector<std::string> words = splitOn(text, ' ');
  // "Mon," "7" "Dec" "2026" "9:5:3" "GMT"
  if (words.size() != 6) return false;
  const std::string& day = words[0];
  const int weekday = day.size() == 4 && day[3] == ',' ? indexIn(day.substr(0, 3), kDays, 7) : -1;
  const int month = indexIn(words[2], kMonths, 12);
  if (weekday < 0 || month < 0 || !readNumber(words[1], 1, 31, 2)) return false;
  if (!readNumber(words[3], 1970, 9999, 4) || words[3].size() != 4) return false;
  // The names must be those of the date the numbers give, and the day one
  // that month has.
  std::tm tm{};
  const std::time_t midnight =
      utcTime(std::stoi(words[3]), month + 1, std::stoi(words[1]), 0, 0, 0);
  gmtime_r(&midnight, &tm);
  if (tm.tm_mon != month || tm.tm_wday != weekday) return false;
  std::vector<std::string> clock = splitOn(words[4], ':');
  if (clock.size() != 3) return false;
  if (!readNumber(clock[0], 0, 23, 2) || !readNumber(clock[1], 0, 59, 2) ||
      !readNumber(clock[2], 0, 60, 2)) {
    return false;
  }
  return words[5] == "GMT";
}

std::string formatDateHeader(std::time_t when) {
  std::tm tm{};
  gmtime_r(&when, &tm);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%s, %d %s %d %d:%d:%d GMT", kDays[tm.tm_wday], tm.tm_mday,
                kMonths[tm.tm_mon], tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec);
  return buffer;
}

std::string formatServiceDate(std::time_t when) {
  std::tm tm{};
  gmtime_r(&when, &tm);
  char buffer[32];
  std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &tm);
  return buffer;
}

std::time_t utcTime(int year, int month, int day, int hour, int minute, int second) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  return timegm(&tm);
}

}  // namespace kvsim
