// The Driver against a scripted provider: callbacks from another thread,
// refusals, timeouts, --cancel-after and progress polling.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Driver.h"
#include "ProviderConfig.h"
#include "ThreadWait.h"

namespace kvhost {
namespace {

using namespace W;
using std::chrono::milliseconds;

// A provider whose authKV and cancel behave as each test scripts them;
// callbacks come from threads of its own, like the executor's. A scripted
// completion waits for the events it is given (cancel calls, progress polls)
// with a watchdog that only a hang reaches.
class ScriptedProvider : public WKinvaleOAI {
 public:
  ScriptedProvider() : WKinvaleOAI(kinvaleIdentity()) {}
  ~ScriptedProvider() override {
    for (std::thread& t : m_threads) t.join();
  }

  WSTATUS startStatus = 0;
  bool completes = false;
  int completeAfterCancels = 0;  // completes once cancel() was called this often
  int completeAfterPolls = 0;    // ... and progressStatus() this often
  int completeAfterMs = 0;       // then after this pause
  WSTATUS completeStatus = 0;
  WSTATUS cancelResult = 0;
  std::atomic<int> cancelCalls{0};
  std::atomic<int> progressCalls{0};
  std::atomic<pid_t> pollerThread{0};
  std::atomic<bool> cancelIdentityMatched{false};

  WSTATUS authKV(KVAccountCallback callback, VOID* userData) override {
    if (startStatus != 0) return startStatus;
    if (completes) {
      m_threads.emplace_back([=] {
        {
          std::unique_lock<std::mutex> lock(m_lock);
          m_changed.wait_for(lock, std::chrono::seconds(30), [&] {
            return cancelCalls >= completeAfterCancels && progressCalls >= completeAfterPolls;
          });
        }
        std::this_thread::sleep_for(milliseconds(completeAfterMs));
        callback(completeStatus, m_provider, userData);
      });
    }
    return 0;
  }
  WSTATUS cancel(const WContentProvider& provider, KVCancelCallback callback,
                 VOID* userData) override {
    count(cancelCalls);
    cancelIdentityMatched = provider.getID() == m_provider.getID();
    if (cancelResult != 0) return cancelResult;
    // The pending command's completion reports the cancel with status 0.
    m_threads.emplace_back([=] { callback(0, m_provider, userData); });
    return 0;
  }
  WSTATUS progressStatus(const WContentProvider&, double& done, double& total, VOID*) override {
    pollerThread = kvtest::threadId();
    count(progressCalls);
    done = 1;
    total = 2;
    return 0;
  }

