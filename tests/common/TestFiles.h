// Temporary directories and whole-file reads and writes for every suite.
// Each directory is made by mkdtemp under $TMPDIR (or /tmp), so two build
// trees can run their tests at the same time.
#pragma once

#include <string>
#include <vector>

namespace kvtest {

// A fresh directory "<prefix>-XXXXXX", removed with everything in it by the
// destructor. path() is empty when it could not be made.
class TempDir {
 public:
  explicit TempDir(const std::string& prefix = "kv-test");
  ~TempDir();

  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return m_path; }
  // path() + "/" + name.
  std::string file(const std::string& name) const { return m_path + "/" + name; }
  // Writes `bytes` to file(name) and returns that path.
  std::string write(const std::string& name, const std::string& bytes) const;
  // The names in the directory, without "." and "..".
  std::vector<std::string> entries() const;

 private:
  std::string m_path;
};

// The names in the directory `path`, without "." and "..".
std::vector<std::string> entriesOf(const std::string& path);

// The whole file, or empty when it cannot be read.
std::string readFile(const std::string& path);
// Replaces the file's content with `bytes`.
void writeFile(const std::string& path, const std::string& bytes);

}  // namespace kvtest
