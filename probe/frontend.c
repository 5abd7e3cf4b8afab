/* Front-end record, the acquisition loop over a channel list, and the names of
 * the transmission-parameter codes. */
#include "frontend.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>

#include "pll.h"
#include "tda10046.h"
#include "tda10046_regs.h"
#include "timeutil.h"

#define COUNTER_GIVE_UP 8
#define CODE_NOMINAL 7
#define MAX_RETRIES 2

const int32_t offset_table[8] = {0, 166667, -166667, 333333, -333333, 500000, -500000, 0};

frontend_state* frontend_new(i2c_handle* bus) {
  frontend_state* fe = calloc(1, sizeof(*fe));
  if (!fe) {
    perror("malloc");
    return NULL;
  }
  fe->bus = bus;
  fe->demod_addr = TDA10046_ADDR;
  fe->revision = 0;
  fe->tuner_bus = bus;
  fe->pll_addr = PLL_ADDR;
  fe->if_freq = 36166666u;
  fe->step_size = 166667u;
  fe->cp = 0;
  fe->test = 1;
  fe->atc = 0;
  fe->al = 4;
  fe->xtal_freq = 4000000u;
  fe->pll_m = 8;
  fe->pll_n = 0;
  fe->pll_p = 0;
  return fe;
}

/* Tunes ch at the offset of code and restarts acquisition there. */
static int tune(frontend_state* fe, const channel* ch, unsigned code) {
  uint8_t acq[3];
  int ret;

  ret = pll_set_frequency(fe, ch->frequency + (uint32_t)offset_table[code], ch->bandwidth);
  if (ret < 0) {
    return ret;
  }
  acq[0] = ACQ_SEARCH;
  acq[1] = (uint8_t)((code >> 2) << 7);
  acq[2] = (uint8_t)((code << 6) & 0xFF);
  ret = frontend_write(fe->bus, fe->demod_addr, REG_ACQ, acq, sizeof(acq));
  if (ret < 0) {
    return ret;
  }
  ret = tda10046_write_reg(fe, REG_ACQ, ACQ_SEARCH | ACQ_RESTART);
  if (ret < 0) {
    return ret;
  }
  return tda10046_write_reg(fe, REG_COUNTER, 0x00);
}

/* Polls lock and the chip's give-up counter back to back. Returns 1 locked, 0 not
 * locked, or a negative error. */
static int wait_lock(frontend_state* fe, uint32_t tuned) {
  poll_limit limit;
  uint8_t value;
  int ret;

  poll_limit_start(&limit, FRONTEND_LOCK_TIMEOUT_MS, FRONTEND_LOCK_MAX_POLLS);
  for (;;) {
    ret = frontend_read(fe->bus, fe->demod_addr, REG_STATUS, &value, 1);
    if (ret < 0) {
      return ret;
    }
    if (value & STATUS_LOCKED) {
      return 1;
    }
    ret = frontend_read(fe->bus, fe->demod_addr, REG_COUNTER, &value, 1);
    if (ret < 0) {
      return ret;
    }
    if (value >= COUNTER_GIVE_UP) {
      return 0;
    }
    if (poll_limit_reached(&limit)) {
      fprintf(stderr, "lock wait timeout at %u Hz\n", (unsigned)tuned);
      errno = ETIMEDOUT;
      return -ETIMEDOUT;
    }
  }
}

/* The offset code the chip detected, from registers 0x04-0x05. */
static int detected_code(frontend_state* fe, unsigned* code) {
  uint8_t r[2];
  int ret = frontend_read(fe->bus, fe->demod_addr, REG_RX_TPS, r, sizeof(r));
  if (ret < 0) {
    return ret;
  }
  *code = ((unsigned)(r[0] >> 7) << 2) | (unsigned)(r[1] >> 6);
  return 0;
}

/* Reads back a locked channel's parameters and programs them into the chip;
 * the channel's frequency becomes the one actually tuned. */
static int take_locked(frontend_state* fe, channel* ch, unsigned code) {
  int ret = tda10046_read_tps(fe, ch);
  if (ret < 0) {
    return ret;
  }
  ret = tda10046_read_inversion(fe, &ch->inversion);
  if (ret < 0) {
    return ret;
  }
  ch->frequency += (uint32_t)offset_table[code];
  return tda10046_write_tps(fe, ch);
}

/* Acquires one channel. Returns FRONTEND_LOCKED, 0 (not locked) or an error. */
static int acquire_channel(frontend_state* fe, channel* ch) {
  unsigned code = CODE_NOMINAL;
  int retries = 0;
  int ret;

  ret = tda10046_set_bandwidth(fe, ch->bandwidth);
  if (ret < 0) {
    return ret;
  }
  for (;;) {
    unsigned detected;

    ret = tune(fe, ch, code);
    if (ret < 0) {
      return ret;
    }
    ret = wait_lock(fe, ch->frequency + (uint32_t)offset_table[code]);
    if (ret < 0) {
      return ret;
    }
    if (ret == 1) {
      ret = take_locked(fe, ch, code);
      return ret < 0 ? ret : FRONTEND_LOCKED;
    }
    ret = detected_code(fe, &detected);
    if (ret < 0) {
      return ret;
    }
    retries++;
    if (detected == 0 || retries >= MAX_RETRIES) {
      return 0;
    }
    /* Retune once at the offset the chip reports. */
    code = detected;
  }
}

int frontend_acquire(frontend_state* fe, channel* list, frontend_callback callback, void* cookie) {
  channel* ch;
  int ret = tda10046_set_inversion(fe, 0);
  if (ret < 0) {
    return ret;
  }
  for (ch = list; ch->frequency != 0; ch++) {
    int locked = acquire_channel(fe, ch);
    if (locked < 0) {
      return locked;
    }
    if (callback) {
      callback(fe, ch, cookie, locked);
    }
  }
  return 0;
}

static const char* const inversion_names[2] = {"INVERSION_OFF", "INVERSION_ON"};
static const char* const transmission_mode_names[2] = {"TRANSMISSION_MODE_2K",
                                                       "TRANSMISSION_MODE_8K"};
static const char* const guard_interval_names[4] = {"GUARD_INTERVAL_1_32", "GUARD_INTERVAL_1_16",
                                                    "GUARD_INTERVAL_1_8", "GUARD_INTERVAL_1_4"};
static const char* const modulation_names[4] = {"QPSK", "QAM_16", "QAM_64", "QAM_AUTO"};
static const char* const hierarchy_names[4] = {"HIERARCHY_NONE", "HIERARCHY_1", "HIERARCHY_2",
                                               "HIERARCHY_4"};
static const char* const code_rate_names[8] = {"FEC_1_2", "FEC_2_3",  "FEC_3_4",  "FEC_5_6",
                                               "FEC_7_8", "FEC_AUTO", "FEC_AUTO", "FEC_AUTO"};

const char* inversion_name(uint32_t code) {
  return inversion_names[code & 1u];
}

const char* transmission_mode_name(uint32_t code) {
  return transmission_mode_names[code & 1u];
}

const char* guard_interval_name(uint32_t code) {
  return guard_interval_names[code & 3u];
}

const char* modulation_name(uint32_t code) {
  return modulation_names[code & 3u];
}

const char* hierarchy_name(uint32_t code) {
  return hierarchy_names[code & 3u];
}

const char* code_rate_name(uint32_t code) {
  return code_rate_names[code & 7u];
}
