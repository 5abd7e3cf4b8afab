// curl_global_init is not thread-safe itself; a function-local static makes
// the first caller run it and every other caller wait for that.
#include "HttpCurlGlobal.h"

#include <curl/curl.h>

namespace W {
namespace detail {

bool ensureCurlGlobalInit() {
  // Never cleaned up: other threads may still use libcurl while the process
  // exits, and the executor shuts down before anything libcurl registered.
  static const bool ok = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  return ok;
}

}  // namespace detail
}  // namespace W
