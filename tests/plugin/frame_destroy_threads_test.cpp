// Races the provider's cancel, progress and completion paths, and destroys it
// with requests queued or in flight, through the real executor against a
// loopback server. Protects three promises: no callback after destroyPlugin
// returns, at most one report per operation (exactly one when the provider
// lives until it answers), and clean ThreadSanitizer and LeakSanitizer runs.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <deque>
#include <random>
#include <thread>

#include "ExecutorTurn.h"
#include "PluginTestSupport.h"
#include "frame/WPlugin.h"
#include "http_test_support.h"

extern "C" W::WPlugin* createPlugin();
extern "C" void destroyPlugin(W::WPlugin* plugin);

namespace {

constexpr int kOpsPerRound = 4;
// Rounds are bounded by count and by time, whichever ends first: a sanitizer
// build is many times slower than a plain one.
constexpr int kMaxRounds = 3000;
constexpr int kMinRounds = 300;
constexpr std::chrono::seconds kTimeBudget(12);

const char kGroupList[] =
    "<rsp><result><stat>ok</stat><desc/></result><data totalCount=\"1\">"
    "<group groupId=\"g1\" groupName=\"Family\"><master><userId>u1</userId></master></group>"
    "</data></rsp>";
const char kFeeds[] =
    "<rsp><result><stat>ok</stat><desc/></result><data>"
    "<content contentId=\"c1\"><contentType>photo</contentType></content></data></rsp>";
const char kDeleted[] = "<rsp><result><stat>ok</stat><desc/></result><data/></rsp>";

// What one round's operations reported. Callbacks find their slot through
// the user data; `destroyed` is set as soon as destroyPlugin has returned.
struct Round {
  std::atomic<bool> destroyed{false};
  std::array<std::atomic<int>, kOpsPerRound> reports{};
  std::atomic<int> lateCallbacks{0};
  std::atomic<int> cancelReports{0};

  int total() const {
    int n = 0;
    for (const auto& r : reports) n += r.load();
    return n;
  }
};

// Slot pointers carry the round and the operation: round->reports[i].
struct Slot {
  Round* round;
  int op;
};

void record(void* userData, bool viaCancel) {
  Slot* slot = static_cast<Slot*>(userData);
  if (slot == nullptr) return;
  if (slot->round->destroyed.load()) slot->round->lateCallbacks.fetch_add(1);
  slot->round->reports[slot->op].fetch_add(1);
  if (viaCancel) slot->round->cancelReports.fetch_add(1);
}

void onGroupList(W::WSTATUS, const W::WContentProvider&, const W::WContainer<W::WGroup>&,
                 const W::WPerson&, void* userData) {
  record(userData, false);
}
void onContentList(W::WSTATUS, const W::WContentProvider&, const W::WContainer<W::WContent>&,
                   void* userData) {
  record(userData, false);
}
void onGroup(W::WSTATUS, const W::WContentProvider&, const W::WGroup&, void* userData) {
  record(userData, false);
}
void onCancelled(W::WSTATUS, const W::WContentProvider&, void* userData) {
  record(userData, true);
}

// Answers every service path after a short random delay, so that requests
// are still queued or in flight when the provider goes.
void serveService(httptest::LoopbackServer& server) {
  auto answer = [](const httplib::Request& req, httplib::Response& res) {
    thread_local std::minstd_rand rng(std::random_device{}());
    std::this_thread::sleep_for(std::chrono::microseconds(rng() % 1500));
    const char* body = kDeleted;
    if (req.path.find("group.list") != std::string::npos) body = kGroupList;
    if (req.path.find("/feeds") != std::string::npos) body = kFeeds;
    res.set_content(body, "text/xml");
  };
  server.http().Get(".*", answer);
  server.http().Post(".*", answer);
}

// Starts one operation of kind `op`; returns its immediate status.
W::WSTATUS startOperation(W::WKVOAI& oai, int op, Slot* slot) {
  W::WGroup group;
  group.setUID("g1");
  switch (op % 3) {
    case 0:
      return oai.retrieveGroupList(W::WPerson(), onGroupList, 0, 10, W::KV_SORT_ALPHABETICAL,
                                   W::KV_INCLUDE_ALL, slot);
    case 1:
      return oai.retrieveGroupFeeds(group, "latest", "", 10, W::KV_BASE_CREATED_TIME,
                                    W::KV_ITEM_ALL, W::KV_INCLUDE_ALL, onContentList, slot);
    default:
      return oai.deleteGroup(group, onGroup, slot);
  }
}

// How a round ends.
enum class Ending {
  DestroyAtOnce,       // requests still queued
  DestroyInFlight,     // after a random short while
  WaitThenDestroy,     // every operation answered first
  CancelRaceThenWait,  // cancel and progress race the completions, then wait
};

// Prints captured standard output except the plug-in's failure log lines
// (refused cancels, cancelled transfers), so test failures stay visible.
void echoWithoutLogLines(const std::string& text) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    if (!line.empty() && line.rfind("#ERROR ", 0) != 0) std::printf("%s\n", line.c_str());
    start = end + 1;
  }
}

