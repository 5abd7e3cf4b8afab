// A private temporary directory for the transfer benchmark's files, removed
// with everything in it when the benchmark ends.
#pragma once

#include <string>

namespace kvbench {

class ScratchDir {
 public:
  // Makes a fresh directory under $TMPDIR (or /tmp); path() is empty when
  // that fails.
  ScratchDir();
  // Removes the files in it, then the directory.
  ~ScratchDir();

  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return m_path; }
  // path() + "/" + name.
  std::string file(const std::string& name) const { return m_path + "/" + name; }

 private:
  std::string m_path;
};

}  // namespace kvbench
