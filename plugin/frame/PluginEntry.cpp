// The two unmangled entry points the host finds with dlsym.
#include "frame/KvExport.h"
#include "frame/WKVOAI.h"
#include "service/KVCatchAll.h"

// Creates the provider. Returns null when it cannot be built (no exception
// crosses into the host).
extern "C" KV_EXPORT W::WPlugin* createPlugin() {
  try {
    return new W::WKVOAI();
  } catch (...) {
    return nullptr;
  }
}

// Destroys a provider made by createPlugin; null is ignored. Called from
// another thread, no completion of the provider runs after it returns.
// Called from one of the provider's own callbacks (on the executor's
// thread), the provider goes once that completion has returned.
extern "C" KV_EXPORT void destroyPlugin(W::WPlugin* plugin) try {
  if (plugin == nullptr) return;
  W::WKVOAI* provider = dynamic_cast<W::WKVOAI*>(plugin);
  if (provider != nullptr && provider->deferDestroyToCompletion()) return;
  delete plugin;
} catch (...) {
  KV_CAUGHT_OAI();  // nothing crosses into the host
}
