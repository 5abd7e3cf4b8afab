// The two unmangled entry points the host finds with dlsym.
#include "frame/WKVOAI.h"

#define KV_EXPORT __attribute__((visibility("default")))

// Creates the provider. Returns null when it cannot be built (no exception
// crosses into the host).
extern "C" KV_EXPORT W::WPlugin* createPlugin() {
  try {
    return new W::WKVOAI();
  } catch (...) {
    return nullptr;
  }
}

// Destroys a provider made by createPlugin; null is ignored. No completion
// of the provider runs after it returns.
extern "C" KV_EXPORT void destroyPlugin(W::WPlugin* plugin) {
  if (plugin == nullptr) return;
  delete plugin;
}
