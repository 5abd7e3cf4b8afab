// The MIME type kvhost announces for an upload when --mime is not given.
#pragma once

#include <string>

namespace kvhost {

// By the file name's extension, ignoring case: jpg and jpeg image/jpeg, png
// image/png, anything else (or none) application/octet-stream.
std::string mimeTypeForFile(const std::string& path);

}  // namespace kvhost
