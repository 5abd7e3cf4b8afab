// Scalar types of the host HTTP layer.
#pragma once

namespace W {

class HttpRequest;

// 0 = GET, 1 = POST.
enum HTTP_REQUEST_TYPE { HTTP_GET = 0, HTTP_POST = 1 };

// Plain HTTP status number of a finished transfer (0 when none arrived).
typedef int HTTP_RESPONSE_CODE;

// Outcome of a transfer, passed to completions and returned by execute().
// Values (the plug-in maps them to WSTATUS):
//   0  SESSION_OK             transfer done; the HTTP code decides
//   5  SESSION_NOT_STARTED    the request could not be started
//   41 SESSION_CONNECT_FAILED could not connect or resolve
//   42 SESSION_TIMED_OUT      connect or stall timeout
//   43 SESSION_BROKEN         the transfer broke off
//   47 SESSION_TOO_LARGE      the answer passed the request's size limit
//   61 SESSION_FILE_ERROR     the target file could not be written
//   81 SESSION_CANCELLED      setCancel() aborted the transfer
typedef unsigned int SESSION_STATUS;
enum : SESSION_STATUS {
  SESSION_OK = 0,
  SESSION_NOT_STARTED = 5,
  SESSION_CONNECT_FAILED = 41,
  SESSION_TIMED_OUT = 42,
  SESSION_BROKEN = 43,
  SESSION_TOO_LARGE = 47,
  SESSION_FILE_ERROR = 61,
  SESSION_CANCELLED = 81,
};

// Completion of a queued request. Called once, on the executor's thread; the
// callback owns the request from then on and deletes it.
typedef void (*HttpCallback)(SESSION_STATUS, HttpRequest*, void*);

}  // namespace W
