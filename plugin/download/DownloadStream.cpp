// std::ifstream opens its file without O_CLOEXEC and does not show its
// descriptor; libstdc++ keeps it in the filebuf's protected __basic_file,
// which a subclass may name for any filebuf.
#include "download/DownloadStream.h"

#include <fcntl.h>

namespace W {

namespace {

struct FilebufDescriptor : std::filebuf {
  static int of(std::filebuf& buffer) { return (buffer.*(&FilebufDescriptor::_M_file)).fd(); }
};

}  // namespace

bool openDownloadStream(std::ifstream& stream, const std::string& path) {
  stream.open(path, std::ios::in | std::ios::binary);
  if (!stream.is_open()) return false;
  const int fd = FilebufDescriptor::of(*stream.rdbuf());
  const int flags = fd >= 0 ? fcntl(fd, F_GETFD) : -1;
  if (flags >= 0) fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
  return true;
}

}  // namespace W