  // Everything else is not used by these tests.
  WSTATUS login(const STRING&, const STRING&, KVLoginCallback, VOID*) override { return -15; }
  WSTATUS logout(KVAccountCallback, VOID*) override { return -15; }
  WSTATUS retrieveExceptions(std::list<WException*>&) override { return -15; }
  WSTATUS resolveException(WException*, KVResolveCallback, VOID*) override { return -15; }
  WSTATUS registerKV(KVAccountCallback, VOID*) override { return -15; }
  WSTATUS unregisterKV(KVAccountCallback, VOID*) override { return -15; }
  WSTATUS retrieveGroupList(const WPerson&, KVGroupListCallback, UINT32, UINT32, KV_OPTION_SORT,
                            KV_OPTION_INCLUDE, VOID*) override {
    return -15;
  }
  WSTATUS createGroup(const WGroup&, const WPerson&, KVGroupCallback, VOID*) override {
    return -15;
  }
  WSTATUS deleteGroup(const WGroup&, KVGroupCallback, VOID*) override { return -15; }
  WSTATUS retrieveGroupFeeds(const WGroup&, const STRING&, const STRING&, UINT32, KV_SEARCH_BASE,
                             KV_OPTION_ITEM, KV_OPTION_INCLUDE, KVContentListCallback,
                             VOID*) override {
    return -15;
  }
  WSTATUS retrieveGroupGallery(const WGroup&, KV_CONTENT_TYPE, UINT32, KV_SEARCH_DIRECTION,
                               KV_OPTION_SORT, KV_OPTION_ORDER, KVContentListCallback,
                               VOID*) override {
    return -15;
  }
  WSTATUS createContent(const WGroup&, const WContent&, KV_CONTENT_TYPE, const STRING&,
                        KVContentCreationCallback, VOID*) override {
    return -15;
  }
  WSTATUS deleteContent(const WContent&, KVContentCallback, VOID*) override { return -15; }
  WSTATUS updateContent(const WContent&, const STRING&, KVContentUpdateCallback, VOID*) override {
    return -15;
  }
  WSTATUS viewContent(const WContent&, KVContentCallback, VOID*) override { return -15; }
  WSTATUS createComment(const WContent&, const WComment&, KVCommentTextCallback, VOID*) override {
    return -15;
  }
  WSTATUS deleteComment(const WComment&, KVCommentCallback, VOID*) override { return -15; }
  WSTATUS updateComment(const WComment&, KVCommentCallback, VOID*) override { return -15; }
  WSTATUS viewComment(const WComment&, KVCommentTextCallback, VOID*) override { return -15; }
  WSTATUS download(const WContentProvider&, const STRING&, const STRING&, const STRING&,
                   KVDirectDownloadCallback, VOID*) override {
    return -15;
  }
  WSTATUS retrieveComments(const WContent&, KVCommentListCallback, UINT32, UINT32, VOID*) override {
    return -15;
  }

 private:
  void count(std::atomic<int>& calls) {
    std::lock_guard<std::mutex> lock(m_lock);
    ++calls;
    m_changed.notify_all();
  }

  std::mutex m_lock;  // orders the counts with the scripted completion's wait
  std::condition_variable m_changed;
  std::vector<std::thread> m_threads;
};

struct DriverTest : ::testing::Test {
  DriverTest() {
    invocation.json = true;
    invocation.timeoutSec = 30;  // a watchdog: every callback here comes at once
  }

  // Runs "auth" through the driver and returns the outcome; `stdoutText`
  // gets what it printed.
  Outcome runAuth(RunMode mode = RunMode()) {
    Driver driver(provider, context, invocation, stdout);
    ::testing::internal::CaptureStdout();
    Outcome outcome = driver.run(
        "auth", [&](void* ud) { return provider.authKV(&callbacks::onAccount, ud); }, mode);
    stdoutText = ::testing::internal::GetCapturedStdout();
    return outcome;
  }

