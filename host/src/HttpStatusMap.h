// Maps the libcurl result of a finished transfer to the SESSION_STATUS that
// completions and execute() report.
#pragma once

#include <W/HttpTypes.h>

#include <curl/curl.h>

namespace W {
namespace detail {

// `cancelled`: setCancel() was called; `fileFailed`: the target file could
// not be written. Returns SESSION_OK only for CURLE_OK without a cancel.
SESSION_STATUS sessionStatusOf(CURLcode code, bool cancelled, bool fileFailed);

}  // namespace detail
}  // namespace W
