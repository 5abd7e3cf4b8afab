// The plug-in as a host drives it, in-process: the provider made by
// createPlugin on the host's real executor, configured for a kvsim account,
// and operations started one at a time with a bounded wait for their
// completion callback.
#pragma once

#include <W/HttpHeader.h>

#include <condition_variable>
#include <mutex>
#include <string>

#include "LinkedPlugin.h"

namespace kvbench {

// One completed operation's status, handed from the executor's thread.
class Completion {
 public:
  void reset();
  // Called from the callback; wakes wait().
  void finish(int status, size_t items);
  // Waits up to `timeoutMs`. Returns false on timeout; else the status and
  // item count the callback reported.
  bool wait(int timeoutMs, int& status, size_t& items);

 private:
  std::mutex m_lock;  // guards the fields below
  std::condition_variable m_done;
  bool m_finished = false;
  int m_status = 0;
  size_t m_items = 0;
};

// What the plug-in would send for a group list: the URL and the headers.
struct CapturedRequest {
  std::string url;
  W::HttpHeader header;
};

class PluginSession {
 public:
  // The provider is destroyed with destroyPlugin: no completion runs after.
  PluginSession() = default;

  PluginSession(const PluginSession&) = delete;
  PluginSession& operator=(const PluginSession&) = delete;

  // Points the provider at `baseUrl` with kvsim's default account and
  // authenticates. Returns 0, or the failing status (-1 when no provider
  // or no answer within 10 s).
  int connect(const std::string& baseUrl);

  // One group list of the logged-in person ("me"), first page of 10,
  // waiting for its callback. Returns the callback's status (-1 on a
  // refusal with no callback, or after 10 s); `groups` the groups it got.
  int listGroups(size_t& groups);

  // The request listGroups() makes, taken from the executor before it goes
  // out (the operation is then refused and no callback runs). False when
  // nothing reached the executor.
  bool captureGroupList(CapturedRequest& out);

  // Reads a group list answer with the plug-in's own parser, as its
  // completion does. Returns the parser's status; `groups` the groups read.
  int parseGroupList(const std::string& payload, size_t& groups);

 private:
  // The callback's status for an operation that returned `started`.
  int waitFor(int started, size_t* items);

  Completion m_completion;  // declared first: outlives the provider
  LinkedProvider m_provider;
};

}  // namespace kvbench
