// A fake i2c-dev bus for unit tests, installed through i2c_set_rdwr_hook: it
// records every message and answers with a small register model of the
// demodulator (auto-increment, gate bit in register 0x07) and a tuner PLL that
// only answers while the gate is open.
#ifndef FEPROBE_TESTS_FAKE_I2C_H
#define FEPROBE_TESTS_FAKE_I2C_H

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <functional>
#include <vector>

#include "i2c.h"
#include "i2c_test_seam.h"

struct FakeMsg {
  uint16_t addr;
  uint16_t flags;
  std::vector<uint8_t> bytes;  // written bytes, or the bytes returned by a read
  bool operator==(const FakeMsg& o) const {
    return addr == o.addr && flags == o.flags && bytes == o.bytes;
  }
};

class FakeI2c {
 public:
  static constexpr uint16_t kDemod = 0x08;
  static constexpr uint16_t kPll = 0x60;

  // The newest fake answers; destroying it gives the bus back to the previous one.
  FakeI2c() : m_previous(m_current) {
    m_current = this;
    i2c_set_rdwr_hook(&FakeI2c::Rdwr);
  }
  ~FakeI2c() {
    m_current = m_previous;
    if (!m_current) i2c_set_rdwr_hook(nullptr);
  }
  FakeI2c(const FakeI2c&) = delete;
  FakeI2c& operator=(const FakeI2c&) = delete;

  uint8_t regs[256] = {};
  std::vector<std::vector<FakeMsg>> transfers;
  // When set, replaces the ioctl's result (e.g. -1, or a short count).
  bool override_result = false;
  int result = 0;
  // Fail (as a NAK would) every transfer from this one on (0-based), -1 = never,
  // and the transfers listed in fail_at.
  int fail_from = -1;
  std::vector<int> fail_at;
  // Called after a write to a demodulator register with the first register written.
  std::function<void(uint8_t)> on_write;
  // Called before a demodulator read of register reg; may update regs.
  std::function<void(uint8_t)> on_read;
  // What the tuner answers to a read, byte after byte.
  std::vector<uint8_t> pll_status;

  // The tuner messages written so far.
  std::vector<std::vector<uint8_t>> PllWrites() const {
    std::vector<std::vector<uint8_t>> out;
    for (const auto& t : transfers)
      for (const auto& m : t)
        if (m.addr == kPll && m.flags == 0) out.push_back(m.bytes);
    return out;
  }

  // Demodulator register writes (single-message transfers), as register + data.
  std::vector<std::vector<uint8_t>> DemodWrites() const {
    std::vector<std::vector<uint8_t>> out;
    for (const auto& t : transfers)
      if (t.size() == 1 && t[0].addr == kDemod && t[0].flags == 0) out.push_back(t[0].bytes);
    return out;
  }

 private:
  static int Rdwr(int fd, struct i2c_rdwr_ioctl_data* data) {
    (void)fd;
    return m_current->Transfer(data);
  }

  int Transfer(struct i2c_rdwr_ioctl_data* data) {
    int index = static_cast<int>(transfers.size());
    transfers.emplace_back();
    bool listed = std::find(fail_at.begin(), fail_at.end(), index) != fail_at.end();
    if (listed || (fail_from >= 0 && index >= fail_from)) {
      errno = ENXIO;
      return -1;
    }
    for (uint32_t i = 0; i < data->nmsgs; i++) {
      struct i2c_msg& m = data->msgs[i];
      if (m.addr == kPll && !(regs[7] & 0x02)) {
        errno = ENXIO;  // gate closed: the tuner does not answer
        return -1;
      }
      if (m.addr == kDemod && !(m.flags & I2C_M_RD) && m.len > 0) {
        m_pointer = m.buf[0];
        for (uint16_t k = 1; k < m.len; k++)
          regs[static_cast<uint8_t>(m_pointer + k - 1)] = m.buf[k];
        if (m.len > 1 && on_write) on_write(m_pointer);
      }
      if (m.addr == kDemod && (m.flags & I2C_M_RD)) {
        if (on_read) on_read(m_pointer);
        for (uint16_t k = 0; k < m.len; k++) m.buf[k] = regs[static_cast<uint8_t>(m_pointer + k)];
      }
      if (m.addr == kPll && (m.flags & I2C_M_RD)) {
        for (uint16_t k = 0; k < m.len; k++) m.buf[k] = k < pll_status.size() ? pll_status[k] : 0;
      }
      transfers.back().push_back({m.addr, m.flags, std::vector<uint8_t>(m.buf, m.buf + m.len)});
    }
    if (override_result) return result;
    return static_cast<int>(data->nmsgs);
  }

  uint8_t m_pointer = 0;
  FakeI2c* m_previous;
  static inline FakeI2c* m_current = nullptr;
};

#endif
