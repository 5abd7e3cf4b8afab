// The stream a download's completion opens on its file, close-on-exec: the
// host reads it during its callback, and a process the host starts
// meanwhile must not inherit the file.
#pragma once

#include <fstream>
#include <string>

namespace W {

// Opens `path` into `stream` for binary reading and marks its descriptor
// close-on-exec. Returns whether it opened.
bool openDownloadStream(std::ifstream& stream, const std::string& path);

}  // namespace W
