// The providers alive in the process. A host keeps media records across a
// reload of the provider, and each record carries the provider that made it
// as its downloader argument; a provider may also be destroyed from its own
// callback while the host thread that handed a request over is still in the
// operation. Both ask here, under one lock, before they touch a provider.
#pragma once

#include <cstdint>

namespace W {

class WKVOAI;

class LiveProviders {
 public:
  // Enters a provider under the next serial number of the process (never
  // reused, unlike its address), and returns the serial.
  static std::uint64_t enter(const WKVOAI* provider);
  // Removes it; waits for a `withLive` call that runs on it meanwhile.
  static void leave(const WKVOAI* provider);

  // The serial the provider was entered with; 0 when it is not alive.
  static std::uint64_t serialOf(const void* provider);

  // Runs `use(*provider)` under the lock when `provider` is alive with
  // `serial` (0: any serial), so that it cannot go meanwhile. Returns
  // whether it ran. `use` must not destroy a provider.
  template <class Use>
  static bool withLive(const void* provider, std::uint64_t serial, Use use) {
    Lock lock;
    const std::uint64_t live = serialLocked(provider);
    if (live == 0 || (serial != 0 && live != serial)) return false;
    use(*static_cast<WKVOAI*>(const_cast<void*>(provider)));
    return true;
  }

 private:
  struct Lock {
    Lock();
    ~Lock();
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
  };
  static std::uint64_t serialLocked(const void* provider);
};

}  // namespace W
