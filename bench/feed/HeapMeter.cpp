// malloc/free interposition for HeapMeter.h. Counting is off outside a
// measurement, so the timed benchmarks pay one relaxed load per call. Only
// blocks allocated while counting are charged: each carries no header, so a
// free is charged by malloc_usable_size, and blocks from before the start
// would make live bytes go negative; those are clamped at zero.
#include "HeapMeter.h"

#include <atomic>
#include <cstring>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define KV_HEAP_METER 0
#else
#define KV_HEAP_METER 1
#endif

#if KV_HEAP_METER
#include <malloc.h>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
void __libc_free(void* block);
}
#endif

namespace kvbench {
namespace {

std::atomic<bool> g_counting{false};
std::atomic<long long> g_live{0};
std::atomic<long long> g_peak{0};

// Unused in sanitizer builds, whose allocator is not interposed.
[[maybe_unused]] void charge(long long bytes) {
  long long live = g_live.fetch_add(bytes, std::memory_order_relaxed) + bytes;
  long long peak = g_peak.load(std::memory_order_relaxed);
  while (live > peak && !g_peak.compare_exchange_weak(peak, live, std::memory_order_relaxed)) {
  }
}

}  // namespace

#if KV_HEAP_METER
bool heapMeterAvailable() {
  return true;
}
#else
bool heapMeterAvailable() {
  return false;
}
#endif

void heapMeterStart() {
  g_live.store(0);
  g_peak.store(0);
  g_counting.store(true);
}

std::size_t heapMeterStopPeak() {
  g_counting.store(false);
  return static_cast<std::size_t>(g_peak.load());
}

std::size_t heapMeterPeak() {
  return static_cast<std::size_t>(g_peak.load());
}

std::size_t heapMeterLive() {
  long long live = g_live.load();
  return live > 0 ? static_cast<std::size_t>(live) : 0;
}

#if KV_HEAP_METER
namespace {

bool counting() {
  return g_counting.load(std::memory_order_relaxed);
}

void chargeBlock(void* block, bool allocated) {
  if (block == nullptr) return;
  long long size = static_cast<long long>(malloc_usable_size(block));
  charge(allocated ? size : -size);
}

}  // namespace
#endif

}  // namespace kvbench

#if KV_HEAP_METER
extern "C" {

void* malloc(size_t size) {
  void* block = __libc_malloc(size);
  if (kvbench::counting()) kvbench::chargeBlock(block, true);
  return block;
}

void* calloc(size_t count, size_t size) {
  void* block = __libc_calloc(count, size);
  if (kvbench::counting()) kvbench::chargeBlock(block, true);
  return block;
}

void* realloc(void* block, size_t size) {
  const bool count = kvbench::counting();
  if (count) kvbench::chargeBlock(block, false);
  void* moved = __libc_realloc(block, size);
  if (count) kvbench::chargeBlock(moved != nullptr ? moved : (size == 0 ? nullptr : block), true);
  return moved;
}

void free(void* block) {
  if (kvbench::counting()) kvbench::chargeBlock(block, false);
  __libc_free(block);
}

}  // extern "C"
#endif
