/* Tuner PLL: tuning message computation and transfers through the demodulator's gate. */
#include "pll.h"

#include <errno.h>
#include <stdio.h>
#include <unistd.h>

#include "interrupt.h"
#include "tda10046.h"
#include "tda10046_regs.h"

#define PLL_SETTLE_US 100
#define PLL_MAX_DIVIDER 0x8000u
#define PLL_WIDE_CHANNEL 8000000u
#define PLL_WIDE_BIT 0x08

/* The exact 1/6 MHz raster with the IF as 217 steps. */
#define RASTER_IF 36166667u
#define RASTER_STEP 166667u

static const struct {
  uint32_t step;
  int code;
} ratio_codes[] = {
    {62500, 0}, {142860, 1}, {166667, 2}, {50000, 3}, {125000, 4},
};

/* Frequency ranges: the first row whose limit is above the frequency gives the
 * value; a frequency past the last row gets the caller's value. */
struct limit_row {
  uint32_t below;
  int value;
};

static const struct limit_row charge_pumps[] = {
    {87000000, -1}, {130000000, 3}, {160000000, 5}, {200000000, 6}, {290000000, 3},
    {420000000, 5}, {480000000, 6}, {620000000, 3}, {830000000, 5}, {895000000, 7},
};

static const struct limit_row bands[] = {
    {49000000, -1},
    {161000000, 1},
    {444000000, 2},
    {861000000, 4},
};

static int lookup_limit(const struct limit_row* rows, size_t count, uint32_t f, int above) {
  size_t i;
  for (i = 0; i < count; i++) {
    if (f < rows[i].below) {
      return rows[i].value;
    }
  }
  return above;
}

int pll_ratio_code(uint32_t step_size) {
  size_t i;
  for (i = 0; i < sizeof(ratio_codes) / sizeof(ratio_codes[0]); i++) {
    if (ratio_codes[i].step == step_size) {
      return ratio_codes[i].code;
    }
  }
  fprintf(stderr, "invalid step_size: %u\n", (unsigned)step_size);
  return -EINVAL;
}

int pll_divider(const frontend_state* fe, uint32_t f, uint32_t* n) {
  uint32_t step = fe->step_size;
  uint32_t divider;

  if (fe->if_freq == RASTER_IF && step == RASTER_STEP) {
    *n = (3u * f + 250000u) / 500000u + 217u;
    return 0;
  }
  divider = (f + fe->if_freq + step / 2u) / step;
  if (divider >= PLL_MAX_DIVIDER) {
    fprintf(stderr, "invalid frequency: %u\n", (unsigned)f);
    return -1;
  }
  *n = divider;
  return 0;
}

int pll_charge_pump(uint32_t lo) {
  return lookup_limit(charge_pumps, sizeof(charge_pumps) / sizeof(charge_pumps[0]), lo, -1);
}

int pll_band(uint32_t f) {
  return lookup_limit(bands, sizeof(bands) / sizeof(bands[0]), f, -EINVAL);
}

int pll_build_message(const frontend_state* fe, uint32_t f, uint32_t bw, uint8_t out[4]) {
  uint32_t n;
  int ratio;
  int cp;
  int band;
  int ret;

  ratio = pll_ratio_code(fe->step_size);
  if (ratio < 0) {
    return ratio;
  }
  ret = pll_divider(fe, f, &n);
  if (ret < 0) {
    return ret;
  }
  cp = fe->cp;
  if (cp == 0) {
    cp = pll_charge_pump(f + fe->if_freq);
    if (cp < 0) {
      fprintf(stderr, "no automatic charge pump for oscillator frequency %u Hz (87 to 895 MHz)\n",
              (unsigned)(f + fe->if_freq));
      return cp;
    }
  }
  band = pll_band(f);
  if (band < 0) {
    fprintf(stderr, "frequency %u Hz outside the tuner's bands (49 to 861 MHz)\n", (unsigned)f);
    return band;
  }
  /* The tuner's AGC byte (atc, al) is not part of the message: only these four
   * bytes are sent. */
  out[0] = (uint8_t)((n >> 8) & 0x7F);
  out[1] = (uint8_t)(n & 0xFF);
  out[2] = (uint8_t)(0xC0u | ((uint32_t)fe->test << 3) | (uint32_t)ratio);
  out[3] = (uint8_t)(((uint32_t)cp << 5) | (bw >= PLL_WIDE_CHANNEL ? PLL_WIDE_BIT : 0u) |
                     (uint32_t)band);
  return 0;
}

int pll_set_frequency(frontend_state* fe, uint32_t f, uint32_t bw) {
  uint8_t msg[4];
  int ret = pll_build_message(fe, f, bw, msg);
  if (ret < 0) {
    return ret;
  }
  ret = pll_write_gated(fe, msg, sizeof(msg));
  if (ret < 0) {
    return ret;
  }
  usleep(PLL_SETTLE_US);
  return 0;
}

/* Gate open, one tuner transfer (write unless reading), gate closed. A signal
 * from before the gate opens until it is closed again has the gate closed
 * (interrupt.h). */
static int pll_gated(frontend_state* fe, uint8_t* data, size_t length, int reading) {
  int ret;
  interrupt_gate_opening();
  ret = tda10046_write_mask(fe, REG_CONF, CONF_GATE_OPEN, CONF_GATE_OPEN);
  if (ret < 0) {
    return ret;
  }
  if (reading) {
    ret = pll_read(fe->bus, fe->pll_addr, data, length);
  } else {
    ret = pll_write(fe->bus, fe->pll_addr, data, length);
  }
  if (ret < 0) {
    return ret;
  }
  ret = tda10046_write_mask(fe, REG_CONF, CONF_GATE_OPEN, 0x00);
  if (ret == 0) {
    interrupt_gate_closed();
  }
  return ret;
}

int pll_write_gated(frontend_state* fe, const uint8_t* data, size_t length) {
  /* A write only reads the buffer. */
  return pll_gated(fe, (uint8_t*)data, length, 0);
}

int pll_read_gated(frontend_state* fe, uint8_t* data, size_t length) {
  return pll_gated(fe, data, length, 1);
}
