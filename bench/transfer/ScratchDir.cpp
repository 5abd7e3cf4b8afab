// mkdtemp and a one-level cleanup (the benchmark makes no subdirectories).
#include "ScratchDir.h"

#include <dirent.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace kvbench {

ScratchDir::ScratchDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") +
                        "/kv_bench_transfer-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (mkdtemp(name.data()) != nullptr) m_path = name.data();
}

ScratchDir::~ScratchDir() {
  if (m_path.empty()) return;
  if (DIR* dir = opendir(m_path.c_str())) {
    while (dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") unlink(file(name).c_str());
    }
    closedir(dir);
  }
  rmdir(m_path.c_str());
}

}  // namespace kvbench
