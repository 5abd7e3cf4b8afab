// The host's interface to any content provider: its identity and the
// account operations every provider has.
#pragma once

#include <W/WException.h>

#include <list>

#include "frame/KVTypes.h"
#include "frame/WPlugin.h"

namespace W {

class WAbstractOAI : public WPlugin {
 public:
  explicit WAbstractOAI(const WContentProvider& provider) : m_provider(provider) {}
  ~WAbstractOAI() override = default;

  // Slots 3 to 6.
  virtual WSTATUS login(const STRING& user, const STRING& password, KVLoginCallback callback,
                        VOID* userData) = 0;
  virtual WSTATUS logout(KVAccountCallback callback, VOID* userData) = 0;
  virtual WSTATUS retrieveExceptions(std::list<WException*>& exceptions) = 0;
  virtual WSTATUS resolveException(WException* exception, KVResolveCallback callback,
                                   VOID* userData) = 0;

  // The identity passed to every host callback.
  const WContentProvider& getContentProvider() const { return m_provider; }

 protected:
  WContentProvider m_provider;
};

}  // namespace W
