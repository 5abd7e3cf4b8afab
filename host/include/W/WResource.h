// Base of the host's data records: an identifier and the provider it came from.
#pragma once

#include <W/WContentProvider.h>
#include <W/WTypes.h>

namespace W {

class WResource {
 public:
  WResource() = default;
  virtual ~WResource() = default;
  WResource(const WResource&) = default;
  WResource& operator=(const WResource&) = default;

  const STRING& getUID() const { return m_uid; }
  void setUID(const STRING& uid) { m_uid = uid; }
  const WContentProvider& getContentProvider() const { return m_provider; }
  void setContentProvider(const WContentProvider& provider) { m_provider = provider; }

 private:
  STRING m_uid;
  WContentProvider m_provider;
};

}  // namespace W
