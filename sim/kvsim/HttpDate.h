// Date texts on the wire: the plug-in's "DATE" header (no zero padding) and
// the "YYYY-MM-DD HH:MM:SS" UTC dates kvsim writes into its records.
#pragma once

#include <ctime>
#include <string>

namespace kvsim {

// True when `text` reads like "Mon, 7 Dec 2026 9:5:3 GMT": English short
// names of the weekday and month that the day, month and year name (a day
// the month has), numbers with or without leading zeros, and ranges that a
// clock can show.
bool isValidDateHeader(const std::string& text);

// Formats a time as the plug-in does for "DATE" (used by tests and examples).
std::string formatDateHeader(std::time_t when);

// Formats a time as "YYYY-MM-DD HH:MM:SS" in UTC.
std::string formatServiceDate(std::time_t when);

// The UTC time of a calendar date (seconds since the epoch).
std::time_t utcTime(int year, int month, int day, int hour, int minute, int second);

}  // namespace kvsim
