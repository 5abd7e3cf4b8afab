// fesim logs one line per I2C message; the probe benchmark needs transfers
// (one I2C_RDWR each). This reads the log's i2c lines back into transfers.
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace probebench {

// One I2C message as fesim logged it: the bytes written, or the bytes a read
// returned.
struct LoggedMessage {
  uint8_t addr = 0;
  bool read = false;
  std::vector<uint8_t> bytes;
};

// One I2C_RDWR transfer: a single message, or a register read (a write of
// the register number alone followed by a read from the same address).
struct Transfer {
  std::vector<LoggedMessage> messages;

  bool isRegisterRead() const { return messages.size() == 2; }
  // The register a demodulator read or write starts at; -1 for a tuner message.
  int reg() const;
  // Bytes after the register number of a write, or the bytes read.
  std::vector<uint8_t> data() const;
};

// Reads every i2c line of a fesim log, in order, grouped into transfers.
// Lines other than i2c ones (open, sleep, ...) are skipped. Returns false
// with `error` set when a line is malformed or a message was refused (nak,
// invalid): a benchmark log must be a clean run.
bool readTransfers(std::istream& log, std::vector<Transfer>& out, std::string& error);

}  // namespace probebench
