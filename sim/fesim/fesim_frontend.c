/* The demodulator's registers, the tuner's divider and the reception model:
 * what a restart finds at the tuned frequency and how the status, the
 * acquisition counter and the parameter registers answer afterwards. */
#include "fesim_frontend.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "fesim_log.h"

#define REG_ID 0x00
#define REG_CONTROL 0x01
#define REG_TPS_RX1 0x04
#define REG_TPS_RX2 0x05
#define REG_STATUS 0x06
#define REG_POWER 0x07
#define REG_COUNTER 0x10
#define REG_INVERSION 0x16
#define REG_PLL_M 0x2F
#define REG_PLL_NP 0x30
#define REG_BANDWIDTH 0x31
#define REG_SETTINGS_1 0x02
#define REG_SETTINGS_2 0x03

#define CONTROL_RESTART 0x40
#define CONTROL_AUTO 0x97   /* acquire with the offset code in 0x02-0x03 */
#define CONTROL_MANUAL 0xa0 /* acquire with the parameters in 0x02-0x03 */
#define CODE_NOMINAL 7      /* offset code of a first tuning: none known yet */
#define STATUS_LOCK 0x08
#define STATUS_CARRIER 0x07 /* timing/carrier bits: energy found, lock or not */
#define POWER_SLEEP 0x01
#define POWER_GATE 0x02
#define INVERSION_OFF_BIT 0x20
#define COUNTER_GIVE_UP 8
#define PLL_STATUS_LOCKED 0x40

#define XTAL_HZ 4000000u

static const int32_t offset_table[8] = {0, 166667, -166667, 333333, -333333, 500000, -500000, 0};

static const struct {
  uint8_t reg;
  uint8_t value;
} reset_values[] = {{0x37, 0xc7}, {0x3a, 0x15}, {0x3b, 0xff}, {0x3d, 0x0f}};

int32_t fesim_offset_hz(unsigned code) {
  return offset_table[code & 7];
}

uint32_t fesim_sample_clock(uint8_t reg2f, uint8_t reg30) {
  uint32_t p = reg30 >> 5;
  uint32_t n = reg30 & 0x1f;
  return (uint32_t)((uint64_t)XTAL_HZ * (reg2f + 45u) / ((p + 4) * (n + 1)));
}

uint32_t fesim_bandwidth_decode(const uint8_t regs[5], uint32_t fs) {
  uint64_t bw;
  uint64_t u_want;
  uint64_t hz;
  uint64_t m_want;
  uint64_t fs7 = (uint64_t)fs * 7;
  uint64_t m = ((uint64_t)(regs[1] & 0x03) << 24) | ((uint64_t)regs[2] << 16) |
               ((uint64_t)regs[3] << 8) | regs[4];
  uint32_t u = ((uint32_t)regs[0] << 4) | ((regs[1] >> 2) & 0x0f);
  if (fs7 == 0) {
    return 0;
  }
  hz = (m * fs7 + (1ull << 30)) >> 31;
  bw = (hz + 500) / 1000 * 1000;
  if (bw == 0 || bw > 100000000) {
    return 0;
  }
  /* The chip needs both timing words consistent with one bandwidth. */
  m_want = ((bw << 31) + fs7 / 2) / fs7;
  u_want = (fs7 * 32 + bw / 2) / bw;
  if (m_want != m || (u_want & 0xfff) != u) {
    return 0;
  }
  return (uint32_t)bw;
}

/* Channel bandwidth the multiplier word of 0x31-0x35 is timed for, to the
 * nearest hertz, whether or not the setting as a whole is consistent. */
static uint32_t bandwidth_approx(const struct fesim_frontend* fe) {
  const uint8_t* r = &fe->regs[REG_BANDWIDTH];
  uint64_t fs7 = (uint64_t)fesim_sample_clock(fe->regs[REG_PLL_M], fe->regs[REG_PLL_NP]) * 7;
  uint64_t m =
      ((uint64_t)(r[1] & 0x03) << 24) | ((uint64_t)r[2] << 16) | ((uint64_t)r[3] << 8) | r[4];
  return (uint32_t)((m * fs7 + (1ull << 30)) >> 31);
}

