/* The tuner's message: divider decoding and the control bytes it expects,
 * from the tuner's own charge-pump, band and ratio tables. */
#include "fesim_tuner.h"

#include <stdio.h>

#define SIXTH_MHZ_CODE 2
#define CONTROL_FIXED 0xc0 /* byte 2 bits 7..6 */
#define WIDE_BIT 0x08      /* byte 3: channel of 8 MHz or more */
#define WIDE_HZ 8000000
#define NONE (-1)

/* Tuner steps by ratio-select code. */
static const uint32_t ratio_steps[] = {62500, 142860, 166667, 50000, 125000};

/* A frequency range: below `below` Hz (and not below the previous row) the
 * value applies; beyond the last row there is none. */
struct edge {
  int64_t below;
  int value;
};

/* Charge pump by oscillator frequency (RF + IF). */
static const struct edge charge_pumps[] = {
    {87000000, NONE}, {130000000, 3}, {160000000, 5}, {200000000, 6}, {290000000, 3},
    {420000000, 5},   {480000000, 6}, {620000000, 3}, {830000000, 5}, {895000000, 7},
};

/* Band-switch bits by RF frequency. */
static const struct edge bands[] = {
    {49000000, NONE}, {161000000, 1}, {444000000, 2}, {861000000, 4}};

#define COUNT(a) (sizeof(a) / sizeof((a)[0]))

static int lookup(const struct edge* table, size_t n, int64_t f) {
  for (size_t i = 0; i < n; i++) {
    if (f < table[i].below) {
      return table[i].value;
    }
  }
  return NONE;
}

/* Whether value is what the table gives anywhere within f +- half. */
static int allowed(const struct edge* table, size_t n, int64_t f, uint32_t half, int value) {
  return value != NONE && (lookup(table, n, f - half) == value || lookup(table, n, f) == value ||
                           lookup(table, n, f + half) == value);
}

int fesim_tuner_ratio_code(uint32_t step) {
  for (size_t i = 0; i < COUNT(ratio_steps); i++) {
    if (ratio_steps[i] == step) {
      return (int)i;
    }
  }
  return -1;
}

int fesim_pll_decode(const uint8_t msg[4], uint32_t if_freq, int64_t* rf, uint32_t* half_step) {
  unsigned code = msg[2] & 0x07;
  int64_t n = ((int64_t)(msg[0] & 0x7f) << 8) | msg[1];
  if (code >= COUNT(ratio_steps)) {
    return -1;
  }
  if (code == SIXTH_MHZ_CODE) {
    *rf = (n * 1000000 + 3) / 6 - if_freq;
  } else {
    *rf = n * ratio_steps[code] - if_freq;
  }
  *half_step = ratio_steps[code] / 2;
  return 0;
}

int fesim_tuner_check(const struct fesim_tuner_settings* settings, const uint8_t msg[4], int64_t rf,
                      uint32_t half_step, uint32_t if_freq, uint32_t bandwidth, char* why,
                      size_t whylen) {
  int band_ok;
  int cp_ok;
  int band_sent;
  int cp_sent;
  uint8_t want2;
  unsigned wide;
  int band;
  int ratio;
  int64_t lo;
  int cp;
  if ((msg[0] & 0x80) != 0) {
    snprintf(why, whylen, "tuner byte 0 %02x has bit 7 set", msg[0]);
    return -1;
  }
  ratio = fesim_tuner_ratio_code(settings->step);
  want2 = (uint8_t)(CONTROL_FIXED | (settings->test & 7) << 3 | (ratio & 7));
  if (msg[2] != want2) {
    snprintf(why, whylen, "tuner byte 2 %02x, expected %02x (test bits %u, step %u Hz)", msg[2],
             want2, settings->test, settings->step);
    return -1;
  }

  lo = rf + if_freq;
  wide = bandwidth >= WIDE_HZ ? WIDE_BIT : 0;
  cp_sent = msg[3] >> 5;
  band_sent = msg[3] & 0x07;
  cp_ok = settings->cp != 0 ? cp_sent == (int)settings->cp
                            : allowed(charge_pumps, COUNT(charge_pumps), lo, half_step, cp_sent);
  band_ok = allowed(bands, COUNT(bands), rf, half_step, band_sent);
  if (cp_ok && band_ok && (msg[3] & 0x18) == wide) {
    return 0;
  }

  cp = settings->cp != 0 ? (int)settings->cp : lookup(charge_pumps, COUNT(charge_pumps), lo);
  band = lookup(bands, COUNT(bands), rf);
  if (band == NONE) {
    snprintf(why, whylen, "tuner message for %lld Hz, outside every band", (long long)rf);
  } else if (cp == NONE) {
    snprintf(why, whylen, "tuner message for oscillator %lld Hz, outside the charge-pump table",
             (long long)lo);
  } else {
    snprintf(why, whylen, "tuner byte 3 %02x, expected %02x for %lld Hz", msg[3],
             (unsigned)(cp << 5 | wide | band), (long long)rf);
  }
  return -1;
}
