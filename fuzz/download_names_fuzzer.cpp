// Fuzz target: the file names the two downloads take from a media URL, and
// the rule that refuses names leaving the target directory. The input is
// the URL; each name must be the piece of it the rule describes.
#include "FuzzProvider.h"
#include "download/DownloadNames.h"

namespace {

// Accepted names name a file inside the directory, and only those.
void checkPlain(const std::string& name) {
  const bool leaves = name.empty() || name == "." || name == ".." ||
                      name.find('/') != std::string::npos || name.find('\0') != std::string::npos;
  kvfuzz::require(W::isPlainFileName(name) == !leaves, "plain names stay inside the directory");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string url = kvfuzz::payload(data, size);

  // download: ends at the last "?" (or the end), starts after a "/" or at the start.
  const std::string direct = W::directDownloadName(url);
  const size_t query = url.rfind('?');
  const size_t end = query == std::string::npos ? url.size() : query;
  kvfuzz::require(direct.size() <= end, "download name lies before the query");
  const size_t start = end - direct.size();
  kvfuzz::require(url.compare(start, direct.size(), direct) == 0, "download name is in the URL");
  kvfuzz::require(start == 0 || url[start - 1] == '/', "download name starts after a slash");
  kvfuzz::require(direct.find('/') == std::string::npos, "download name holds no slash");

  // content downloader: after the last "/" of the URL, up to the first "?".
  const std::string content = W::contentDownloadName(url);
  const size_t slash = url.rfind('/');
  const std::string last = slash == std::string::npos ? url : url.substr(slash + 1);
  kvfuzz::require(last.compare(0, content.size(), content) == 0 &&
                      (content.size() == last.size() || last[content.size()] == '?'),
                  "content name is the last segment up to its query");
  kvfuzz::require(content.find('?') == std::string::npos, "content name holds no query");

  checkPlain(direct);
  checkPlain(content);
  checkPlain(url);
  return 0;
}
