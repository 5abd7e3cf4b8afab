/* TDA10046 COFDM demodulator operations over the demodulator's I2C address. */
#include "tda10046.h"

#include <errno.h>
#include <stdio.h>

#include <unistd.h>

#include "tda10046_regs.h"

#define INIT_SETTLE_US 120000

/* Widths of the two bandwidth timing words in registers 0x31-0x35: 26 and 12 bits. */
#define BW_WORD_M_MAX 0x3FFFFFFu
#define BW_WORD_U_MAX 0xFFFu

uint32_t tda10046_sample_clock(const frontend_state* fe) {
  return fe->xtal_freq * (fe->pll_m + 45u) / ((fe->pll_p + 4u) * (fe->pll_n + 1u));
}

uint8_t tda10046_clock_byte(uint32_t fs) {
  uint32_t fs3 = 3u * fs;
  uint64_t value = (16384000000ull + fs3 / 2u) / fs3;
  return (uint8_t)value;
}

uint16_t tda10046_if_word(uint32_t if_freq, uint32_t fs) {
  int64_t d = (int64_t)(int32_t)(if_freq - fs) * 32768;
  int64_t h = (int64_t)(fs / 2u);
  int64_t num = d >= 0 ? d + h : d - h;
  int64_t word = num / (int64_t)fs;
  return (uint16_t)((uint64_t)word & 0xFFFFu);
}

int tda10046_bandwidth_bytes(uint32_t fs, uint32_t bw, uint8_t out[5]) {
  uint32_t fs7 = 7u * fs;
  uint64_t m;
  uint64_t u;
  if (bw == 0 || fs7 == 0) {
    return -EINVAL;
  }
  m = (((uint64_t)bw << 31) + fs7 / 2u) / fs7;
  u = ((uint64_t)fs7 * 32u + bw / 2u) / bw;
  if (m > BW_WORD_M_MAX || u > BW_WORD_U_MAX) {
    return -EINVAL;
  }
  out[0] = (uint8_t)((u >> 4) & 0xFF);
  out[1] = (uint8_t)(((u << 2) & 0x3C) | ((m >> 24) & 0x03));
  out[2] = (uint8_t)((m >> 16) & 0xFF);
  out[3] = (uint8_t)((m >> 8) & 0xFF);
  out[4] = (uint8_t)(m & 0xFF);
  return 0;
}

static int write_regs(frontend_state* fe, uint8_t reg, const uint8_t* src, size_t length) {
  return frontend_write(fe->bus, fe->demod_addr, reg, src, length);
}

static int read_regs(frontend_state* fe, uint8_t reg, uint8_t* dst, size_t length) {
  return frontend_read(fe->bus, fe->demod_addr, reg, dst, length);
}

int tda10046_write_reg(frontend_state* fe, uint8_t reg, uint8_t value) {
  return write_regs(fe, reg, &value, 1);
}

int tda10046_write_mask(frontend_state* fe, uint8_t reg, uint8_t mask, uint8_t value) {
  return frontend_write_mask(fe->bus, fe->demod_addr, reg, mask, value);
}

int tda10046_check_revision(frontend_state* fe) {
  uint8_t id;
  if (read_regs(fe, REG_ID, &id, 1) < 0) {
    fprintf(stderr, "could not read revision\n");
    return -ENODEV;
  }
  if (id != 0x45 && id != 0x46) {
    fprintf(stderr, "unknown tda revision %02x. need to wake up? (option --wakeup)\n", id);
    if (id == 0x00) {
      fprintf(stderr, "maybe a hardware reset is needed. (option --hw-reset)\n");
    }
    return -EINVAL;
  }
  fe->revision = id;
  return 0;
}

int tda10046_wakeup(frontend_state* fe) {
  return tda10046_write_mask(fe, REG_CONF, CONF_SLEEP, 0x00);
}

int tda10046_sleep(frontend_state* fe) {
  return tda10046_write_mask(fe, REG_CONF, CONF_SLEEP, CONF_SLEEP);
}

int tda10046_restart(frontend_state* fe) {
  return tda10046_write_mask(fe, REG_ACQ, ACQ_RESTART, ACQ_RESTART);
}

int tda10046_set_inversion(frontend_state* fe, int inversion) {
  if (inversion == 0) {
    return tda10046_write_mask(fe, REG_INVERSION, INVERSION_OFF, INVERSION_OFF);
  }
  if (inversion == 1) {
    return tda10046_write_mask(fe, REG_INVERSION, INVERSION_OFF, 0x00);
  }
  fprintf(stderr, "invalid inversion: %d\n", inversion);
  return -EINVAL;
}

int tda10046_set_modulation(frontend_state* fe, int modulation) {
  static const int constellation_points[] = {4, 16, 64};
  uint8_t code;
  for (code = 0; code < 3; code++) {
    if (constellation_points[code] == modulation) {
      return tda10046_write_mask(fe, REG_RX_TPS, RX_TPS_MODULATION, code);
    }
  }
  fprintf(stderr, "invalid modulation: %d\n", modulation);
  return -EINVAL;
}

int tda10046_set_bandwidth(frontend_state* fe, uint32_t bw) {
  uint8_t bytes[5];
  int ret = tda10046_bandwidth_bytes(tda10046_sample_clock(fe), bw, bytes);
  if (ret < 0) {
    fprintf(stderr, "invalid bandwidth: %u\n", (unsigned)bw);
    return ret;
  }
  return write_regs(fe, REG_BANDWIDTH, bytes, sizeof(bytes));
}

