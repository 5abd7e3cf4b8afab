// --cancel-after end to end: a slow download, a slow fetch, an upload whose
// answer is late and a plain request, each cancelled while in flight, must
// end through the cancel callback (status 0) and never through their own.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "E2eSupport.h"

namespace e2e {
namespace {

using Clock = std::chrono::steady_clock;

// Media trickles out at 16 bytes every 200 ms: any picture takes far longer
// than the bounds below.
const char* const kSlowMedia = "kind=slow&path=^/media/&bytes=16&interval_ms=200";

size_t filesIn(const std::string& dir) {
  size_t n = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    (void)entry;
    ++n;
  }
  return n;
}

void expectCancelled(const HostRun& run, const std::string& op) {
  EXPECT_EQ(run.process.exitCode, 0) << run.describe();
  const nlohmann::json& cancel = run.last("cancel");
  EXPECT_EQ(number(cancel, "/status"), 0) << run.describe();
  EXPECT_EQ(text(cancel, "/cancelled"), op);
  EXPECT_TRUE(run.last(op).is_null()) << "the operation's own callback must not run\n"
                                      << run.describe();
}

TEST(Cancel, SlowDownloadEndsThroughTheCancelCallbackWithoutAFile) {
  Kvsim sim({"--fault", kSlowMedia});
  ASSERT_TRUE(sim.running()) << sim.startError();
  TempDir dir;
  const auto start = Clock::now();
  HostRun run = runKvhost(sim, {"--cancel-after", "400", "download",
                                sim.baseUrl() + "/media/contents/c1001/photo.jpg", dir.path()});
  expectCancelled(run, "download");
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(30));
  EXPECT_EQ(filesIn(dir.path()), 0u) << "no partial file is left behind";
}

TEST(Cancel, SlowFetchEndsThroughTheCancelCallback) {
  Kvsim sim({"--fault", kSlowMedia});
  ASSERT_TRUE(sim.running()) << sim.startError();
  TempDir dir;
  HostRun run = runKvhost(
      sim, {"--cancel-after", "400", "fetch", sim.baseUrl() + "/media/contents/c1002/photo.jpg",
            "--out", dir.path() + "/copy.jpg"});
  expectCancelled(run, "fetch");
  EXPECT_EQ(filesIn(dir.path()), 0u);
}

TEST(Cancel, UploadWaitingForItsAnswerEndsThroughTheCancelCallback) {
  Kvsim sim({"--fault", "kind=latency&path=^/upload/&ms=120000"});
  ASSERT_TRUE(sim.running()) << sim.startError();
  TempDir dir;
  const std::string photo = dir.write("big.jpg", "\xff\xd8\xff\xe0" + std::string(256 * 1024, 'x'));
  const auto start = Clock::now();
  HostRun run = runKvhost(sim, {"--cancel-after", "500", "upload", "g1", photo});
  expectCancelled(run, "upload");
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(30)) << "the late answer is not awaited";
  EXPECT_EQ(sim.logLinesWith({"POST /openapi/service/kinvale/g1/upload ", "code=200"}).size(), 1u)
      << "the upload slot was granted before the cancel";
}

TEST(Cancel, PlainRequestIsCancelledByTheFlag) {
  // A plain request's cancel is reported when its answer comes: late enough
  // (fifteen times the cancel delay) to follow the cancel, well within --timeout.
  Kvsim sim({"--fault", "kind=latency&path=feeds&ms=3000"});
  ASSERT_TRUE(sim.running()) << sim.startError();
  HostRun run = runKvhost(sim, {"--cancel-after", "200", "feed", "g1", "--before", "latest"});
  expectCancelled(run, "feed");
}

TEST(Cancel, OperationThatEndsFirstIsNotCancelled) {
  Kvsim sim;
  ASSERT_TRUE(sim.running()) << sim.startError();
  const auto start = Clock::now();
  HostRun run = runKvhost(sim, {"--cancel-after", "120000", "groups"});
  EXPECT_EQ(run.process.exitCode, 0) << run.describe();
  EXPECT_EQ(number(run.last("groups"), "/status"), 0);
  EXPECT_TRUE(run.last("cancel").is_null());
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(30)) << "kvhost does not sit out the timer";
}

}  // namespace
}  // namespace e2e
