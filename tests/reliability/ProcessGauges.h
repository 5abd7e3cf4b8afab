// What a long-lived host process spends, read from inside it: heap in use,
// open descriptors, threads, and the files the plug-in keeps in its private
// download directories. The soak reads them between rounds.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kvload {

struct Gauges {
  long heapBytes = 0;    // malloc's bytes in use (mallinfo2: arenas + mmapped chunks)
  int descriptors = 0;   // open descriptors other than sockets (/proc/self/fd)
  int sockets = 0;       // open sockets: connections the HTTP layer keeps for reuse
  int threads = 0;       // entries of /proc/self/task
  int privateFiles = 0;  // entries in every kinvale-XXXXXX directory under tmpRoot
  int strayFiles = 0;    // entries of the host's download directory (finished files removed)
};

// Reads the gauges now; the private directories are looked for in tmpRoot
// and the host's downloads in hostDir. A gauge that cannot be read is -1.
// Heap in use counts the chunks glibc keeps in its per-thread caches as in
// use: run with GLIBC_TUNABLES=glibc.malloc.tcache_count=0 for a true figure.
Gauges readGauges(const std::string& tmpRoot, const std::string& hostDir);

// One gauge judged over a run.
struct GaugeVerdict {
  const char* name;    // "heap", "fds", "sockets", "threads", "private", "stray"
  long warmupHighest;  // highest reading of the warm-up rounds
  long tailLowest;     // lowest reading of the last quarter of the rounds
  size_t tailRounds;   // how many rounds that quarter holds
  bool grew;
};

// Judges readings (one per round, the first `warmup` of them the warm-up): a
// gauge grew when even its lowest reading of the last quarter of the rounds
// (at least one round, none of the warm-up) is above the highest of the
// warm-up, the heap by more than heapSlack bytes. Caches that fill and drain
// (kept connections) do not count; anything that keeps piling up does.
// Empty when no round follows the warm-up.
std::vector<GaugeVerdict> judgeGrowth(const std::vector<Gauges>& readings, size_t warmup,
                                      long heapSlack);

}  // namespace kvload
