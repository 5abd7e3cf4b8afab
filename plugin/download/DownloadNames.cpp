// File names of the downloads.
#include "download/DownloadNames.h"

namespace W {

STRING directDownloadName(const STRING& url) {
  const size_t query = url.rfind('?');
  const size_t slash = url.rfind('/', query);
  const size_t start = slash == STRING::npos ? 0 : slash + 1;
  return url.substr(start, query == STRING::npos ? STRING::npos : query - start);
}

STRING contentDownloadName(const STRING& url) {
  const size_t slash = url.rfind('/');
  const size_t start = slash == STRING::npos ? 0 : slash + 1;
  const size_t query = url.find('?', start);
  return url.substr(start, query == STRING::npos ? STRING::npos : query - start);
}

bool isPlainFileName(const STRING& name) {
  if (name.empty() || name == "." || name == "..") return false;
  return name.find('/') == STRING::npos && name.find('\0') == STRING::npos;
}

}  // namespace W