/* One step of the init sequence: a one-byte write or a masked write. */
struct init_step {
  uint8_t masked;
  uint8_t reg;
  uint8_t mask;
  uint8_t value;
};

static int run_init_steps(frontend_state* fe, const struct init_step* steps, size_t count) {
  size_t i;
  for (i = 0; i < count; i++) {
    const struct init_step* s = &steps[i];
    int ret;
    if (s->masked) {
      ret = tda10046_write_mask(fe, s->reg, s->mask, s->value);
    } else {
      ret = tda10046_write_reg(fe, s->reg, s->value);
    }
    if (ret < 0) {
      return ret;
    }
  }
  return 0;
}

/* Steps 10 to 27, after the clock set-up and the settling pause. */
static const struct init_step init_tail[] = {
    {1, 0x37, 0xC0, 0x00},                /* 10 */
    {0, REG_ACQ, 0, 0x87},                /* 11 */
    {1, REG_CONF, CONF_INIT_CLEAR, 0x00}, /* 12 */
    {0, REG_INVERSION, 0, 0x88},          /* 13 */
    {0, 0x1E, 0, 0x07},                   /* 14 */
    {0, 0x1F, 0, 0xC0},                   /* 15 */
    {0, 0x37, 0, 0x38},                   /* 16 */
    {1, 0x3A, 0x80, 0x80},                /* 17 */
    {1, 0x3B, 0xC0, 0x40},                /* 18 */
    {1, 0x3B, 0x3E, 0x38},                /* 19 */
    {1, 0x3D, 0xF0, 0x60},                /* 20 */
    {0, 0x43, 0, 0x00},                   /* 21 */
    {0, 0x46, 0, 0x12},                   /* 22 */
    {0, 0x47, 0, 0x00},                   /* 23 */
    {0, 0x48, 0, 0xFF},                   /* 24 */
    {0, 0x49, 0, 0x00},                   /* 25 */
    {0, 0x4A, 0, 0xFF},                   /* 26 */
    {0, 0x4F, 0, 0x1A},                   /* 27 */
};

int tda10046_init(frontend_state* fe) {
  uint32_t fs = tda10046_sample_clock(fe);
  uint16_t word = tda10046_if_word(fe->if_freq, fs);
  uint8_t if_bytes[2];
  const struct init_step head[] = {
      {0, REG_CONF, 0, 0x00},
      {1, 0x3B, 0x01, 0x00},
  };
  const struct init_step clock[] = {
      {0, 0x2D, 0, 0xF0},
      {0, 0x2F, 0, (uint8_t)fe->pll_m},
      {0, 0x30, 0, (uint8_t)((fe->pll_p << 5) | fe->pll_n)},
      {0, REG_CLOCK, 0, tda10046_clock_byte(fs)},
  };
  int ret;

  ret = run_init_steps(fe, head, sizeof(head) / sizeof(head[0]));
  if (ret < 0) {
    return ret;
  }
  /* A failed restart does not stop the set-up. */
  tda10046_restart(fe);
  ret = run_init_steps(fe, clock, sizeof(clock) / sizeof(clock[0]));
  if (ret < 0) {
    return ret;
  }
  if_bytes[0] = (uint8_t)(word >> 8);
  if_bytes[1] = (uint8_t)(word & 0xFF);
  ret = write_regs(fe, REG_IF_WORD, if_bytes, sizeof(if_bytes));
  if (ret < 0) {
    return ret;
  }
  usleep(INIT_SETTLE_US);
  return run_init_steps(fe, init_tail, sizeof(init_tail) / sizeof(init_tail[0]));
}

int tda10046_read_tps(frontend_state* fe, channel* ch) {
  uint8_t r[2];
  int ret = read_regs(fe, REG_RX_TPS, r, sizeof(r));
  if (ret < 0) {
    return ret;
  }
  ch->transmission_mode = (r[0] >> 4) & 1u;
  ch->guard_interval = (r[0] >> 2) & 3u;
  ch->modulation = r[0] & 3u;
  ch->hierarchy = (r[0] >> 5) & 3u;
  ch->code_rate_hp = (r[1] >> 3) & 7u;
  ch->code_rate_lp = r[1] & 7u;
  return 0;
}

int tda10046_read_inversion(frontend_state* fe, uint32_t* inversion) {
  uint8_t value;
  int ret = read_regs(fe, REG_INVERSION, &value, 1);
  if (ret < 0) {
    return ret;
  }
  *inversion = (value & INVERSION_OFF) ? 0u : 1u;
  return 0;
}

int tda10046_write_tps(frontend_state* fe, const channel* ch) {
  uint8_t bytes[3];
  int ret;
  bytes[0] = ACQ_PROGRAMMED;
  bytes[1] = (uint8_t)((ch->hierarchy << 5) | (ch->transmission_mode << 4) |
                       (ch->guard_interval << 2) | ch->modulation);
  bytes[2] = (uint8_t)((ch->code_rate_hp << 3) | ch->code_rate_lp);
  ret = write_regs(fe, REG_ACQ, bytes, sizeof(bytes));
  if (ret < 0) {
    return ret;
  }
  return tda10046_write_reg(fe, REG_ACQ, ACQ_PROGRAMMED | ACQ_RESTART);
}

int tda10046_get_bw(frontend_state* fe) {
  (void)fe;
  printf("%s NYI\n", "tda10046_get_bw");
  return 0;
}
