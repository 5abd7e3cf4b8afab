// The replaced global operator new behind AllocationFailure.h. Every thread
// counts only while armed; the counters are plain thread-locals, so the
// allocator itself never allocates.
#include "AllocationFailure.h"

#include <cstdlib>
#include <new>
#include <stdexcept>

namespace {

thread_local long t_countdown = 0;  // 0: disarmed
thread_local bool t_fired = false;
thread_local kvtest::Injected t_what = kvtest::Injected::BadAlloc;

void* allocate(std::size_t size) {
  if (t_countdown > 0 && --t_countdown == 0) {
    t_fired = true;
    if (t_what == kvtest::Injected::BadAlloc) throw std::bad_alloc();
    throw std::runtime_error("injected failure");
  }
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}

}  // namespace

namespace kvtest {

void failAllocation(long n, Injected what) {
  t_fired = false;
  t_what = what;
  t_countdown = n;
}

bool disarmAllocation() {
  t_countdown = 0;
  return t_fired;
}

}  // namespace kvtest

void* operator new(std::size_t size) {
  return allocate(size);
}
void* operator new[](std::size_t size) {
  return allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return std::malloc(size == 0 ? 1 : size);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
  std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
  std::free(p);
}
