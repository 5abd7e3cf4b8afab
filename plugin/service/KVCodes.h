// The transport's internal codes (GSTATUS): what HTTP codes and service
// result codes are reduced to before they become a WSTATUS. The host's
// SESSION_STATUS values share this space and keep their own names
// (W/HttpTypes.h); the names here cover the other codes the tables use.
#pragma once

#include <W/HttpTypes.h>

namespace W {

// The internal status code that HTTP and service codes are reduced to.
typedef unsigned int GSTATUS;

enum : GSTATUS {
  KV_CODE_OK = 0,
  KV_CODE_BAD_ARGUMENT = 1,  // service codes 100..109, 209, 210, 300
  KV_CODE_REFUSED = 21,      // service codes 200..202
  KV_CODE_DENIED_22 = 22,    // 22, 23, 26, 27, 28: access denied
  KV_CODE_DENIED_23 = 23,
  KV_CODE_CAPTCHA = 24,  // a captcha must be solved first
  KV_CODE_REFUSED_25 = 25,
  KV_CODE_DENIED_26 = 26,
  KV_CODE_DENIED_27 = 27,
  KV_CODE_DENIED_28 = 28,
  KV_CODE_SERVER_ERROR = 29,
  KV_CODE_NOT_LOGGED_IN = 30,
  KV_CODE_HTTP_SERVER_ERROR = 43,  // HTTP 500; the same value as SESSION_BROKEN
  KV_CODE_CONFLICT = 44,           // HTTP 409, 412
  KV_CODE_NOT_FOUND = 45,          // HTTP 404, 410
  KV_CODE_FILE_ERROR_LAST = 67,    // SESSION_FILE_ERROR .. this one: file errors
  KV_CODE_SERVICE_FAILED = 101,    // service codes 203..205, 208, 500..502
  KV_CODE_EXCEPTION_PENDING = 102,
  KV_CODE_HTTP_REFUSED = 141,       // HTTP 400, 403
  KV_CODE_HTTP_UNAUTHORIZED = 142,  // HTTP 401; service codes 206, 207
  KV_CODE_UNKNOWN = 255,            // any code no table lists
};

// The highest internal code the WSTATUS table lists; above it all are failures.
constexpr GSTATUS KV_CODE_TABLE_LAST = KV_CODE_HTTP_UNAUTHORIZED;

// Session statuses the transport gives a completion handler once more when
// the handler was cut short by an exception before its caller heard of it:
// the handler then reports only this failure. They lie above every host
// status and every internal code, so no transfer or table can mean them.
enum : SESSION_STATUS {
  KV_SESSION_OUT_OF_MEMORY = 0x100,  // std::bad_alloc: reported as WSTATUS_OUT_OF_MEMORY
  KV_SESSION_FAILED = 0x101,         // any other exception: WSTATUS_FAILURE
};

}  // namespace W
