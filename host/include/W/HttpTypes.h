// Scalar types of the host HTTP layer.
#pragma once

namespace W {

class HttpRequest;

// 0 = GET, 1 = POST.
enum HTTP_REQUEST_TYPE { HTTP_GET = 0, HTTP_POST = 1 };

// Plain HTTP status number of a finished transfer (0 when none arrived).
typedef int HTTP_RESPONSE_CODE;

// Outcome of a transfer, passed to completions and returned by execute();
// the plug-in maps it to a WSTATUS.
typedef unsigned int SESSION_STATUS;
enum : SESSION_STATUS {
  SESSION_OK = 0,               // transfer done; the HTTP code decides
  SESSION_NOT_STARTED = 5,      // the request could not be started
  SESSION_CONNECT_FAILED = 41,  // could not connect or resolve
  SESSION_TIMED_OUT = 42,       // connect or stall timeout
  SESSION_BROKEN = 43,          // the transfer broke off
  SESSION_TOO_LARGE = 47,       // the answer passed the request's size limit
  SESSION_FILE_ERROR = 61,      // the target file could not be written
  SESSION_CANCELLED = 81,       // setCancel() aborted the transfer
};

// Completion of a queued request. Called once, on the executor's thread; the
// callback owns the request from then on and deletes it.
typedef void (*HttpCallback)(SESSION_STATUS, HttpRequest*, void*);

}  // namespace W
