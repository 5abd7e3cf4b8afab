// The mixed host workload that the stress test and the soak run against a
// real kvsim process: the operations a TV host starts (lists, feeds,
// comments, views, registration, direct and content downloads), each one
// counted until it reports, and kvsim's fault rules installed in batches.
#pragma once

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <random>
#include <string>

#include "frame/WKVOAI.h"

namespace kvload {

// Media paths of kvsim's default family that downloads fetch.
constexpr int kMediaCount = 4;
extern const char* const kMedia[kMediaCount];

enum class Kind {
  GroupList,
  Feeds,
  Comments,
  ViewContent,
  CreateComment,
  Register,
  Download,         // the provider's download() into a host directory
  ContentDownload,  // a media record's downloader: private file, a stream
};
constexpr int kKinds = 8;
const char* kindName(Kind kind);

class OperationRun;

// One started operation. It must outlive every callback that may name it.
struct Operation {
  Kind kind = Kind::GroupList;
  OperationRun* run = nullptr;
  std::atomic<int> reports{0};
  std::atomic<int> lateReports{0};  // reports after OperationRun::markDestroyed
  std::atomic<bool> viaCancel{false};
  std::atomic<int> status{0};
  std::string file;            // Download: the file name asked for
  int media = 0;               // downloads: index into kMedia
  W::WMediaResource resource;  // ContentDownload: the record downloaded
  std::string streamed;        // ContentDownload: the bytes the stream held
};

// Counts the operations of one provider's life that have not reported yet.
class OperationRun {
 public:
  // Waits until fewer than `limit` operations are outstanding (at most
  // `wait`), then counts one more.
  void acquire(int limit, std::chrono::seconds wait);
  // Undoes acquire for an operation whose start was refused.
  void release();
  // Waits up to `wait` for every operation to report. True when they did.
  bool awaitIdle(std::chrono::seconds wait);
  int outstanding();
  // From now on a report counts as late (the provider was destroyed).
  void markDestroyed() { m_destroyed.store(true); }

  // Called by the callbacks: one report of `op`.
  void reported(Operation& op, W::WSTATUS status, bool viaCancel);

 private:
  std::mutex m_mutex;  // guards m_outstanding
  std::condition_variable m_cv;
  int m_outstanding = 0;
  std::atomic<bool> m_destroyed{false};
};

// Starts `op` on the provider; downloads go to `dir` (Download) or the
// provider's private directory (ContentDownload). Returns the operation's
// immediate status: 0 when it will report.
W::WSTATUS startOperation(W::WKVOAI& oai, Operation& op, const std::string& base,
                          const std::string& dir);

// The cancel callback the host passes to cancel(); its user data is unused.
void onCancel(W::WSTATUS status, const W::WContentProvider& provider, void* userData);

// Installs a few one-shot fault rules through kvsim's admin endpoint (about
// half of them aimed at media). Returns the number installed.
int installFaults(httplib::Client& admin, std::mt19937& rng);

// Counts of each fault kind in kvsim's request log ("fault=KINDS"); the
// number of logged requests in *requests.
std::map<std::string, int> faultsApplied(httplib::Client& admin, int* requests);

// The account options of kvsim's default account and its base URL, for the
// provider "Kinvale" (type 12).
void configure(const std::string& base);
void unconfigure();

// Loads the session credentials as an "ok" authentication answer does.
void logIn(W::WKVOAI& oai);

}  // namespace kvload
