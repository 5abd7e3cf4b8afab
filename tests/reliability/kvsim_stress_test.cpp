// Thousands of plug-in operations against a real kvsim process that injects
// faults (latency, forced codes and service errors, truncated and malformed
// bodies, dropped connections) while a host thread cancels at random and
// polls progress. Every operation must report exactly once (its own callback
// or the cancel callback), nothing may call back after destroyPlugin, and
// every downloaded file must be complete with no temporary file left behind.
// Leaks are LeakSanitizer's part in the ASan tree.
#include <sys/stat.h>

#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <thread>
#include <vector>

#include "ExecutorTurn.h"
#include "KvsimProcess.h"
#include "KvsimWorkload.h"
#include "TestFiles.h"
#include "frame/WKVOAI.h"
#include "frame/WPlugin.h"

extern "C" W::WPlugin* createPlugin();
extern "C" void destroyPlugin(W::WPlugin* plugin);

namespace {

// Operation count: KV_STRESS_OPS overrides the default of the suite.
int operationCount() {
  const char* env = std::getenv("KV_STRESS_OPS");
  if (env != nullptr && std::atoi(env) > 0) return std::atoi(env);
  return KV_STRESS_DEFAULT_OPS;
}

constexpr int kInFlight = 8;      // operations outstanding at once
constexpr int kFaultBatch = 100;  // new fault rules every this many operations
constexpr auto kReportWait = std::chrono::seconds(60);

using kvload::Kind;
using kvload::kMedia;
using kvload::Operation;

TEST(KvsimStress, EveryOperationReportsOnceUnderFaultsAndFilesAreWholeOrAbsent) {
  kvtest::KvsimProcess::Options options;
  options.flags = {"--exit-after", "900"};
  kvtest::KvsimProcess kvsim(KVSIM, options);
  ASSERT_TRUE(kvsim.running()) << kvsim.error();
  httplib::Client admin("127.0.0.1", kvsim.port());
  admin.set_read_timeout(10, 0);

  // The bytes every download must end up with.
  std::vector<std::string> served;
  for (const char* path : kMedia) {
    auto res = admin.Get(path);
    ASSERT_TRUE(res && res->status == 200) << path;
    served.push_back(res->body);
  }
  const kvtest::TempDir temp("kv-stress");
  const std::string& dir = temp.path();
  ASSERT_FALSE(dir.empty());
  kvload::configure(kvsim.baseUrl());

  const int total = operationCount();
  std::vector<std::unique_ptr<Operation>> ops;
  ops.reserve(static_cast<size_t>(total));
  kvload::OperationRun run;
  std::mt19937 rng(20261208);
  int rulesInstalled = 0;
  int refused = 0;
  std::atomic<int> cancelsAccepted{0};
  std::map<W::WSTATUS, int> statuses;

  W::WPlugin* plugin = createPlugin();
  ASSERT_NE(plugin, nullptr);
  W::WKVOAI* oai = static_cast<W::WKVOAI*>(plugin);
  kvload::logIn(*oai);

  const auto start = std::chrono::steady_clock::now();
  std::atomic<bool> stopHost{false};
  // The host: random cancels and progress polls while operations run.
  std::thread host([&] {
    std::mt19937 local(7);
    while (!stopHost.load()) {
      double done = 0;
      double all = 0;
      oai->progressStatus(oai->getContentProvider(), done, all, nullptr);
      if (local() % 8 == 0 &&
          oai->cancel(oai->getContentProvider(), kvload::onCancel, nullptr) == 0)
        cancelsAccepted.fetch_add(1);
      std::this_thread::sleep_for(std::chrono::microseconds(200 + local() % 800));
    }
  });

  testing::internal::CaptureStdout();  // every injected failure is logged
  for (int i = 0; i < total; ++i) {
    if (i % kFaultBatch == 0) rulesInstalled += kvload::installFaults(admin, rng);
    auto op = std::make_unique<Operation>();
    const int pick = static_cast<int>(rng() % 20);
    // Downloads 30 %, the six other kinds (before Download) evenly.
    op->kind = pick < 6 ? Kind::Download : static_cast<Kind>(pick % 6);
    if (op->kind == Kind::Download) {
      op->media = static_cast<int>(rng() % (sizeof(kMedia) / sizeof(kMedia[0])));
      op->file = "op" + std::to_string(i) + ".bin";
    }
    op->run = &run;
    run.acquire(kInFlight, kReportWait);
    if (kvload::startOperation(*oai, *op, kvsim.baseUrl(), dir) != 0) {
      refused++;
      run.release();
      op->reports.store(-1);  // never started: no report expected
    }
    ops.push_back(std::move(op));
  }
  const bool allReported = run.awaitIdle(kReportWait);
  stopHost.store(true);
  host.join();
  destroyPlugin(plugin);
  run.markDestroyed();
  // A stray callback of a transfer destroyPlugin left behind lands by then.
  EXPECT_TRUE(kvtest::awaitExecutorTurn(kvsim.baseUrl() + kMedia[0]));
  // Keep test failures visible; count the plug-in's failure log lines.
  int logLines = 0;
  {
    std::istringstream captured(testing::internal::GetCapturedStdout());
    std::string line;
    while (std::getline(captured, line)) {
      if (line.rfind("#ERROR ", 0) == 0) {
        logLines++;
      } else if (!line.empty()) {
        std::printf("%s\n", line.c_str());
      }
    }
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_TRUE(allReported) << run.outstanding() << " operations never reported";

  // Every started operation: exactly one report, none late.
  int cancelled = 0;
  int downloadsOk = 0;
  int downloadsFailed = 0;
  int keptAfterCancelOrFailure = 0;
  std::map<std::string, int> perKind;
  std::map<std::string, std::map<W::WSTATUS, int>> kindStatuses;
  for (size_t i = 0; i < ops.size(); ++i) {
    const Operation& op = *ops[i];
    if (op.reports.load() == -1) continue;
    perKind[kvload::kindName(op.kind)]++;
    EXPECT_EQ(op.reports.load(), 1) << "operation " << i << " " << kvload::kindName(op.kind);
    EXPECT_EQ(op.lateReports.load(), 0) << "operation " << i << " reported after destroyPlugin";
    if (op.viaCancel.load()) cancelled++;
    statuses[op.status.load()]++;
    kindStatuses[kvload::kindName(op.kind)][op.status.load()]++;
    if (op.kind != Kind::Download) continue;
    const std::string path = dir + "/" + op.file;
    struct stat st;
    const bool present = stat(path.c_str(), &st) == 0;
    // A reported success has its file; any file present (a cancel that came
    // after the transfer ended may leave one) holds exactly the served bytes.
    if (op.status.load() == 0 && !op.viaCancel.load()) {
      downloadsOk++;
      EXPECT_TRUE(present) << "lost file " << op.file;
    } else {
      downloadsFailed++;
      keptAfterCancelOrFailure += present;
    }
    if (present) {
      EXPECT_TRUE(kvtest::readFile(path) == served[op.media])
          << "half-written " << op.file << " status " << op.status.load() << " cancel "
          << op.viaCancel.load() << " holds " << kvtest::readFile(path).size()
          << " bytes: " << kvtest::readFile(path).substr(0, 40);
    }
    if (HasFailure()) break;
  }
  // Nothing but the finished downloads: no temporary file left.
  for (const std::string& name : temp.entries())
    EXPECT_EQ(name.rfind("op", 0), 0u) << "left over: " << name;

  int requests = 0;
  const std::map<std::string, int> faults = kvload::faultsApplied(admin, &requests);
  kvload::unconfigure();

  std::printf(
      "operations=%d refused=%d seconds=%.1f requests=%d fault_rules=%d "
      "cancels_accepted=%d cancel_reports=%d downloads_ok=%d downloads_failed=%d "
      "complete_file_kept_after_cancel=%d failure_log_lines=%d\n",
      total, refused, seconds, requests, rulesInstalled, cancelsAccepted.load(), cancelled,
      downloadsOk, downloadsFailed, keptAfterCancelOrFailure, logLines);
  std::printf("faults:");
  for (const auto& f : faults) std::printf(" %s=%d", f.first.c_str(), f.second);
  std::printf("\nstatuses:");
  for (const auto& s : statuses) std::printf(" %d=%d", s.first, s.second);
  std::printf("\n");
  for (const auto& k : perKind) {
    std::printf("%s=%d:", k.first.c_str(), k.second);
    for (const auto& st : kindStatuses[k.first]) std::printf(" %d=%d", st.first, st.second);
    std::printf("\n");
  }
  EXPECT_GE(total - refused, total * 9 / 10) << "most operations must start";
  EXPECT_GT(downloadsOk, 0);
  EXPECT_GT(downloadsFailed, 0) << "no download was cut by a fault or a cancel";
  EXPECT_GT(cancelled, 0);
}

}  // namespace
