// One-time, thread-safe libcurl global initialisation for the HTTP layer.
#pragma once

namespace W {
namespace detail {

// Runs curl_global_init once per process, whichever thread calls first.
// Returns false when libcurl could not be initialised.
bool ensureCurlGlobalInit();

}  // namespace detail
}  // namespace W
