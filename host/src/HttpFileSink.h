// Where the body of a file-bound GET goes: a private temporary file next to
// the target, renamed over it only once the transfer succeeded.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace W {
namespace detail {

class HttpFileSink {
 public:
  HttpFileSink() = default;
  ~HttpFileSink();  // discards an uncommitted temporary file

  HttpFileSink(const HttpFileSink&) = delete;
  HttpFileSink& operator=(const HttpFileSink&) = delete;

  // Creates a fresh temporary file in the directory of `target` (O_EXCL, so a
  // planted link is never followed) with permissions `mode`. Returns false
  // when it cannot.
  bool open(const std::string& target, unsigned mode);
  bool isOpen() const { return m_file != nullptr; }

  // Appends body bytes. Returns false on a write error.
  bool write(const char* data, size_t len);
  // Bytes appended since open().
  unsigned long long written() const { return m_written; }

  // Closes the temporary file and renames it over the target (which replaces
  // a link at the target rather than following it). Returns false when
  // closing or renaming failed; the temporary file is then removed.
  bool commit();

  // Closes and removes the temporary file, leaving the target untouched.
  void discard();

 private:
  std::FILE* m_file = nullptr;
  unsigned long long m_written = 0;
  std::string m_target;
  std::string m_tempPath;
};

}  // namespace detail
}  // namespace W