static uint32_t bandwidth_now(const struct fesim_frontend* fe) {
  uint32_t fs = fesim_sample_clock(fe->regs[REG_PLL_M], fe->regs[REG_PLL_NP]);
  return fesim_bandwidth_decode(&fe->regs[REG_BANDWIDTH], fs);
}

static void protocol_error(struct fesim_frontend* fe, const char* fmt, ...)
    __attribute__((format(printf, 2, 3)));

static void protocol_error(struct fesim_frontend* fe, const char* fmt, ...) {
  char why[FESIM_ERROR_LEN];
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(why, sizeof(why), fmt, ap);
  va_end(ap);
  if (fe->protocol_errors++ == 0) {
    memcpy(fe->first_error, why, sizeof(why));
  }
  if (fe->pending < FESIM_PENDING_ERRORS) {
    memcpy(fe->pending_errors[fe->pending++], why, sizeof(why));
  }
}

void fesim_frontend_log_errors(struct fesim_frontend* fe) {
  for (unsigned i = 0; i < fe->pending; i++) {
    fesim_log("protocol error: %s", fe->pending_errors[i]);
  }
  fe->pending = 0;
}

void fesim_frontend_close(struct fesim_frontend* fe) {
  if (fe->gate_pending) {
    protocol_error(fe, "bus closed with the gate open after a tuner access");
  }
  fe->gate_pending = 0;
  fesim_frontend_log_errors(fe);
}

void fesim_frontend_init(struct fesim_frontend* fe, const struct fesim_config* cfg) {
  memset(fe, 0, sizeof(*fe));
  fe->cfg = cfg;
  fe->regs[REG_POWER] = cfg->asleep ? POWER_SLEEP : 0x00;
  fe->regs[REG_PLL_M] = 0x08; /* reset values give the 53 MHz sample clock */
  fe->regs[REG_PLL_NP] = 0x00;
  fe->regs[REG_INVERSION] = INVERSION_OFF_BIT;
  /* Registers that the probe changes with masked writes power up with bits
   * outside its masks set, so a write that loses them shows in the log. */
  for (size_t i = 0; i < sizeof(reset_values) / sizeof(reset_values[0]); i++) {
    fe->regs[reset_values[i].reg] = reset_values[i].value;
  }
}

static int64_t distance(int64_t a, int64_t b) {
  return a > b ? a - b : b - a;
}

static void set_tps(struct fesim_frontend* fe, const struct fesim_channel* ch, unsigned code) {
  fe->regs[REG_TPS_RX1] =
      (uint8_t)(((code >> 2) & 1) << 7 | (ch->hierarchy & 3) << 5 | (ch->mode & 1) << 4 |
                (ch->guard & 3) << 2 | (ch->modulation & 3));
  fe->regs[REG_TPS_RX2] = (uint8_t)((code & 3) << 6 | (ch->hp & 7) << 3 | (ch->lp & 7));
}

/* A restart: look for a channel at the tuned frequency and bandwidth. A
 * channel locks when tuned onto its carrier (nominal + offset); tuned at its
 * nominal frequency with an offset, it only reports the offset code. */
