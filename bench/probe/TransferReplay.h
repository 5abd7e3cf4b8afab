// The floor of the probe's CPU figure: the same I2C transfers as a scan, made
// back to back on the simulated bus by a program that does nothing else.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "TransferLog.h"

namespace probebench {

// Replays `transfers` in order as I2C_RDWR calls on the descriptor `fd` and
// measures the process CPU time (user + system) spent from transfer `from`
// to the end. Every read must return the bytes the log holds, so the
// simulator did the same work as in the logged run. Returns false with
// `error` set on a failed call or a differing answer.
bool replayTransfers(int fd, const std::vector<Transfer>& transfers, size_t from, double& cpuUs,
                     std::string& error);

}  // namespace probebench
