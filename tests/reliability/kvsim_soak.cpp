// kvsim_soak [ROUNDS]: a host that keeps reloading the provider. Each round
// creates it (createPlugin), runs a mix of operations against a real kvsim
// process with faults on (lists, feeds, comments, views, registration,
// direct and content downloads, random cancels and progress polls), and
// destroys it (destroyPlugin): three rounds in four once every operation
// has reported, the fourth with operations still in flight. After each
// round it reads the process's heap in use, open descriptors and sockets,
// threads, the files in the plug-in's private download directory and what
// the host's download directory holds beyond finished files. The first quarter
// of the rounds is the warm-up; exits 1 when a gauge grows past the warm-up
// (or an operation reports twice, late or never), 2 when it cannot run.
// Everything it starts writes under a temporary directory it removes.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "ExecutorTurn.h"
#include "KvsimProcess.h"
#include "KvsimWorkload.h"
#include "ProcessGauges.h"
#include "TestFiles.h"
#include "frame/WPlugin.h"

extern "C" W::WPlugin* createPlugin();
extern "C" void destroyPlugin(W::WPlugin* plugin);

namespace {

using kvload::Gauges;
using kvload::Kind;
using kvload::Operation;

constexpr int kDefaultRounds = 100;
constexpr int kOpsPerRound = 200;
constexpr int kInFlight = 8;
constexpr int kFaultBatch = 100;  // new fault rules every this many operations
constexpr auto kReportWait = std::chrono::seconds(60);
// Heap in use moves with the connections libcurl keeps (a few KiB each)
// without anything leaking; growth is counted past this much.
constexpr long kHeapSlackBytes = 64 * 1024;

// What a round's operations told, summed over the run.
struct Tally {
  long started = 0;
  long refused = 0;
  long viaCancel = 0;
  long doubleReports = 0;
  long lateReports = 0;
  long neverReported = 0;
  long wrongBytes = 0;  // a download reported as success with other bytes
  std::map<W::WSTATUS, long> statuses;
};

Kind pickKind(std::mt19937& rng) {
  const int pick = static_cast<int>(rng() % 20);
  if (pick < 4) return Kind::Download;         // 20 %
  if (pick < 7) return Kind::ContentDownload;  // 15 %
  return static_cast<Kind>(pick % 6);          // the six service calls
}

// One provider's life: create, log in, operations under a cancelling host
// thread, destroy (waiting for every report unless `inFlight`).
void runRound(int round, bool inFlight, const std::string& base, const std::string& hostDir,
              const std::vector<std::string>& served, httplib::Client& admin, std::mt19937& rng,
              Tally& tally) {
  kvload::OperationRun run;
  std::vector<std::unique_ptr<Operation>> ops;
  ops.reserve(kOpsPerRound);
  W::WPlugin* plugin = createPlugin();
  W::WKVOAI* oai = static_cast<W::WKVOAI*>(plugin);
  kvload::logIn(*oai);

  std::atomic<bool> stopHost{false};
  std::thread host([&] {
    std::mt19937 local(static_cast<unsigned>(round));
    while (!stopHost.load()) {
      double done = 0;
      double all = 0;
      oai->progressStatus(oai->getContentProvider(), done, all, nullptr);
      if (local() % 8 == 0) oai->cancel(oai->getContentProvider(), kvload::onCancel, nullptr);
      std::this_thread::sleep_for(std::chrono::microseconds(200 + local() % 800));
    }
  });
  for (int i = 0; i < kOpsPerRound; ++i) {
    if (i % kFaultBatch == 0) kvload::installFaults(admin, rng);
    auto op = std::make_unique<Operation>();
    op->run = &run;
    op->kind = pickKind(rng);
    op->media = static_cast<int>(rng() % kvload::kMediaCount);
    op->file = "op" + std::to_string(i) + ".bin";
    run.acquire(kInFlight, kReportWait);
    if (kvload::startOperation(*oai, *op, base, hostDir) != 0) {
      run.release();
      op->reports.store(-1);  // never started: no report expected
      tally.refused++;
    } else {
      tally.started++;
    }
    ops.push_back(std::move(op));
  }
  if (!inFlight) run.awaitIdle(kReportWait);
  stopHost.store(true);
  host.join();
  destroyPlugin(plugin);
  run.markDestroyed();
  // A callback of a transfer the destroy left behind would land by then.
  kvtest::awaitExecutorTurn(base + kvload::kMedia[0]);

  for (const auto& op : ops) {
    const int reports = op->reports.load();
    if (reports == -1) continue;
    if (reports > 1) tally.doubleReports++;
    if (reports == 0 && !inFlight) tally.neverReported++;
    tally.lateReports += op->lateReports.load();
    if (reports == 1) tally.statuses[op->status.load()]++;
    const bool success = reports == 1 && op->status.load() == 0 && !op->viaCancel.load();
    tally.viaCancel += reports == 1 && op->viaCancel.load();
    if (op->kind == Kind::ContentDownload && success && op->streamed != served[op->media])
      tally.wrongBytes++;
    // A file in the host's directory is whole, whatever the report said; a
    // success has one.
    const std::string path = hostDir + "/" + op->file;
    struct stat st;
    const bool present = op->kind == Kind::Download && stat(path.c_str(), &st) == 0;
    if ((present && kvtest::readFile(path) != served[op->media]) ||
        (op->kind == Kind::Download && success && !present))
      tally.wrongBytes++;
  }
  // The host keeps no download: only what the plug-in left behind stays.
  for (const auto& op : ops) std::remove((hostDir + "/" + op->file).c_str());
}

void printGauges(std::FILE* out, int round, long ops, const Gauges& g, const char* note) {
  std::fprintf(out,
               "round %5d  ops %8ld  heap %9ld  fds %3d  sockets %3d  threads %3d  private %3d  "
               "stray %3d%s\n",
               round, ops, g.heapBytes, g.descriptors, g.sockets, g.threads, g.privateFiles,
               g.strayFiles, note);
  std::fflush(out);
}

// glibc's per-thread caches keep freed chunks that mallinfo2 counts as in
// use, filling over the first thousands of operations; without them the
// heap gauge reads what is really held. Tunables are read at start, so the
// soak starts itself again with them set. False when that failed.
bool withoutThreadCaches(char** argv) {
  const char kTunable[] = "glibc.malloc.tcache_count=0";
  const char* tunables = std::getenv("GLIBC_TUNABLES");
  if (tunables != nullptr && std::strstr(tunables, kTunable) != nullptr) return true;
  std::string value = tunables != nullptr && *tunables != '\0' ? std::string(tunables) + ":" : "";
  setenv("GLIBC_TUNABLES", (value + kTunable).c_str(), 1);
  execv("/proc/self/exe", argv);
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = kDefaultRounds;
  if (argc > 2 || (argc == 2 && (rounds = std::atoi(argv[1])) <= 0)) {
    std::fprintf(stderr, "usage: %s [ROUNDS]   (ROUNDS > 0, default %d; %d operations each)\n",
                 argv[0], kDefaultRounds, kOpsPerRound);
    return 2;
  }
  if (!withoutThreadCaches(argv))
    std::fprintf(stderr, "soak: heap in use includes glibc's thread caches (%s)\n",
                 std::strerror(errno));
  // The plug-in's private directory, kvsim and the host's downloads all go
  // under this directory, removed at the end.
  const kvtest::TempDir temp("kv-soak");
  if (temp.path().empty()) {
    std::perror("kv-soak temporary directory");
    return 2;
  }
  setenv("TMPDIR", temp.path().c_str(), 1);
  const std::string hostDir = temp.file("downloads");
  mkdir(hostDir.c_str(), 0700);

  // The plug-in logs every injected failure on standard output; the soak's
  // own lines keep the original one.
  std::FILE* out = fdopen(dup(STDOUT_FILENO), "w");
  const int devnull = open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (out == nullptr || devnull < 0) return 2;
  dup2(devnull, STDOUT_FILENO);
  close(devnull);

  kvtest::KvsimProcess::Options options;
  // Bounded whatever happens: it stops by itself.
  options.flags = {"--exit-after", std::to_string(120 + rounds * 20)};
  kvtest::KvsimProcess kvsim(KVSIM, options);
  if (!kvsim.running()) {
    std::fprintf(stderr, "kvsim did not start: %s\n", kvsim.error().c_str());
    return 2;
  }
  httplib::Client admin("127.0.0.1", kvsim.port());
  admin.set_read_timeout(10, 0);
  std::vector<std::string> served;
  for (const char* path : kvload::kMedia) {
    auto res = admin.Get(path);
    if (!res || res->status != 200) {
      std::fprintf(stderr, "kvsim does not serve %s\n", path);
      return 2;
    }
    served.push_back(res->body);
  }
  kvload::configure(kvsim.baseUrl());

  const int warmup = std::max(1, rounds / 4);
  const int every = std::max(1, rounds / 20);  // printed checkpoints
  std::fprintf(out, "soak: %d rounds of %d operations, warm-up %d rounds, kvsim %s\n", rounds,
               kOpsPerRound, warmup, kvsim.baseUrl().c_str());
  std::mt19937 rng(20261208);
  Tally tally;
  std::vector<Gauges> readings;  // one after each round
  const auto start = std::chrono::steady_clock::now();
  for (int round = 1; round <= rounds; ++round) {
    runRound(round, round % 4 == 0, kvsim.baseUrl(), hostDir, served, admin, rng, tally);
    readings.push_back(kvload::readGauges(temp.path(), hostDir));
    if (round == 1 || round == warmup || round % every == 0 || round == rounds)
      printGauges(out, round, tally.started + tally.refused, readings.back(),
                  round == warmup ? "  (end of warm-up)" : "");
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  int requests = 0;
  const std::map<std::string, int> faults = kvload::faultsApplied(admin, &requests);
  kvload::unconfigure();

  std::fprintf(out, "operations %ld started, %ld refused; %d requests seen by kvsim; %.1f s\n",
               tally.started, tally.refused, requests, seconds);
  std::fprintf(out, "faults:");
  for (const auto& f : faults) std::fprintf(out, " %s=%d", f.first.c_str(), f.second);
  std::fprintf(out, "\nstatuses:");
  for (const auto& s : tally.statuses) std::fprintf(out, " %d=%ld", s.first, s.second);
  std::fprintf(out, " (via cancel %ld)\n", tally.viaCancel);

  bool bad = false;
  if (rounds > warmup) {
    for (const kvload::GaugeVerdict& v :
         kvload::judgeGrowth(readings, static_cast<size_t>(warmup), kHeapSlackBytes)) {
      std::fprintf(out, "%-8s warm-up highest %9ld  last %zu rounds lowest %9ld  %s\n", v.name,
                   v.warmupHighest, v.tailRounds, v.tailLowest, v.grew ? "GREW" : "flat");
      bad |= v.grew;
    }
  } else {
    std::fprintf(out, "no round after the warm-up: nothing to compare\n");
  }
  if (tally.doubleReports || tally.lateReports || tally.neverReported || tally.wrongBytes) {
    std::fprintf(out, "reports: %ld twice, %ld late, %ld never; %ld downloads with other bytes\n",
                 tally.doubleReports, tally.lateReports, tally.neverReported, tally.wrongBytes);
    bad = true;
  }
  std::fprintf(out, "soak: %s\n", bad ? "FAILED" : "flat");
  std::fclose(out);
  return bad ? 1 : 0;
}
