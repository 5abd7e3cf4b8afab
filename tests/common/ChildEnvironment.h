// The environment for a child started with posix_spawn: this process's
// own, less the variables named, plus the ones given ("NAME=value").
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

extern char** environ;

namespace kvtest {

class ChildEnvironment {
 public:
  ChildEnvironment(std::initializer_list<std::string> drop,
                   std::initializer_list<std::string> add) {
    for (char** e = environ; *e != nullptr; ++e) {
      const std::string entry(*e);
      bool dropped = false;
      for (const std::string& name : drop) dropped = dropped || entry.rfind(name + "=", 0) == 0;
      if (!dropped) m_entries.push_back(entry);
    }
    m_entries.insert(m_entries.end(), add);
    for (std::string& entry : m_entries) m_pointers.push_back(&entry[0]);
    m_pointers.push_back(nullptr);
  }

  ChildEnvironment(const ChildEnvironment&) = delete;
  ChildEnvironment& operator=(const ChildEnvironment&) = delete;

  char* const* envp() { return m_pointers.data(); }

 private:
  std::vector<std::string> m_entries;
  std::vector<char*> m_pointers;
};

}  // namespace kvtest
