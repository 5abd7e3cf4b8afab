// The private state of HttpDelegator: the queue, the transfers attached to
// libcurl's multi handle, and the worker thread that drives them.
#pragma once

#include <W/HttpDelegator.h>

#include "HttpTestHook.h"

#include <curl/curl.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace W {

struct HttpDelegator::Impl {
  // Wakes the worker of the process's executor (after a cancel) if it runs.
  static void wakeWorker();
  static void setTestHook(const HttpTestHook& hook);

  // Starts the worker unless it runs; call with `mutex` held. Returns false
  // when libcurl or the thread could not be started.
  bool startLocked();
  // Wakes curl_multi_poll; call with `mutex` held.
  void wakeLocked();

  // The worker thread's loop and its steps.
  void run();
  void startQueued();
  void finishDone();
  void finishCancelled();
  void reapDropped();
  // Ends one transfer already detached from `multi`: drops it silently if
  // it was flushed, else settles it and runs its completion.
  // `transferred`: the transfer ran and ended with `code`; otherwise it ends
  // with `status` without having started.
  void finishOne(HttpRequest* request, bool transferred, CURLcode code, SESSION_STATUS status);
  void destroyAll();

  std::mutex mutex;                        // guards every field below except where noted
  std::condition_variable completionIdle;  // signalled when a completion ends

  std::deque<HttpRequest*> queue;      // accepted, not yet attached
  std::vector<HttpRequest*> inFlight;  // attached to `multi` (or being attached)

  CURLM* multi = nullptr;  // created and cleaned up by the worker's owner
  std::thread worker;      // joined by shutdown(); guarded by joinMutex
  std::thread::id workerId;
  bool stopping = false;

  bool completing = false;  // a completion runs on the worker now
  unsigned long long completingId = 0;

  HttpTestHook hook;                   // tests only (HttpTestHook.h)
  std::atomic<long> connectMs{15000};  // defaults; atomic, not under `mutex`
  std::atomic<long> stallMs{60000};

  std::mutex joinMutex;  // serialises shutdown()'s join
};

}  // namespace W