bool waitForReports(Round& round, int expected, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (round.total() < expected && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  return round.total() >= expected;
}

TEST(DestroyThreads, NoCallbackAfterDestroyAndEveryOperationReportsAtMostOnce) {
  httptest::LoopbackServer server;
  serveService(server);
  ASSERT_TRUE(server.start());
  kvtest::configure("app-1", "token-1", "duid-1", server.url(""));

  std::minstd_rand rng(20261208);
  const auto start = std::chrono::steady_clock::now();
  int rounds = 0;
  int started = 0;
  int exactOnceChecked = 0;
  int cancelReports = 0;
  int destroyedWithPending = 0;
  // Every round's records outlive the loop, so that a stray late callback
  // is counted instead of touching freed memory.
  std::deque<Round> allRounds;
  std::deque<std::array<Slot, kOpsPerRound>> allSlots;
  testing::internal::CaptureStdout();  // refused cancels and failures are logged
  for (; rounds < kMaxRounds; ++rounds) {
    if (rounds >= kMinRounds && std::chrono::steady_clock::now() - start > kTimeBudget) break;
    Round& round = allRounds.emplace_back();
    std::array<Slot, kOpsPerRound>& slots = allSlots.emplace_back();
    for (int i = 0; i < kOpsPerRound; ++i) slots[i] = Slot{&round, i};
    const Ending ending = static_cast<Ending>(rounds % 4);

    W::WPlugin* plugin = createPlugin();
    ASSERT_NE(plugin, nullptr);
    W::WKVOAI* oai = static_cast<W::WKVOAI*>(plugin);
    kvtest::logIn(*oai);

    std::atomic<bool> stopHost{false};
    std::thread host;
    if (ending == Ending::CancelRaceThenWait || ending == Ending::DestroyInFlight) {
      // A host thread asking for cancel and progress while completions run.
      host = std::thread([&] {
        std::minstd_rand local(static_cast<unsigned>(rounds));
        while (!stopHost.load()) {
          double done = 0;
          double total = 0;
          oai->progressStatus(kvtest::provider(), done, total, nullptr);
          if (local() % 4 == 0) oai->cancel(kvtest::provider(), onCancelled, nullptr);
          std::this_thread::yield();
        }
      });
    }

    int expected = 0;
    std::array<bool, kOpsPerRound> accepted{};
    for (int i = 0; i < kOpsPerRound; ++i) {
      accepted[i] = startOperation(*oai, static_cast<int>(rng() % 3), &slots[i]) == 0;
      expected += accepted[i];
    }
    started += expected;

    // A random moment of the transfers, to vary the interleavings; no
    // outcome depends on its length.
    if (ending == Ending::DestroyInFlight)
      std::this_thread::sleep_for(std::chrono::microseconds(rng() % 3000));
    const bool waits = ending == Ending::WaitThenDestroy || ending == Ending::CancelRaceThenWait;
    if (waits) {
      EXPECT_TRUE(waitForReports(round, expected, std::chrono::seconds(30)))
          << "round " << rounds << ": " << round.total() << " of " << expected << " reported";
    }
    stopHost.store(true);
    if (host.joinable()) host.join();
    if (round.total() < expected) destroyedWithPending++;

    destroyPlugin(plugin);
    round.destroyed.store(true);

    // Anything still in the executor's hands would call back by its next turn.
    if (rounds % 50 == 0) {
      EXPECT_TRUE(kvtest::awaitExecutorTurn(server.url("/turn")));
    }
    for (int i = 0; i < kOpsPerRound; ++i) {
      EXPECT_LE(round.reports[i].load(), 1) << "round " << rounds << " op " << i;
      if (!accepted[i]) {
        EXPECT_EQ(round.reports[i].load(), 0) << "refused op reported";
      } else if (waits) {
        EXPECT_EQ(round.reports[i].load(), 1) << "round " << rounds << " op " << i;
      }
    }
    if (waits) exactOnceChecked += expected;
    cancelReports += round.cancelReports.load();
    ASSERT_EQ(round.lateCallbacks.load(), 0) << "callback after destroyPlugin, round " << rounds;
    if (HasFailure()) break;
  }
  // A last executor turn with no provider alive: a stray completion of any
  // round would land in its record by then.
  EXPECT_TRUE(kvtest::awaitExecutorTurn(server.url("/turn")));
  echoWithoutLogLines(testing::internal::GetCapturedStdout());
  int late = 0;
  for (const Round& r : allRounds) late += r.lateCallbacks.load();
  EXPECT_EQ(late, 0) << "callbacks after destroyPlugin";
  kvtest::clearConfiguration();

  EXPECT_GE(rounds, kMinRounds);
  EXPECT_GT(destroyedWithPending, 0) << "no round destroyed the provider with work pending";
  RecordProperty("rounds", rounds);
  RecordProperty("operations", started);
  RecordProperty("exactly_once_checked", exactOnceChecked);
  RecordProperty("cancel_reports", cancelReports);
  RecordProperty("destroyed_with_pending", destroyedWithPending);
  std::printf(
      "rounds=%d operations=%d exactly_once_checked=%d cancel_reports=%d "
      "destroyed_with_pending=%d\n",
      rounds, started, exactOnceChecked, cancelReports, destroyedWithPending);
}

// The interleaving the stress test found, replayed step by step: a cancel
// accepted while an earlier one is being reported must keep its callback, or
// the next cancelled operation reports nowhere.
TEST(DestroyThreads, CancelAcceptedWhileAnotherIsReportedStillReportsItsOperation) {
  kvtest::configure();
  kvtest::CapturingExecutor executor;
  Round round;
  Slot first{&round, 0};
  Slot second{&round, 1};
  {
    W::WKVOAI oai;
    kvtest::logIn(oai);
    ASSERT_EQ(startOperation(oai, 0, &first), 0);
    ASSERT_EQ(startOperation(oai, 1, &second), 0);
    ASSERT_EQ(executor.size(), 2u);
    testing::internal::CaptureStdout();
    ASSERT_EQ(oai.cancel(kvtest::provider(), onCancelled, nullptr), 0);
    // The first completion takes the cancel request...
    ASSERT_TRUE(oai.takeCancelRequest());
    // ...the host cancels again before that report has gone out...
    ASSERT_EQ(oai.cancel(kvtest::provider(), onCancelled, nullptr), 0);
    oai.cbCancelDone(0, &first);
    // ...and the second operation completes: it belongs to the second cancel.
    executor.complete(1, W::SESSION_OK, 200, kFeeds);
    echoWithoutLogLines(testing::internal::GetCapturedStdout());
    executor.dropAll();
  }
  kvtest::clearConfiguration();
  EXPECT_EQ(round.reports[0].load(), 1);
  EXPECT_EQ(round.reports[1].load(), 1) << "second cancelled operation reported nowhere";
  EXPECT_EQ(round.cancelReports.load(), 2);
}

}  // namespace
