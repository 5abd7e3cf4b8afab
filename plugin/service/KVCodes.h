// The transport's internal codes (GSTATUS): what HTTP codes and service
// result codes are reduced to before they become a WSTATUS. The host's
// SESSION_STATUS values live in the same space on purpose: one WSTATUS table
// converts a reduced code and a failed transfer alike. So every code the
// table reads has a name here, and each that a session status shares is
// pinned to it below.
#pragma once

#include <W/HttpTypes.h>

namespace W {

// The internal status code that HTTP and service codes are reduced to.
typedef unsigned int GSTATUS;

enum : GSTATUS {
  KV_CODE_OK = 0,                  // HTTP 200, 201, 304; also SESSION_OK
  KV_CODE_BAD_ARGUMENT = 1,        // service codes 100..109, 209, 210, 300
  KV_CODE_NOT_STARTED = 5,         // SESSION_NOT_STARTED
  KV_CODE_REFUSED = 21,            // service codes 200..202
  KV_CODE_CAPTCHA = 24,            // a captcha must be solved first
  KV_CODE_SERVER_ERROR = 29,       // the service failed
  KV_CODE_NOT_LOGGED_IN = 30,      // the session is not logged in
  KV_CODE_CONNECT_FAILED = 41,     // SESSION_CONNECT_FAILED
  KV_CODE_TIMED_OUT = 42,          // SESSION_TIMED_OUT
  KV_CODE_HTTP_SERVER_ERROR = 43,  // HTTP 500; also SESSION_BROKEN
  KV_CODE_CONFLICT = 44,           // HTTP 409, 412
  KV_CODE_NOT_FOUND = 45,          // HTTP 404, 410
  KV_CODE_FILE_ERROR_FIRST = 61,   // SESSION_FILE_ERROR; 61..67 are file errors
  KV_CODE_FILE_ERROR_LAST = 67,
  KV_CODE_CANCELLED = 81,                   // SESSION_CANCELLED
  KV_CODE_SERVICE_FAILED = 101,             // service codes 203..205, 208, 500..502
  KV_CODE_EXCEPTION_PENDING = 102,          // a service exception waits to be resolved
  KV_CODE_HTTP_REFUSED_AS_NOT_FOUND = 141,  // HTTP 400, 403 (why: KVStatus.cpp)
  KV_CODE_HTTP_UNAUTHORIZED = 142,          // HTTP 401; service codes 206, 207
  KV_CODE_UNKNOWN = 255,                    // any code no table lists
};

// One meaning under several numbers, none of which means more: the WSTATUS
// table maps every number of a list alike.
// WSTATUS_ACCESS_DENIED: 22, 23, 26, 27, 28.
constexpr GSTATUS kAccessDeniedCodes[] = {22, 23, 26, 27, 28};
// WSTATUS_SERVICE_REFUSED: KV_CODE_REFUSED (21) and 25.
constexpr GSTATUS kRefusedCodes[] = {KV_CODE_REFUSED, 25};

// The highest internal code the WSTATUS table lists; above it all are failures.
constexpr GSTATUS KV_CODE_TABLE_LAST = KV_CODE_HTTP_UNAUTHORIZED;

// A session status is looked up in the same table: each one the table lists
// must keep the number of its internal code. (SESSION_TOO_LARGE has no row:
// a failure, like every code the table does not list; KVStatus.cpp checks it.)
constexpr bool sharesCode(SESSION_STATUS session, GSTATUS code) {
  return session == code;
}
static_assert(sharesCode(SESSION_OK, KV_CODE_OK), "a finished transfer is success");
static_assert(sharesCode(SESSION_NOT_STARTED, KV_CODE_NOT_STARTED), "SESSION_NOT_STARTED moved");
static_assert(sharesCode(SESSION_CONNECT_FAILED, KV_CODE_CONNECT_FAILED),
              "SESSION_CONNECT_FAILED moved");
static_assert(sharesCode(SESSION_TIMED_OUT, KV_CODE_TIMED_OUT), "SESSION_TIMED_OUT moved");
static_assert(sharesCode(SESSION_BROKEN, KV_CODE_HTTP_SERVER_ERROR), "SESSION_BROKEN moved");
static_assert(sharesCode(SESSION_FILE_ERROR, KV_CODE_FILE_ERROR_FIRST), "SESSION_FILE_ERROR moved");
static_assert(sharesCode(SESSION_CANCELLED, KV_CODE_CANCELLED), "SESSION_CANCELLED moved");

// Session statuses the transport gives a completion handler once more when
// the handler was cut short by an exception before its caller heard of it:
// the handler then reports only this failure. They lie above every host
// status and every internal code, so no transfer or table can mean them.
enum : SESSION_STATUS {
  KV_SESSION_OUT_OF_MEMORY = 0x100,  // std::bad_alloc: reported as WSTATUS_OUT_OF_MEMORY
  KV_SESSION_FAILED = 0x101,         // any other exception: WSTATUS_FAILURE
};

}  // namespace W