static void restart(struct fesim_frontend* fe) {
  const struct fesim_config* cfg = fe->cfg;
  uint32_t bw = bandwidth_now(fe);

  fe->locked = 0;
  fe->carrier = 0;
  fe->locked_channel = NULL;
  fe->reported_code = 0;
  fe->status_reads = 0;
  fe->regs[REG_TPS_RX1] = 0;
  fe->regs[REG_TPS_RX2] = 0;
  if (!fe->tuned || bw == 0 || (fe->regs[REG_POWER] & POWER_SLEEP) != 0) {
    return;
  }
  for (size_t i = 0; i < cfg->channel_count; i++) {
    const struct fesim_channel* ch = &cfg->channels[i];
    int64_t carrier = (int64_t)ch->frequency + offset_table[ch->offset];
    int on_carrier = distance(fe->tuned_rf, carrier) <= fe->half_step;
    int on_nominal = distance(fe->tuned_rf, ch->frequency) <= fe->half_step;
    if (ch->bandwidth != bw) {
      continue;
    }
    if (on_carrier && !ch->never_locks) {
      fe->locked = 1;
      fe->carrier = 1;
      fe->locked_channel = ch;
      fe->reported_code = 0;
      set_tps(fe, ch, 0);
      if (ch->inversion) {
        fe->regs[REG_INVERSION] &= (uint8_t)~INVERSION_OFF_BIT;
      } else {
        fe->regs[REG_INVERSION] |= INVERSION_OFF_BIT;
      }
      return;
    }
    if (!fe->carrier && (on_nominal || (ch->never_locks && on_carrier))) {
      fe->carrier = 1;
      fe->reported_code = ch->offset;
      fe->reported_rf = fe->tuned_rf;
      set_tps(fe, ch, ch->offset);
    }
  }
}

static uint8_t read_reg(struct fesim_frontend* fe, uint8_t reg) {
  switch (reg) {
    case REG_ID:
      return (fe->regs[REG_POWER] & POWER_SLEEP) != 0 ? 0x00 : fe->cfg->id;
    case REG_STATUS: {
      uint8_t status;
      fe->status_reads++;
      status = fe->carrier ? STATUS_CARRIER : 0;
      if (fe->locked && fe->status_reads > fe->cfg->lock_delay) {
        status |= STATUS_LOCK;
      }
      return status;
    }
    case REG_COUNTER: {
      int lock_shown = fe->locked && fe->status_reads > fe->cfg->lock_delay;
      if (!lock_shown && !fe->cfg->counter_stuck && fe->counter < COUNTER_GIVE_UP) {
        fe->counter++;
      }
      return fe->counter;
    }
    default:
      return fe->regs[reg];
  }
}

static void write_reg(struct fesim_frontend* fe, uint8_t reg, uint8_t value) {
  switch (reg) {
    case REG_ID:
    case REG_STATUS:
      return; /* read-only */
    case REG_COUNTER:
      fe->counter = value;
      return;
    case REG_CONTROL:
      /* A restart repeats the control bits in force; the restart bit clears
       * itself once acquisition has restarted. */
      if ((value & CONTROL_RESTART) != 0 && (value & ~CONTROL_RESTART) != fe->regs[reg]) {
        protocol_error(fe, "restart %02x changes the control byte %02x", value, fe->regs[reg]);
      }
      fe->regs[reg] = value & (uint8_t)~CONTROL_RESTART;
      if ((value & CONTROL_RESTART) != 0) {
        restart(fe);
      }
      return;
    default:
      fe->regs[reg] = value;
      return;
  }
}

/* Offset code an acquisition must carry: the one the chip reported, when the
 * tuner now sits at that offset from where it was reported; else none yet. */
static unsigned expected_code(const struct fesim_frontend* fe) {
  int64_t retune;
  unsigned code = fe->reported_code;
  if (code == 0 || !fe->tuned) {
    return CODE_NOMINAL;
  }
  retune = fe->reported_rf + offset_table[code];
  return distance(fe->tuned_rf, retune) <= fe->half_step ? code : CODE_NOMINAL;
}

/* A control byte with both settings registers: the acquisition's offset code,
 * or the parameters of the channel that locked. */
