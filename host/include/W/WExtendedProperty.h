// Free-form extra properties attached to host containers.
#pragma once

#include <W/WTypes.h>

#include <map>

namespace W {

class WExtendedProperty {
 public:
  void set(const STRING& key, const STRING& value) { m_values[key] = value; }
  STRING get(const STRING& key) const {
    auto it = m_values.find(key);
    return it == m_values.end() ? STRING() : it->second;
  }
  bool empty() const { return m_values.empty(); }
  void clear() { m_values.clear(); }

 private:
  std::map<STRING, STRING> m_values;
};

}  // namespace W
