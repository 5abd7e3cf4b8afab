// The registry of live providers. Its state is never destroyed: a completion
// may still ask it while the process exits.
#include "frame/LiveProviders.h"

#include <map>
#include <mutex>

namespace W {

namespace {

struct Registry {
  std::mutex lock;                               // guards every field
  std::map<const void*, std::uint64_t> serials;  // provider -> serial
  std::uint64_t lastSerial = 0;
};

Registry& registry() {
  static Registry* const instance = new Registry();
  return *instance;
}

}  // namespace

LiveProviders::Lock::Lock() {
  registry().lock.lock();
}

LiveProviders::Lock::~Lock() {
  registry().lock.unlock();
}

std::uint64_t LiveProviders::enter(const WKVOAI* provider) {
  Lock lock;
  Registry& r = registry();
  const std::uint64_t serial = ++r.lastSerial;
  r.serials[provider] = serial;
  return serial;
}

void LiveProviders::leave(const WKVOAI* provider) {
  Lock lock;
  registry().serials.erase(provider);
}

std::uint64_t LiveProviders::serialOf(const void* provider) {
  Lock lock;
  return serialLocked(provider);
}

std::uint64_t LiveProviders::serialLocked(const void* provider) {
  const auto& serials = registry().serials;
  const auto it = serials.find(provider);
  return it == serials.end() ? 0 : it->second;
}

}  // namespace W
