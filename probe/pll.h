/* The tuner PLL behind the demodulator's I2C gate: the tuning message (divider,
 * ratio, charge pump, band) and gated transfers. The message computation is a
 * pure function so its bytes can be checked without hardware. */
#ifndef FEPROBE_PLL_H
#define FEPROBE_PLL_H

#include <stddef.h>
#include <stdint.h>

#include "frontend.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Ratio-select code for a step size in Hz. Returns 0..4, or -EINVAL after
 * "invalid step_size: %u\n". */
int pll_ratio_code(uint32_t step_size);

/* Divider for RF frequency f (Hz) into *n. Returns 0, or -1 after
 * "invalid frequency: %u\n" when the divider is 0x8000 or more. */
int pll_divider(const frontend_state* fe, uint32_t f, uint32_t* n);

/* Automatic charge pump for oscillator frequency lo (Hz). Returns 3, 5, 6 or 7, or
 * -1 outside 87-895 MHz (no message). */
int pll_charge_pump(uint32_t lo);

/* Band bits for RF frequency f (Hz). Returns 1, 2 or 4; -1 below 49 MHz, -EINVAL
 * from 861 MHz (no message). */
int pll_band(uint32_t f);

/* Builds the four-byte tuner message for frequency f and channel bandwidth bw (Hz).
 * Returns 0, or the first failing step's error as above; a charge pump or band
 * out of range is reported here in one line ("no automatic charge pump for
 * oscillator frequency %u Hz ...", "frequency %u Hz outside the tuner's bands ..."). */
int pll_build_message(const frontend_state* fe, uint32_t f, uint32_t bw, uint8_t out[4]);

/* Tunes to f: builds the message, sends it through the gate, waits 100 us.
 * Returns 0 or the error of pll_build_message or the transfer. */
int pll_set_frequency(frontend_state* fe, uint32_t f, uint32_t bw);

/* Opens the gate, does one tuner write / read, closes the gate. Returns 0 or the
 * first error; a failed tuner transfer leaves the gate open. */
int pll_write_gated(frontend_state* fe, const uint8_t* data, size_t length);
int pll_read_gated(frontend_state* fe, uint8_t* data, size_t length);

#ifdef __cplusplus
}
#endif

#endif
