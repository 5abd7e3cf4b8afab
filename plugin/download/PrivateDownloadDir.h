// The directory the content downloader writes into: private to the process
// (mode 0700, made with mkdtemp), so that no name the service chooses can
// replace a file of the host's, and nobody else reads what it fetched.
#pragma once

#include <W/WTypes.h>

namespace W {

// The directory's path, created on first use, and again should something
// have removed it meanwhile (a long-lived process outlives /tmp cleaners).
// A normal exit of the process removes it with what it holds, after the
// executor has been shut down. Empty when it cannot be created, and from
// that exit on.
STRING privateDownloadDir();

// A fresh path in that directory for a download named `name`: a number
// unique in the process, "-" and the name, so that two downloads of one
// name never share a file. Empty when the directory cannot be created.
STRING privateDownloadPath(const STRING& name);

}  // namespace W
