// The local file names of the two downloads, taken from their URLs, and the
// names a download refuses to write.
#pragma once

#include <W/WTypes.h>

namespace W {

// `download`'s rule: the text between the last "/" at or before the last
// "?" and that "?" (or the end). ".../a/b.jpg?x=1/2" gives "b.jpg".
STRING directDownloadName(const STRING& url);

// The content downloader's rule: the text after the last "/" of the whole
// URL, up to the first "?" after it. ".../a/b.jpg?x=1/2" gives "2".
STRING contentDownloadName(const STRING& url);

// False for a name that would not name a file inside the target directory:
// empty, ".", "..", or one that holds "/" or a NUL byte.
bool isPlainFileName(const STRING& name);

}  // namespace W
