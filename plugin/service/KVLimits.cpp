// Request limits from the provider's options.
#include "service/KVLimits.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <mutex>
#include <set>
#include <string>

namespace W {

namespace {

// Larger values are surely typing mistakes, and stay exact in a double.
constexpr long long kLargestLimit = 1LL << 53;

// The options already warned about. Never destroyed: a completion may
// still read the limits while the process exits.
struct Reported {
  std::mutex lock;  // guards keys
  std::set<std::string> keys;
};

void reportBadOption(const char* key, const STRING& text, long long fallback) {
  static Reported* const reported = new Reported();
  {
    std::lock_guard<std::mutex> guard(reported->lock);
    if (!reported->keys.insert(key).second) return;
  }
  std::printf("#WARNING option %s=\"%s\" is not a whole number from 0 to %lld; using %lld\n\n", key,
              text.c_str(), kLargestLimit, fallback);
  std::fflush(stdout);
}

}  // namespace

long long limitOption(const char* key, const STRING& text, long long fallback) {
  if (text.empty()) return fallback;
  long long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9' || value > kLargestLimit / 10) {
      reportBadOption(key, text, fallback);
      return fallback;
    }
    value = value * 10 + (c - '0');
  }
  if (value > kLargestLimit) {
    reportBadOption(key, text, fallback);
    return fallback;
  }
  return value;
}

void applyLimits(HttpRequest& request, KVRequestKind kind, const KVLimits& limits) {
  const bool serviceCall = kind == KVRequestKind::ServiceCall || kind == KVRequestKind::MediaProbe;
  if (serviceCall && limits.requestTimeoutSeconds > 0) {
    // long is 32 bits on the target: a month of seconds is the most it holds.
    const long long most = std::numeric_limits<long>::max() / 1000;
    const long long seconds = std::min(limits.requestTimeoutSeconds, most);
    request.setTotalTimeout(static_cast<long>(seconds * 1000));
  }
  if (kind == KVRequestKind::MediaDownload) {
    request.setMaxFileBytes(limits.maxDownloadBytes);
  } else {
    request.setMaxBodyBytes(limits.maxAnswerBytes);
  }
  request.setHeadersOnly(kind == KVRequestKind::MediaProbe);
  request.setFollowRedirects(kind == KVRequestKind::MediaProbe ||
                             kind == KVRequestKind::MediaDownload);
  if (!limits.caFile.empty()) request.setCAFile(limits.caFile);
}

}  // namespace W
