// Process gauges from mallinfo2 and /proc.
#include "ProcessGauges.h"

#include <dirent.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>

namespace kvload {

namespace {

// Entries of a directory other than "." and ".."; -1 when it cannot be read.
// With prefix, only the entries whose names start with it.
int countEntries(const std::string& path, const std::string& prefix = "") {
  DIR* dir = opendir(path.c_str());
  if (dir == nullptr) return -1;
  int n = 0;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (name.compare(0, prefix.size(), prefix) == 0) n++;
  }
  closedir(dir);
  return n;
}

int countPrivateFiles(const std::string& tmpRoot) {
  DIR* dir = opendir(tmpRoot.c_str());
  if (dir == nullptr) return -1;
  int n = 0;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.compare(0, 8, "kinvale-") != 0) continue;
    const int inside = countEntries(tmpRoot + "/" + name);
    if (inside > 0) n += inside;
  }
  closedir(dir);
  return n;
}

// Counts the process's descriptors into *files and *sockets, leaving out the
// one the directory stream itself holds.
void countDescriptors(int* files, int* sockets) {
  *files = -1;
  *sockets = -1;
  DIR* dir = opendir("/proc/self/fd");
  if (dir == nullptr) return;
  *files = 0;
  *sockets = 0;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == ".." || std::stoi(name) == dirfd(dir)) continue;
    char target[64] = "";
    const ssize_t n = readlink(("/proc/self/fd/" + name).c_str(), target, sizeof(target) - 1);
    if (n > 0 && std::string(target, static_cast<size_t>(n)).compare(0, 7, "socket:") == 0)
      (*sockets)++;
    else
      (*files)++;
  }
  closedir(dir);
}

}  // namespace

Gauges readGauges(const std::string& tmpRoot, const std::string& hostDir) {
  Gauges g;
  const struct mallinfo2 info = mallinfo2();
  g.heapBytes = static_cast<long>(info.uordblks + info.hblkhd);
  countDescriptors(&g.descriptors, &g.sockets);
  g.threads = countEntries("/proc/self/task");
  g.privateFiles = countPrivateFiles(tmpRoot);
  g.strayFiles = countEntries(hostDir);
  return g;
}

std::vector<GaugeVerdict> judgeGrowth(const std::vector<Gauges>& readings, size_t warmup,
                                      long heapSlack) {
  struct Rule {
    const char* name;
    long (*read)(const Gauges&);
    long slack;
  };
  const Rule rules[] = {
      {"heap", [](const Gauges& g) { return g.heapBytes; }, heapSlack},
      {"fds", [](const Gauges& g) { return long{g.descriptors}; }, 0},
      {"sockets", [](const Gauges& g) { return long{g.sockets}; }, 0},
      {"threads", [](const Gauges& g) { return long{g.threads}; }, 0},
      {"private", [](const Gauges& g) { return long{g.privateFiles}; }, 0},
      {"stray", [](const Gauges& g) { return long{g.strayFiles}; }, 0},
  };
  std::vector<GaugeVerdict> verdicts;
  if (warmup == 0 || readings.size() <= warmup) return verdicts;
  const size_t tail = std::max<size_t>(1, readings.size() / 4);
  const size_t tailStart = std::max(warmup, readings.size() - tail);
  for (const Rule& rule : rules) {
    long warm = rule.read(readings[0]);
    for (size_t i = 0; i < warmup; ++i) warm = std::max(warm, rule.read(readings[i]));
    long low = rule.read(readings[tailStart]);
    for (size_t i = tailStart; i < readings.size(); ++i)
      low = std::min(low, rule.read(readings[i]));
    verdicts.push_back(
        {rule.name, warm, low, readings.size() - tailStart, low > warm + rule.slack});
  }
  return verdicts;
}

}  // namespace kvload
