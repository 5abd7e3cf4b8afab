// The host's HTTP executor: one worker thread driving libcurl's multi
// interface. Completions run on that thread. Started on first use and shut
// down at process exit (transfers still in flight are dropped without
// completion).
#pragma once

#include <W/HttpRequest.h>

namespace W {

class HttpDelegator {
 public:
  // Statuses addRequest() refuses with.
  enum : int {
    REFUSED_INVALID = -1,    // null request, or CR/LF in a header
    REFUSED_SHUTDOWN = -16,  // the executor is shutting down (or its worker could not start)
  };

  static HttpDelegator* getInstance();

  // Queues a request. Returns 0 and takes ownership (the completion callback
  // then deletes it), or a negative status and leaves the request with the
  // caller.
  int addRequest(HttpRequest* request);

  // Drops every request with this ID that is queued or in flight, except one
  // whose completion is running at that moment; a dropped request gets no
  // completion and is destroyed here. Called from another thread it returns
  // only when no completion of that ID is running; from inside a completion
  // it does not wait for itself.
  void flushHttpRequests(unsigned long long id);

  // Stops the worker; later addRequest() calls are refused. Idempotent.
  void shutdown();

  // Defaults for requests that set none, in milliseconds.
  void setDefaultTimeouts(long connectMs, long stallMs);
  long defaultConnectTimeout() const;
  long defaultStallTimeout() const;

  struct Impl;

 private:
  HttpDelegator();
  ~HttpDelegator();
  Impl* m_impl;
};

}  // namespace W
