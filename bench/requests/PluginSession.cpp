// Drives the provider through its host interface and the real executor.
#include "PluginSession.h"

#include <W/WConfigManager.h>

#include <chrono>

#include "HttpTestHook.h"

namespace kvbench {

namespace {

constexpr int kWaitMs = 10000;

void onAccount(W::WSTATUS status, const W::WContentProvider&, W::VOID* userData) {
  static_cast<Completion*>(userData)->finish(static_cast<int>(status), 0);
}

void onGroupList(W::WSTATUS status, const W::WContentProvider&,
                 const W::WContainer<W::WGroup>& groups, const W::WPerson&, W::VOID* userData) {
  static_cast<Completion*>(userData)->finish(static_cast<int>(status), groups.getData().size());
}

}  // namespace

void Completion::reset() {
  std::lock_guard<std::mutex> lock(m_lock);
  m_finished = false;
}

void Completion::finish(int status, size_t items) {
  std::lock_guard<std::mutex> lock(m_lock);
  m_finished = true;
  m_status = status;
  m_items = items;
  // Under the lock: once the waiter sees m_finished it may destroy us.
  m_done.notify_one();
}

bool Completion::wait(int timeoutMs, int& status, size_t& items) {
  std::unique_lock<std::mutex> lock(m_lock);
  if (!m_done.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_finished; }))
    return false;
  status = m_status;
  items = m_items;
  return true;
}

int PluginSession::connect(const std::string& baseUrl) {
  if (m_provider.get() == nullptr) return -1;
  W::WConfigManager& config = W::WConfigManager::getInstance();
  const W::WContentProvider& identity = m_provider->getContentProvider();
  config.setCPOption(identity, "base_url", baseUrl);
  config.setCPOption(identity, "app_id", "kvdemo-app");
  config.setCPOption(identity, "AuthToken", "kvdemo-token");
  config.setCPOption(identity, "duid", "kvdemo-tv-0001");
  m_completion.reset();
  return waitFor(m_provider->authKV(&onAccount, &m_completion), nullptr);
}

int PluginSession::listGroups(size_t& groups) {
  if (m_provider.get() == nullptr) return -1;
  m_completion.reset();
  const W::WSTATUS started =
      m_provider->retrieveGroupList(W::WPerson(), &onGroupList, 0, 10, W::KV_SORT_ALPHABETICAL,
                                    W::KV_INCLUDE_NONE, &m_completion);
  return waitFor(started, &groups);
}

bool PluginSession::captureGroupList(CapturedRequest& out) {
  bool captured = false;
  W::HttpTestHook hook;
  hook.onAdd = [&](W::HttpRequest* request) {
    out.url = request->getURL();
    out.header = request->getHeader();
    captured = true;
    return -1;  // refused: the plug-in keeps and deletes the request
  };
  hook.onFlush = [](unsigned long long) {};
  W::setHttpTestHook(hook);
  size_t groups = 0;
  listGroups(groups);
  W::setHttpTestHook(W::HttpTestHook());
  return captured;
}

int PluginSession::parseGroupList(const std::string& payload, size_t& groups) {
  if (m_provider.get() == nullptr) return -1;
  W::WContainer<W::WGroup> list;
  W::UINT32 count = 0;
  const int status = parseGroupListAnswer(*m_provider, payload, list, count);
  groups = list.getData().size();
  return status;
}

int PluginSession::waitFor(int started, size_t* items) {
  if (started != 0) return started;
  int status = -1;
  size_t count = 0;
  if (!m_completion.wait(kWaitMs, status, count)) return -1;
  if (items != nullptr) *items = count;
  return status;
}

}  // namespace kvbench
