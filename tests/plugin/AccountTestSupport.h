// Fixture of the account tests: a provider with its options configured
// behind the capturing executor; the canned answers are the shared ones.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "PluginTestSupport.h"
#include "ServiceAnswers.h"
#include "account/AccountCommands.h"

namespace kvtest {

class AccountTest : public ::testing::Test {
 protected:
  void SetUp() override {
    configure();
    resetLogs();
  }
  void TearDown() override {
    executor.dropAll();
    clearConfiguration();
    resetLogs();
  }

  // The command record travelling with captured request `i`.
  W::KVServiceCMD* commandOf(size_t i) {
    W::HttpRequest* request = executor.at(i);
    if (request == nullptr) return nullptr;
    return static_cast<W::KVServiceArgs*>(request->getArg())->pCmd;
  }

  CapturingExecutor executor;
  W::WKVOAI oai;
  int userData = 0;
  int cancelUserData = 0;
};

}  // namespace kvtest
