// The HTTP executor's test seam, for the host's and the plug-in's tests and
// the benchmarks. host/src is private to libW: no integration of the host
// interface sees this header. While a hook is set, the executor's
// addRequest() hands requests to `onAdd` instead of the network (its result
// is returned; >= 0 means the hook owns the request and completes it with
// HttpRequest::complete), and flushHttpRequests() calls `onFlush`.
#pragma once

#include <W/HttpRequest.h>

#include <functional>

namespace W {

struct HttpTestHook {
  std::function<int(HttpRequest*)> onAdd;
  std::function<void(unsigned long long)> onFlush;
};

// Sets the executor's hook; a hook of empty functions clears it.
void setHttpTestHook(const HttpTestHook& hook);

}  // namespace W
