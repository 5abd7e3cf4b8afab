// Completions running now, on every thread, newest first.
#include "service/KVCompletionScope.h"

#include <mutex>
#include <type_traits>

namespace W {

namespace {

// Trivially destructible, so a completion still running at exit may use it.
static_assert(std::is_trivially_destructible<std::mutex>::value, "g_lock outlives exit");
std::mutex g_lock;
KVCompletionScope* g_newest = nullptr;  // guarded by g_lock

}  // namespace

KVCompletionScope::KVCompletionScope(const KVService* service)
    : m_service(service), m_thread(std::this_thread::get_id()) {
  std::lock_guard<std::mutex> guard(g_lock);
  m_older = g_newest;
  g_newest = this;
}

KVCompletionScope::~KVCompletionScope() {
  {
    std::lock_guard<std::mutex> guard(g_lock);
    KVCompletionScope** link = &g_newest;
    while (*link != this) link = &(*link)->m_older;
    *link = m_older;
  }
  // Outside the lock: the destroy may end other completions' providers.
  if (m_destroy != nullptr) m_destroy(m_object);
}

bool KVCompletionScope::deferDestroy(const KVService* service, Destroy destroy, void* object) {
  const std::thread::id self = std::this_thread::get_id();
  std::lock_guard<std::mutex> guard(g_lock);
  KVCompletionScope* outermost = nullptr;
  for (KVCompletionScope* scope = g_newest; scope != nullptr; scope = scope->m_older) {
    if (scope->m_thread == self && scope->m_service == service) outermost = scope;
  }
  if (outermost == nullptr) return false;
  // A second destroy of the same provider is the host's mistake; keep one.
  // m_destroy is only read by its own thread, which is this one.
  if (outermost->m_destroy == nullptr) {
    outermost->m_destroy = destroy;
    outermost->m_object = object;
  }
  return true;
}

void KVCompletionScope::markReported() {
  const std::thread::id self = std::this_thread::get_id();
  std::lock_guard<std::mutex> guard(g_lock);
  for (KVCompletionScope* scope = g_newest; scope != nullptr; scope = scope->m_older) {
    if (scope->m_thread != self) continue;
    // The innermost of this thread; m_reported is read by this thread only.
    scope->m_reported = true;
    return;
  }
}

}  // namespace W
