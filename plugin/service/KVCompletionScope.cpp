// Completions running on this thread, innermost first.
#include "service/KVCompletionScope.h"

namespace W {

namespace {

thread_local KVCompletionScope* t_innermost = nullptr;

}  // namespace

KVCompletionScope::KVCompletionScope(const KVService* service)
    : m_service(service), m_outer(t_innermost) {
  t_innermost = this;
}

KVCompletionScope::~KVCompletionScope() {
  t_innermost = m_outer;
  if (m_destroy != nullptr) m_destroy(m_object);
}

bool KVCompletionScope::deferDestroy(const KVService* service, Destroy destroy, void* object) {
  KVCompletionScope* outermost = nullptr;
  for (KVCompletionScope* scope = t_innermost; scope != nullptr; scope = scope->m_outer) {
    if (scope->m_service == service) outermost = scope;
  }
  if (outermost == nullptr) return false;
  // A second destroy of the same provider is the host's mistake; keep one.
  if (outermost->m_destroy == nullptr) {
    outermost->m_destroy = destroy;
    outermost->m_object = object;
  }
  return true;
}

void KVCompletionScope::markReported() {
  if (t_innermost != nullptr) t_innermost->m_reported = true;
}

}  // namespace W
