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
  WResource(WResource&&) = default;
  WResource& operator=(WResource&&) = default;

  const STRING& getUID() const { return m_uid; }
  void setUID(STRING uid) { m_uid = std::move(uid); }
  const WContentProvider& getContentProvider() const { return m_provider; }
  void setContentProvider(WContentProvider provider) { m_provider = std::move(provider); }

 private:
  STRING m_uid;
  WContentProvider m_provider;
};

}  // namespace W
