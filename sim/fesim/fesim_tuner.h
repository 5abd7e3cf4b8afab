/* The simulated tuner PLL's view of its four-byte message: the divider and
 * ratio code it tunes by, and the control bytes 2 and 3 it expects for the
 * frequency it is tuned to (charge pump, band, 8 MHz bit, test bits), from the
 * tuner's own tables. */
#ifndef FESIM_TUNER_H
#define FESIM_TUNER_H

#include <stddef.h>
#include <stdint.h>

/* Length of the tuner's divider/control message: nothing else is accepted. */
#define FESIM_TUNER_MSG_LEN 4

/* The settings the probe was started with, which the model cannot see on the
 * bus: charge pump (0 = chosen by frequency), test bits and tuner step. */
struct fesim_tuner_settings {
  unsigned cp;
  unsigned test;
  uint32_t step;
};

/* Decodes a tuner message (divider bytes 0-1, ratio code in byte 2) into the
 * RF frequency for the given IF, and half the tuner step. The 1/6 MHz step is
 * taken exactly. Returns 0, or -1 for an unknown ratio code. */
int fesim_pll_decode(const uint8_t msg[4], uint32_t if_freq, int64_t* rf, uint32_t* half_step);

/* Ratio-select code of a tuner step in Hz, or -1 for a step the tuner lacks. */
int fesim_tuner_ratio_code(uint32_t step);

/* Checks bytes 0 (bit 7), 2 and 3 of a message the tuner accepted: rf and
 * half_step as decoded, if_freq the IF, bandwidth the channel bandwidth the
 * demodulator is timed for (Hz, 0 when unknown). Within half a step of a
 * band or charge-pump edge either side's value is accepted, since the
 * frequency asked for is only known to that precision. Returns 0, or -1 with
 * the first mismatch described in why (whylen bytes). */
int fesim_tuner_check(const struct fesim_tuner_settings* settings, const uint8_t msg[4], int64_t rf,
                      uint32_t half_step, uint32_t if_freq, uint32_t bandwidth, char* why,
                      size_t whylen);

#endif
