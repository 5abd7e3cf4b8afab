// The completion of one of a session's requests, as it runs on the
// executor's thread. A host commonly unloads the provider from inside one
// of its callbacks ("login failed, unload it"); the completion still has
// the command, the session and the argument record to finish with, so such
// a destroy is held back until the completion has returned, and then
// nothing of the provider is touched any more.
//
// Open scopes are kept in one process-wide list, not in thread-local
// storage: the plug-in is loaded with dlopen, and a thread_local there is
// dynamic TLS, which some hosts' leak checkers misread (and which the
// target's static TLS reserve may not have room for).
#pragma once

#include <thread>

namespace W {

class KVService;

class KVCompletionScope {
 public:
  typedef void (*Destroy)(void* object);

  // Enters the completion of a request of `service` on this thread.
  explicit KVCompletionScope(const KVService* service);
  // Leaves it; runs a destroy held back inside it (the outermost scope of
  // the session on this thread runs it).
  ~KVCompletionScope();

  KVCompletionScope(const KVCompletionScope&) = delete;
  KVCompletionScope& operator=(const KVCompletionScope&) = delete;

  // When this thread runs a completion of `service`, keeps `destroy(object)`
  // for its end and returns true; otherwise returns false and the caller
  // destroys at once.
  static bool deferDestroy(const KVService* service, Destroy destroy, void* object);

 private:
  const KVService* const m_service;
  const std::thread::id m_thread;
  // The next older open scope of any thread; guarded by the list's lock.
  KVCompletionScope* m_older = nullptr;
  Destroy m_destroy = nullptr;
  void* m_object = nullptr;
};

}  // namespace W
