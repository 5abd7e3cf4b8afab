// Instrumented command records for the frame tests: they count their
// destructions and carry the fields the completion skeleton reads.
#pragma once

#include <atomic>

#include "PluginTestSupport.h"
#include "frame/KVServiceCMD.h"
#include "frame/WKVOAI.h"

namespace kvtest {

struct CountingCMD : W::KVServiceCMD {
  explicit CountingCMD(std::atomic<int>& deaths, W::UINT32 key = W::KV_CMD_UNUSED)
      : W::KVServiceCMD(provider()), m_deaths(deaths) {
    setCMDKey(key);
  }
  ~CountingCMD() override { ++m_deaths; }
  W::KVAccountCallback callback = nullptr;
  void* userData = nullptr;
  W::WKVOAI* pOAI = nullptr;

 private:
  std::atomic<int>& m_deaths;
};

}  // namespace kvtest
