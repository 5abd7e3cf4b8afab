// The WSTATUS values the plug-in produces, by name, and their printable names.
#pragma once

#include <W/WTypes.h>

namespace W {

// Every status the plug-in produces, as X(name, value). The constants below
// and the names WSTATUS2STRING prints are both generated from this one list.
#define W_WSTATUS_LIST(X)            \
  X(WSTATUS_SUCCESS, 0)              \
  X(WSTATUS_MORE_ITEMS, 100)         \
  X(WSTATUS_INVALID_ARGUMENT, -1)    \
  X(WSTATUS_REQUEST_FAILED, -3)      \
  X(WSTATUS_OUT_OF_MEMORY, -4)       \
  X(WSTATUS_FILE_ERROR, -5)          \
  X(WSTATUS_EXCEPTION_PENDING, -9)   \
  X(WSTATUS_ACCESS_DENIED, -13)      \
  X(WSTATUS_ALREADY_CANCELLING, -14) \
  X(WSTATUS_NOT_SUPPORTED, -15)      \
  X(WSTATUS_FAILURE, -16)            \
  X(WSTATUS_CONNECT_FAILED, -100)    \
  X(WSTATUS_TIMEOUT, -105)           \
  X(WSTATUS_SERVER_ERROR, -107)      \
  X(WSTATUS_CANCELLED, -108)         \
  X(WSTATUS_SERVICE_REFUSED, -200)   \
  X(WSTATUS_NOT_LOGGED_IN, -202)     \
  X(WSTATUS_CONFLICT, -203)          \
  X(WSTATUS_NOT_FOUND, -205)         \
  X(WSTATUS_AUTH_FAILED, -208)       \
  X(WSTATUS_CAPTCHA_REQUIRED, -500)

#define W_WSTATUS_CONSTANT(name, value) constexpr WSTATUS name = value;
W_WSTATUS_LIST(W_WSTATUS_CONSTANT)
#undef W_WSTATUS_CONSTANT

// Returns a fixed, readable name for a status (the argument is the status
// reinterpreted as unsigned, as log lines pass it). Never null; an unknown
// status gives "WSTATUS_UNKNOWN".
const char* WSTATUS2STRING(unsigned status);

}  // namespace W
