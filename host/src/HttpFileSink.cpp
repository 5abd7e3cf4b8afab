// Temporary-file handling for downloads: never a partial target, never a
// write through a link somebody planted at the target path.
#include "HttpFileSink.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace W {
namespace detail {

namespace {

std::string directoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

}  // namespace

HttpFileSink::~HttpFileSink() {
  discard();
}

bool HttpFileSink::open(const std::string& target, unsigned mode) {
  discard();
  std::string pattern = directoryOf(target) + "/.wdownload-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  // mkostemp opens with O_CREAT | O_EXCL: it never reuses or follows an
  // existing name.
  const int fd = mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return false;
  // mkostemp makes it 0600; the caller decides who else may read it.
  if (fchmod(fd, static_cast<mode_t>(mode)) != 0) {
    close(fd);
    unlink(name.data());
    return false;
  }
  m_file = fdopen(fd, "wb");
  if (m_file == nullptr) {
    close(fd);
    unlink(name.data());
    return false;
  }
  m_target = target;
  m_tempPath = name.data();
  m_written = 0;
  return true;
}

bool HttpFileSink::write(const char* data, size_t len) {
  if (m_file == nullptr) return false;
  if (std::fwrite(data, 1, len, m_file) != len) return false;
  m_written += len;
  return true;
}

bool HttpFileSink::commit() {
  if (m_file == nullptr) return false;
  // No fsync: the rename already keeps readers from a partial file, and
  // forcing the media out to the device cost as much as the download itself.
  const bool flushed = std::fflush(m_file) == 0;
  const bool closed = std::fclose(m_file) == 0;
  m_file = nullptr;
  if (flushed && closed && std::rename(m_tempPath.c_str(), m_target.c_str()) == 0) {
    m_tempPath.clear();
    return true;
  }
  unlink(m_tempPath.c_str());
  m_tempPath.clear();
  return false;
}

void HttpFileSink::discard() {
  if (m_file != nullptr) {
    std::fclose(m_file);
    m_file = nullptr;
  }
  if (!m_tempPath.empty()) {
    unlink(m_tempPath.c_str());
    m_tempPath.clear();
  }
}

}  // namespace detail
}  // namespace W
