// Per-channel I2C accounting of a feprobe scan: the transfers the probe made
// against the ones the tuning sequence needs for the answers the chip gave.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "TransferLog.h"

namespace probebench {

// Transfers of one tuning attempt in the acquisition sequence, apart from the
// lock-wait polls: gate open (register read + write, a masked write), tuner
// message, gate close (read + write), settings write, restart, counter clear.
constexpr unsigned kAttemptTransfers = 8;
// The read half of the two gate masked writes of an attempt. Register 0x07
// changes only by the probe's own writes, so a driver caching it could skip
// them; the probe's gate is a masked write, read and write on the wire.
constexpr unsigned kAttemptGateReads = 2;
// After a lock: parameter read, inversion read, parameter write, restart.
constexpr unsigned kLockedTransfers = 4;
// The parameter write and its restart keep the chip on a locked channel; in
// a scan the next channel's settings write replaces them at once.
constexpr unsigned kLockedWriteBack = 2;
// After a lock wait that gave up: the read of the detected offset code.
constexpr unsigned kUnlockedTransfers = 1;

// Figures of a whole scan log.
struct ScanCount {
  unsigned channels = 0;
  unsigned setupTransfers = 0;  // before the first channel (identify, inversion)
  unsigned transfers = 0;       // made for the channels
  unsigned required = 0;        // what the tuning sequence needs for the chip's answers
  unsigned ideal = 0;           // required less gate reads, repeated bandwidths, scan write-backs
  unsigned polls = 0;           // lock-wait polls among `required`
  unsigned locked = 0;
  unsigned retuned = 0;
};

// Counts a scan from its transfers. A channel starts at its bandwidth write
// (five bytes at register 0x31). The required count follows the chip's
// answers: the polls until a status read shows lock or a counter read shows
// 8 or more, the offset read after a wait that gave up, the retune when that
// code is not 0 (once), the read-back after a lock. Returns false with `error`
// set when there is no channel or the log lacks an answer the sequence needs
// (a lock wait that stopped early, a missing offset read or retune).
bool countScan(const std::vector<Transfer>& transfers, ScanCount& out, std::string& error);

// Index of the first channel's bandwidth write; transfers.size() when none.
size_t firstChannel(const std::vector<Transfer>& transfers);

}  // namespace probebench
