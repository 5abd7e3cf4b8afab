// A bounded wait for the host executor to pass one whole turn: a request
// queued now completes only after the worker has handled what it held
// before (the transfers a destroyed plug-in dropped are destroyed at its
// next turn). Tests use it instead of a pause before checking that nothing
// called back late.
#pragma once

#include <W/HttpDelegator.h>
#include <W/HttpRequest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

namespace kvtest {

// Queues a GET of `url` (any server the test runs) and waits up to
// `watchdog` for its completion. True when it completed.
inline bool awaitExecutorTurn(const std::string& url,
                              std::chrono::milliseconds watchdog = std::chrono::seconds(30)) {
  struct Done {
    std::mutex mutex;
    std::condition_variable cv;
    bool done = false;
  };
  // Shared with the callback, which may come after a timed-out wait.
  auto* state = new std::shared_ptr<Done>(std::make_shared<Done>());
  std::shared_ptr<Done> done = *state;
  auto callback = [](W::SESSION_STATUS, W::HttpRequest* request, void* arg) {
    delete request;
    auto* held = static_cast<std::shared_ptr<Done>*>(arg);
    {
      std::lock_guard<std::mutex> lock((*held)->mutex);
      (*held)->done = true;
      (*held)->cv.notify_all();
    }
    delete held;
  };
  auto* request = new W::HttpRequest(W::HTTP_GET, url, W::HttpHeader(), "", callback, state);
  if (W::HttpDelegator::getInstance()->addRequest(request) != 0) {
    delete request;
    delete state;
    return false;
  }
  std::unique_lock<std::mutex> lock(done->mutex);
  return done->cv.wait_for(lock, watchdog, [&] { return done->done; });
}

}  // namespace kvtest
