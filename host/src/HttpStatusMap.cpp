// Which libcurl failures count as connect, timeout, start or broken transfer.
#include "HttpStatusMap.h"

namespace W {
namespace detail {

SESSION_STATUS sessionStatusOf(CURLcode code, bool cancelled, bool fileFailed) {
  if (cancelled) return SESSION_CANCELLED;
  if (fileFailed) return SESSION_FILE_ERROR;
  switch (code) {
    case CURLE_OK:
      return SESSION_OK;
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
      return SESSION_CONNECT_FAILED;
    case CURLE_OPERATION_TIMEDOUT:
      return SESSION_TIMED_OUT;
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_FAILED_INIT:
    case CURLE_URL_MALFORMAT:
    case CURLE_NOT_BUILT_IN:
    case CURLE_OUT_OF_MEMORY:
    case CURLE_BAD_FUNCTION_ARGUMENT:
      return SESSION_NOT_STARTED;
    case CURLE_WRITE_ERROR:
      return SESSION_FILE_ERROR;
    case CURLE_FILESIZE_EXCEEDED:
      return SESSION_TOO_LARGE;
    default:
      return SESSION_BROKEN;
  }
}

}  // namespace detail
}  // namespace W