static void check_settings(struct fesim_frontend* fe, const uint8_t b[3]) {
  if (b[0] == CONTROL_AUTO) {
    unsigned code = expected_code(fe);
    uint8_t want1 = (uint8_t)((code >> 2) << 7);
    uint8_t want2 = (uint8_t)((code & 3) << 6);
    if (b[1] != want1 || b[2] != want2) {
      protocol_error(fe, "acquisition 97 %02x %02x, expected 97 %02x %02x (offset code %u)", b[1],
                     b[2], want1, want2, code);
    }
    return;
  }
  if (b[0] == CONTROL_MANUAL) {
    uint8_t want2;
    uint8_t want1;
    const struct fesim_channel* ch = fe->locked_channel;
    if (!ch) {
      protocol_error(fe, "parameters a0 %02x %02x written back without a lock", b[1], b[2]);
      return;
    }
    want1 = (uint8_t)((ch->hierarchy & 3) << 5 | (ch->mode & 1) << 4 | (ch->guard & 3) << 2 |
                      (ch->modulation & 3));
    want2 = (uint8_t)((ch->hp & 7) << 3 | (ch->lp & 7));
    if (b[1] != want1 || b[2] != want2) {
      protocol_error(fe, "parameters a0 %02x %02x, expected a0 %02x %02x for %u Hz", b[1], b[2],
                     want1, want2, (unsigned)ch->frequency);
    }
    return;
  }
  protocol_error(fe, "control byte %02x with settings %02x %02x", b[0], b[1], b[2]);
}

/* Whether a run of n registers from start covers reg (the pointer wraps). */
static int covers(uint8_t start, size_t n, uint8_t reg) {
  return (uint8_t)(reg - start) < n;
}

/* While the gate is open after a tuner access, only register 0x07 (to close
 * it) may be touched. */
static void check_gate(struct fesim_frontend* fe, uint8_t start, size_t n) {
  if (!fe->gate_pending || (start == REG_POWER && n <= 1)) {
    return;
  }
  protocol_error(fe, "gate left open after a tuner access (register %02x next)", start);
  fe->gate_pending = 0;
}

static int demod_message(struct fesim_frontend* fe, int read, uint8_t* buf, size_t len) {
  size_t n;
  uint8_t start;
  if (read) {
    check_gate(fe, fe->pointer, len);
    for (size_t i = 0; i < len; i++) {
      buf[i] = read_reg(fe, fe->pointer++);
    }
    return 0;
  }
  if (len == 0) {
    return 0;
  }
  start = buf[0];
  n = len - 1;
  check_gate(fe, start, n);
  fe->pointer = start;
  for (size_t i = 1; i < len; i++) {
    write_reg(fe, fe->pointer++, buf[i]);
  }
  if ((fe->regs[REG_POWER] & POWER_GATE) == 0) {
    fe->gate_pending = 0;
  }
  if (start == REG_CONTROL && n == 3) {
    check_settings(fe, &buf[1]);
  } else if (covers(start, n, REG_SETTINGS_1) || covers(start, n, REG_SETTINGS_2)) {
    protocol_error(fe, "settings 0x02-0x03 written without their control byte");
  }
  return 0;
}

static int pll_message(struct fesim_frontend* fe, int read, uint8_t* buf, size_t len) {
  char why[FESIM_ERROR_LEN];
  if ((fe->regs[REG_POWER] & POWER_GATE) == 0) {
    return -1; /* behind the closed gate nothing acknowledges */
  }
  if (read) {
    memset(buf, PLL_STATUS_LOCKED, len);
    fe->gate_pending = 1;
    return 0;
  }
  if (len != FESIM_TUNER_MSG_LEN) {
    return -1;
  }
  fe->gate_pending = 1;
  memcpy(fe->pll, buf, sizeof(fe->pll));
  fe->tuned = fesim_pll_decode(fe->pll, fe->cfg->if_freq, &fe->tuned_rf, &fe->half_step) == 0;
  if (!fe->tuned) {
    protocol_error(fe, "tuner byte 2 %02x has no ratio code", buf[2]);
  } else if (fesim_tuner_check(&fe->cfg->tuner, fe->pll, fe->tuned_rf, fe->half_step,
                               fe->cfg->if_freq, bandwidth_approx(fe), why, sizeof(why)) != 0) {
    protocol_error(fe, "%s", why);
  }
  return 0;
}

int fesim_frontend_message(struct fesim_frontend* fe, uint16_t addr, int read, uint8_t* buf,
                           size_t len) {
  if (addr == FESIM_DEMOD_ADDR) {
    return demod_message(fe, read, buf, len);
  }
  if (addr == FESIM_PLL_ADDR) {
    return pll_message(fe, read, buf, len);
  }
  return -1;
}
