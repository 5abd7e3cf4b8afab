// The plug-in's exception boundary. Nothing thrown inside the plug-in (a
// parser, a reader, a record copy, the host's own callback) may unwind into
// the host or into the executor, where it would end the process: every
// entry point a host thread calls and every completion on the executor's
// thread ends in one of these.
#pragma once

#include <W/WStatus.h>

namespace W {

// Call only inside a catch handler: the status the exception being handled
// stands for, WSTATUS_OUT_OF_MEMORY for std::bad_alloc and WSTATUS_FAILURE
// for anything else, logged once with `file` and `line`.
WSTATUS kvCaughtStatus(const char* file, int line) noexcept;

// Runs `body`. Returns WSTATUS_SUCCESS, or the caught status (logged) when
// it threw.
template <class Body>
WSTATUS kvCatchAll(Body body, const char* file, int line) noexcept {
  try {
    body();
    return WSTATUS_SUCCESS;
  } catch (...) {
    return kvCaughtStatus(file, line);
  }
}

}  // namespace W

// `catch (...) { return KV_CAUGHT_OAI(); }` ends a host entry point.
#define KV_CAUGHT_OAI() ::W::kvCaughtStatus("src/WKVOAI", __LINE__)
#define KV_CATCH_ALL_SERVICE(body) ::W::kvCatchAll((body), "src/KVService", __LINE__)
