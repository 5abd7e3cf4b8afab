// The three status tables: HTTP code and service code to the internal code,
// and the internal code to WSTATUS.
#include <array>

#include "service/KVService.h"

namespace W {

GSTATUS KVService::getKVSTATUS(int httpCode) {
  switch (httpCode) {
    case 200:
    case 201:
    case 304:
      return 0;
    case 400:
    case 403:
      return 141;
    case 401:
      return 142;
    case 404:
    case 410:
      return 45;
    case 409:
    case 412:
      return 44;
    case 500:
      return 43;
    default:
      return 255;
  }
}

GSTATUS KVService::getKVSTATUS(const STRING& code) {
  struct Row {
    const char* code;
    GSTATUS status;
  };
  static const Row kRows[] = {
      {"206", 142}, {"207", 142},
      {"100", 1},   {"101", 1},   {"102", 1},   {"103", 1},   {"104", 1},   {"105", 1},
      {"106", 1},   {"107", 1},   {"108", 1},   {"109", 1},   {"209", 1},   {"210", 1},
      {"300", 1},
      {"203", 101}, {"204", 101}, {"205", 101}, {"208", 101}, {"500", 101}, {"501", 101},
      {"502", 101},
      {"200", 21},  {"201", 21},  {"202", 21},
  };
  for (const Row& row : kRows) {
    if (code == row.code) return row.status;
  }
  return 255;
}

namespace {

// Internal codes 1..142 to WSTATUS; every code not listed is -16.
std::array<WSTATUS, 143> buildWlibTable() {
  std::array<WSTATUS, 143> t{};
  t.fill(-16);
  t[1] = -1;
  t[5] = -3;
  t[21] = t[25] = -200;
  t[22] = t[23] = t[26] = t[27] = t[28] = -13;
  t[24] = -500;
  t[29] = t[43] = -107;
  t[30] = t[142] = -202;
  t[41] = -100;
  t[42] = -105;
  t[44] = -203;
  t[45] = t[141] = -205;
  for (int i = 61; i <= 67; ++i) t[i] = -5;
  t[81] = -108;
  t[102] = -9;
  return t;
}

}  // namespace

WSTATUS KVService::getWlibSTATUS(GSTATUS code) {
  static const std::array<WSTATUS, 143> kTable = buildWlibTable();
  if (code == 0) return 0;
  if (code > 142) return -16;
  return kTable[code];
}

}  // namespace W
