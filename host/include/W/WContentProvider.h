// Identity of a content provider (plug-in); passed to every host callback.
#pragma once

#include <W/WTypes.h>

namespace W {

class WContentProvider {
 public:
  WContentProvider() = default;
  WContentProvider(const STRING& name, int serviceType);

  const STRING& getName() const { return m_name; }
  int getServiceType() const { return m_serviceType; }
  // Stable 32-bit ID derived from name and service type (never 0 for a
  // named provider); request owner tag and command provider key.
  UINT32 getID() const { return m_id; }

  bool operator==(const WContentProvider& o) const { return m_id == o.m_id && m_name == o.m_name; }
  bool operator!=(const WContentProvider& o) const { return !(*this == o); }

 private:
  STRING m_name;
  int m_serviceType = 0;
  UINT32 m_id = 0;
};

}  // namespace W
