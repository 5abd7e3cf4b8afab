// Bare I2C_RDWR replay of a logged scan: messages are built before the clock
// starts, so the measured time is the calls and the simulator behind them.
#include "TransferReplay.h"

#include <linux/i2c-dev.h>
#include <linux/i2c.h>
#include <sys/ioctl.h>
#include <time.h>

#include <cstdint>

namespace probebench {

namespace {

double processCpuUs() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) * 1e6 + static_cast<double>(ts.tv_nsec) / 1e3;
}

// Message records and their buffers for every transfer, built up front.
struct Prepared {
  std::vector<std::vector<uint8_t>> buffers;  // one per message, in order
  std::vector<i2c_msg> msgs;
  std::vector<size_t> firstMsg;  // index into msgs per transfer, plus the end
};

Prepared prepare(const std::vector<Transfer>& transfers) {
  Prepared p;
  for (const Transfer& t : transfers) {
    for (const LoggedMessage& m : t.messages) {
      p.buffers.push_back(m.read ? std::vector<uint8_t>(m.bytes.size()) : m.bytes);
    }
  }
  size_t b = 0;
  for (const Transfer& t : transfers) {
    p.firstMsg.push_back(p.msgs.size());
    for (const LoggedMessage& m : t.messages) {
      i2c_msg msg{};
      msg.addr = m.addr;
      msg.flags = m.read ? I2C_M_RD : 0;
      msg.len = static_cast<uint16_t>(m.bytes.size());
      msg.buf = p.buffers[b++].data();
      p.msgs.push_back(msg);
    }
  }
  p.firstMsg.push_back(p.msgs.size());
  return p;
}

}  // namespace

bool replayTransfers(int fd, const std::vector<Transfer>& transfers, size_t from, double& cpuUs,
                     std::string& error) {
  Prepared p = prepare(transfers);
  double start = 0;
  for (size_t i = 0; i < transfers.size(); i++) {
    if (i == from) start = processCpuUs();
    i2c_rdwr_ioctl_data data{};
    data.msgs = &p.msgs[p.firstMsg[i]];
    data.nmsgs = static_cast<uint32_t>(p.firstMsg[i + 1] - p.firstMsg[i]);
    if (ioctl(fd, I2C_RDWR, &data) != static_cast<int>(data.nmsgs)) {
      error = "transfer " + std::to_string(i) + " failed";
      return false;
    }
  }
  cpuUs = processCpuUs() - start;
  // Checked after the clock stops: the answers must be the logged ones.
  size_t b = 0;
  for (const Transfer& t : transfers) {
    for (const LoggedMessage& m : t.messages) {
      if (m.read && p.buffers[b] != m.bytes) {
        error = "a read answered differently from the log";
        return false;
      }
      b++;
    }
  }
  return true;
}

}  // namespace probebench
