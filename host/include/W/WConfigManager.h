// Per-provider configuration options (text key=value), process-wide.
#pragma once

#include <W/WContentProvider.h>
#include <W/WVariant.h>

#include <map>
#include <mutex>
#include <utility>

namespace W {

class WConfigManager {
 public:
  static WConfigManager& getInstance();

  // The option, or a null (empty) variant when the key is missing.
  WVariant getCPOption(const WContentProvider& provider, const STRING& key) const;

  void setCPOption(const WContentProvider& provider, const STRING& key, const STRING& value);
  void removeCPOption(const WContentProvider& provider, const STRING& key);
  void clearCPOptions(const WContentProvider& provider);

  // Loads "key=value" lines (blank lines and lines starting with '#' are
  // skipped; spaces around key and value are trimmed). Returns 0, or -1 when
  // the file cannot be read or a line has no '=' (or an empty key); nothing
  // is changed then. Keys the file does not name keep their values.
  int loadCPOptions(const WContentProvider& provider, const STRING& path);

 private:
  WConfigManager() = default;
  mutable std::mutex m_lock;  // guards m_options
  std::map<std::pair<UINT32, STRING>, STRING> m_options;
};

}  // namespace W
