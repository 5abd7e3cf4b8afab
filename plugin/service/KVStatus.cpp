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
      return KV_CODE_OK;
    case 400:
    case 403:
      return KV_CODE_HTTP_REFUSED_AS_NOT_FOUND;
    case 401:
      return KV_CODE_HTTP_UNAUTHORIZED;
    case 404:
    case 410:
      return KV_CODE_NOT_FOUND;
    case 409:
    case 412:
      return KV_CODE_CONFLICT;
    case 500:
      return KV_CODE_HTTP_SERVER_ERROR;
    default:
      return KV_CODE_UNKNOWN;
  }
}

GSTATUS KVService::getKVSTATUS(const STRING& code) {
  struct Row {
    const char* code;
    GSTATUS status;
  };
  static const Row kRows[] = {
      {"206", KV_CODE_HTTP_UNAUTHORIZED}, {"207", KV_CODE_HTTP_UNAUTHORIZED},
      {"100", KV_CODE_BAD_ARGUMENT},      {"101", KV_CODE_BAD_ARGUMENT},
      {"102", KV_CODE_BAD_ARGUMENT},      {"103", KV_CODE_BAD_ARGUMENT},
      {"104", KV_CODE_BAD_ARGUMENT},      {"105", KV_CODE_BAD_ARGUMENT},
      {"106", KV_CODE_BAD_ARGUMENT},      {"107", KV_CODE_BAD_ARGUMENT},
      {"108", KV_CODE_BAD_ARGUMENT},      {"109", KV_CODE_BAD_ARGUMENT},
      {"209", KV_CODE_BAD_ARGUMENT},      {"210", KV_CODE_BAD_ARGUMENT},
      {"300", KV_CODE_BAD_ARGUMENT},      {"203", KV_CODE_SERVICE_FAILED},
      {"204", KV_CODE_SERVICE_FAILED},    {"205", KV_CODE_SERVICE_FAILED},
      {"208", KV_CODE_SERVICE_FAILED},    {"500", KV_CODE_SERVICE_FAILED},
      {"501", KV_CODE_SERVICE_FAILED},    {"502", KV_CODE_SERVICE_FAILED},
      {"200", KV_CODE_REFUSED},           {"201", KV_CODE_REFUSED},
      {"202", KV_CODE_REFUSED},
  };
  for (const Row& row : kRows) {
    if (code == row.code) return row.status;
  }
  return KV_CODE_UNKNOWN;
}

namespace {

// Internal codes 1..KV_CODE_TABLE_LAST to WSTATUS; every code not listed is a
// failure.
typedef std::array<WSTATUS, KV_CODE_TABLE_LAST + 1> WlibTable;

constexpr WlibTable buildWlibTable() {
  WlibTable t{};
  for (WSTATUS& status : t) status = WSTATUS_FAILURE;
  t[KV_CODE_BAD_ARGUMENT] = WSTATUS_INVALID_ARGUMENT;
  t[KV_CODE_NOT_STARTED] = WSTATUS_REQUEST_FAILED;
  for (GSTATUS code : kRefusedCodes) t[code] = WSTATUS_SERVICE_REFUSED;
  for (GSTATUS code : kAccessDeniedCodes) t[code] = WSTATUS_ACCESS_DENIED;
  t[KV_CODE_CAPTCHA] = WSTATUS_CAPTCHA_REQUIRED;
  t[KV_CODE_SERVER_ERROR] = t[KV_CODE_HTTP_SERVER_ERROR] = WSTATUS_SERVER_ERROR;
  t[KV_CODE_NOT_LOGGED_IN] = t[KV_CODE_HTTP_UNAUTHORIZED] = WSTATUS_NOT_LOGGED_IN;
  t[KV_CODE_CONNECT_FAILED] = WSTATUS_CONNECT_FAILED;
  t[KV_CODE_TIMED_OUT] = WSTATUS_TIMEOUT;
  t[KV_CODE_CONFLICT] = WSTATUS_CONFLICT;
  // A request refused outright (HTTP 400, 403) is reported like 404 and 410:
  // the service refuses a request for a record that does not exist or that
  // this user may not have, and to the caller either is a record it cannot
  // reach. (The account flows read a 403's own service code first.)
  t[KV_CODE_NOT_FOUND] = t[KV_CODE_HTTP_REFUSED_AS_NOT_FOUND] = WSTATUS_NOT_FOUND;
  for (GSTATUS i = KV_CODE_FILE_ERROR_FIRST; i <= KV_CODE_FILE_ERROR_LAST; ++i) {
    t[i] = WSTATUS_FILE_ERROR;
  }
  t[KV_CODE_CANCELLED] = WSTATUS_CANCELLED;
  t[KV_CODE_EXCEPTION_PENDING] = WSTATUS_EXCEPTION_PENDING;
  return t;
}

constexpr WlibTable kWlibTable = buildWlibTable();

// The one session status without a row of its own.
static_assert(kWlibTable[SESSION_TOO_LARGE] == WSTATUS_FAILURE, "an oversized answer is a failure");

}  // namespace

WSTATUS KVService::getWlibSTATUS(GSTATUS code) {
  if (code == KV_CODE_OK) return WSTATUS_SUCCESS;
  if (code > KV_CODE_TABLE_LAST) return WSTATUS_FAILURE;
  return kWlibTable[code];
}

WSTATUS KVService::getSessionWSTATUS(SESSION_STATUS status) {
  if (status == KV_SESSION_OUT_OF_MEMORY) return WSTATUS_OUT_OF_MEMORY;
  return getWlibSTATUS(status);
}

}  // namespace W
