// Walks a scan's transfers channel by channel and derives, from the chip's
// answers in the log, how many transfers the tuning sequence needed.
#include "ScanCount.h"

#include <cstddef>

namespace probebench {

namespace {

constexpr int kRegBandwidth = 0x31;
constexpr size_t kBandwidthBytes = 5;
constexpr int kRegTps = 0x04;
constexpr int kRegStatus = 0x06;
constexpr int kRegCounter = 0x10;
constexpr uint8_t kStatusLocked = 0x08;
constexpr uint8_t kCounterGiveUp = 8;
constexpr uint8_t kTunerAddr = 0x60;

bool isBandwidthWrite(const Transfer& t) {
  return !t.isRegisterRead() && t.reg() == kRegBandwidth && t.data().size() == kBandwidthBytes;
}

bool isTunerWrite(const Transfer& t) {
  const LoggedMessage& m = t.messages.front();
  return t.messages.size() == 1 && m.addr == kTunerAddr && !m.read;
}

bool isRead(const Transfer& t, int reg, size_t length) {
  return t.isRegisterRead() && t.reg() == reg && t.data().size() == length;
}

// What one attempt's lock wait needed, from the transfers after its tuner write.
struct Attempt {
  unsigned polls = 0;
  bool locked = false;
  int offsetCode = -1;  // detected code read after a wait that gave up
};

bool readAttempt(const std::vector<Transfer>& ts, size_t begin, size_t end, Attempt& a,
                 std::string& error) {
  size_t i = begin;
  bool stopped = false;
  for (; i < end && !stopped; i++) {
    const Transfer& t = ts[i];
    if (isRead(t, kRegStatus, 1)) {
      a.polls++;
      a.locked = (t.data()[0] & kStatusLocked) != 0;
      stopped = a.locked;
    } else if (isRead(t, kRegCounter, 1) && a.polls > 0) {
      a.polls++;
      stopped = t.data()[0] >= kCounterGiveUp;
    }
  }
  if (!stopped) {
    error = "lock wait stopped before the chip locked or gave up";
    return false;
  }
  if (a.locked) return true;
  for (; i < end; i++) {
    if (isRead(ts[i], kRegTps, 2)) {
      const std::vector<uint8_t> r = ts[i].data();
      a.offsetCode = ((r[0] >> 7) << 2) | (r[1] >> 6);
      return true;
    }
  }
  error = "no offset read after a lock wait that gave up";
  return false;
}

bool countChannel(const std::vector<Transfer>& ts, size_t begin, size_t end, bool sameBandwidth,
                  ScanCount& out, std::string& error) {
  std::vector<size_t> tunes;
  for (size_t i = begin; i < end; i++) {
    if (isTunerWrite(ts[i])) tunes.push_back(i);
  }
  tunes.push_back(end);
  out.transfers += static_cast<unsigned>(end - begin);
  out.required += 1;
  out.ideal += sameBandwidth ? 0 : 1;
  for (size_t k = 0; k + 1 < tunes.size(); k++) {
    Attempt a;
    if (!readAttempt(ts, tunes[k], tunes[k + 1], a, error)) return false;
    out.required += kAttemptTransfers + a.polls;
    out.ideal += kAttemptTransfers - kAttemptGateReads + a.polls;
    out.polls += a.polls;
    if (a.locked) {
      out.required += kLockedTransfers;
      out.ideal += kLockedTransfers - kLockedWriteBack;
      out.locked++;
      return true;
    }
    out.required += kUnlockedTransfers;
    out.ideal += kUnlockedTransfers;
    // One retune at the detected offset; the second wait is the last.
    if (a.offsetCode == 0 || k == 1) return true;
    out.retuned++;
  }
  error = tunes.size() == 1 ? "channel without a tuner write" : "retune at the offset missing";
  return false;
}

}  // namespace

size_t firstChannel(const std::vector<Transfer>& transfers) {
  for (size_t i = 0; i < transfers.size(); i++) {
    if (isBandwidthWrite(transfers[i])) return i;
  }
  return transfers.size();
}

bool countScan(const std::vector<Transfer>& transfers, ScanCount& out, std::string& error) {
  std::vector<size_t> starts;
  for (size_t i = 0; i < transfers.size(); i++) {
    if (isBandwidthWrite(transfers[i])) starts.push_back(i);
  }
  if (starts.empty()) {
    error = "no channel in the log";
    return false;
  }
  out = ScanCount{};
  out.setupTransfers = static_cast<unsigned>(starts.front());
  out.channels = static_cast<unsigned>(starts.size());
  starts.push_back(transfers.size());
  for (size_t c = 0; c + 1 < starts.size(); c++) {
    bool same = c > 0 && transfers[starts[c]].data() == transfers[starts[c - 1]].data();
    if (!countChannel(transfers, starts[c], starts[c + 1], same, out, error)) return false;
  }
  return true;
}

}  // namespace probebench
