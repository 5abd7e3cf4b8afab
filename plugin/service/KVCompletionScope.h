// The completion of one of a session's requests, as it runs on the
// executor's thread. A host commonly unloads the provider from inside one
// of its callbacks ("login failed, unload it"); the completion still has
// the command, the session and the argument record to finish with, so such
// a destroy is held back until the completion has returned, and then
// nothing of the provider is touched any more. The scope also remembers
// whether the caller has been told the outcome, so that a completion cut
// short by an exception is reported once, never twice.
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

  // The innermost completion on this thread is about to call its caller's
  // callback or the cancel callback. Does nothing outside a completion.
  static void markReported();
  // Whether this completion's caller has been called (markReported).
  bool reported() const { return m_reported; }

 private:
  const KVService* const m_service;
  const std::thread::id m_thread;
  // The next older open scope of any thread; guarded by the list's lock.
  KVCompletionScope* m_older = nullptr;
  Destroy m_destroy = nullptr;
  void* m_object = nullptr;
  bool m_reported = false;
};

}  // namespace W