  CallContext context;  // outlives the provider's callback threads
  ScriptedProvider provider;
  Invocation invocation;
  std::string stdoutText;
};

TEST_F(DriverTest, CallbackFromAnotherThreadIsPrintedAndDecidesTheOutcome) {
  provider.completes = true;
  provider.completeStatus = 100;
  const Outcome outcome = runAuth();
  EXPECT_EQ(outcome.kind, Outcome::kCompleted);
  EXPECT_EQ(outcome.status, 100);
  EXPECT_EQ(exitCodeOf(outcome), 0);
  EXPECT_EQ(stdoutText,
            "{\"op\":\"auth\",\"status\":100,\"status_name\":\"WSTATUS_MORE_ITEMS\"}\n");
}

TEST_F(DriverTest, ImmediateRefusalIsReportedWithoutWaiting) {
  provider.startStatus = -202;
  const Outcome outcome = runAuth();
  EXPECT_EQ(outcome.kind, Outcome::kRefused);
  EXPECT_EQ(exitCodeOf(outcome), 1);
  EXPECT_EQ(stdoutText,
            "{\"op\":\"auth\",\"status\":-202,\"status_name\":\"WSTATUS_NOT_LOGGED_IN\","
            "\"stage\":\"start\"}\n");
}

TEST_F(DriverTest, MissingCallbackEndsAfterTheTimeout) {
  invocation.timeoutSec = 1;
  const auto start = std::chrono::steady_clock::now();
  const Outcome outcome = runAuth();
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(outcome.kind, Outcome::kTimedOut);
  EXPECT_EQ(exitCodeOf(outcome), 1);
  EXPECT_GE(took, milliseconds(1000));
  EXPECT_LT(took, milliseconds(10000));
  EXPECT_EQ(stdoutText, "");
}

TEST_F(DriverTest, CancelAfterReportsTheCancelCallbackInsteadOfTheOperation) {
  invocation.cancelAfterMs = 30;
  const Outcome outcome = runAuth();
  EXPECT_EQ(provider.cancelCalls, 1);
  EXPECT_TRUE(provider.cancelIdentityMatched);
  EXPECT_EQ(outcome.kind, Outcome::kCompleted);
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(stdoutText,
            "{\"op\":\"cancel\",\"status\":0,\"status_name\":\"WSTATUS_SUCCESS\","
            "\"cancelled\":\"auth\"}\n");
}

TEST_F(DriverTest, NoCancelWhenTheOperationEndsFirst) {
  invocation.cancelAfterMs = 120000;
  provider.completes = true;
  const auto start = std::chrono::steady_clock::now();
  runAuth();
  // Milliseconds expected; sitting out the cancel timer would take minutes.
  EXPECT_LT(std::chrono::steady_clock::now() - start, milliseconds(10000));
  EXPECT_EQ(provider.cancelCalls, 0);
}

TEST_F(DriverTest, NotCancellableOperationIgnoresCancelAfter) {
  invocation.cancelAfterMs = 0;
  // A cancel timer wrongly started fires at once, well within this pause; a
  // correct run passes whatever the pause.
  provider.completes = true;
  provider.completeAfterMs = 50;
  RunMode login;
  login.cancellable = false;
  const Outcome outcome = runAuth(login);
  EXPECT_EQ(provider.cancelCalls, 0);
  EXPECT_EQ(outcome.status, 0);
}

TEST_F(DriverTest, RefusedCancelLeavesTheOperationToFinish) {
  invocation.cancelAfterMs = 10;
  provider.cancelResult = -14;
  provider.completes = true;
  provider.completeAfterCancels = 1;
  provider.completeStatus = -205;
  const Outcome outcome = runAuth();
  EXPECT_EQ(provider.cancelCalls, 1);
  EXPECT_EQ(outcome.kind, Outcome::kCompleted);
  EXPECT_EQ(outcome.status, -205);
  EXPECT_EQ(exitCodeOf(outcome), 1);
}

TEST_F(DriverTest, TransferPollsProgressWhileItRuns) {
  invocation.forceProgress = true;
  provider.completes = true;
  provider.completeAfterPolls = 3;
  RunMode transfer;
  transfer.transfer = true;
  const auto start = std::chrono::steady_clock::now();
  runAuth(transfer);
  const auto tookMs =
      std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - start).count();
  EXPECT_GE(provider.progressCalls, 3);
  // Polled every 100 ms: even ten times that rate is far from a busy loop.
  EXPECT_LE(provider.progressCalls, 5 + tookMs / 10) << "after " << tookMs << " ms";
  // Polling stopped with the operation: its thread is gone.
  ASSERT_NE(provider.pollerThread, 0);
  EXPECT_NE(access(("/proc/self/task/" + std::to_string(provider.pollerThread)).c_str(), F_OK), 0);
}

TEST(ExitCode, ZeroOnlyForSuccessAndMoreItems) {
  const struct {
    Outcome outcome;
    int code;
  } cases[] = {
      {{Outcome::kCompleted, 0}, 0},   {{Outcome::kCompleted, 100}, 0},
      {{Outcome::kCompleted, -16}, 1}, {{Outcome::kCompleted, 1}, 1},
      {{Outcome::kRefused, -1}, 1},    {{Outcome::kTimedOut, 0}, 1},
      {{Outcome::kFailed, 0}, 1},
  };
  for (const auto& c : cases) EXPECT_EQ(exitCodeOf(c.outcome), c.code);
}

}  // namespace
}  // namespace kvhost
