/* TDA10046 COFDM demodulator operations: identification, init, sleep and wake-up,
 * restart, bandwidth, inversion, modulation and transmission parameters. The pure
 * register-value computations are exposed for checking without hardware. */
#ifndef FEPROBE_TDA10046_H
#define FEPROBE_TDA10046_H

#include <stdint.h>

#include "frontend.h"

#ifdef __cplusplus
extern "C" {
#endif

/* All operations return 0 or a negative error; I2C failures come up unchanged (-1). */

/* Sample clock xtal * (m + 45) / ((p + 4) * (n + 1)), unsigned 32-bit; 53 MHz at defaults. */
uint32_t tda10046_sample_clock(const frontend_state* fe);

/* Register 0x3E value for sample clock fs (0x67 at 53 MHz). */
uint8_t tda10046_clock_byte(uint32_t fs);

/* Signed 16-bit IF word for registers 0x4D-0x4E, rounded half away from zero
 * (0xD759 for IF 36,166,667 Hz at 53 MHz). */
uint16_t tda10046_if_word(uint32_t if_freq, uint32_t fs);

/* The five timing bytes for registers 0x31-0x35 for bandwidth bw (Hz) at sample
 * clock fs. Returns 0, or -EINVAL (out untouched) for a bandwidth of 0 or one
 * whose timing words do not fit their 26 and 12 bits (about 2.9 to 11.6 MHz at
 * 53 MHz). */
int tda10046_bandwidth_bytes(uint32_t fs, uint32_t bw, uint8_t out[5]);

int tda10046_write_reg(frontend_state* fe, uint8_t reg, uint8_t value);
int tda10046_write_mask(frontend_state* fe, uint8_t reg, uint8_t mask, uint8_t value);

/* Reads register 0x00. Returns 0 for 0x45 or 0x46 (stored in revision); -ENODEV
 * after "could not read revision\n"; -EINVAL after "unknown tda revision ..." (and
 * the hardware-reset hint for 0x00). */
int tda10046_check_revision(frontend_state* fe);

int tda10046_wakeup(frontend_state* fe);
int tda10046_sleep(frontend_state* fe);

/* Sets the restart bit of register 0x01. Returns the write's result. */
int tda10046_restart(frontend_state* fe);

/* 0 = inversion off, 1 = on. Returns -EINVAL after "invalid inversion: %d\n"
 * for other values (nothing written). */
int tda10046_set_inversion(frontend_state* fe, int inversion);

/* 4, 16 or 64 (QPSK, QAM16, QAM64). Returns -EINVAL after "invalid
 * modulation: %d\n" for other values (nothing written). */
int tda10046_set_modulation(frontend_state* fe, int modulation);

/* Writes registers 0x31-0x35 for bandwidth bw in Hz. Returns -EINVAL after
 * "invalid bandwidth: %u\n" when tda10046_bandwidth_bytes refuses bw. */
int tda10046_set_bandwidth(frontend_state* fe, uint32_t bw);

/* The 27-step initialisation sequence; stops at the first failing step and
 * returns its error (the restart of step 3 is not checked). */
int tda10046_init(frontend_state* fe);

/* Fills the six transmission-parameter fields from registers 0x04-0x05. */
int tda10046_read_tps(frontend_state* fe, channel* ch);

/* Stores 1 when bit 5 of register 0x16 is clear, else 0. */
int tda10046_read_inversion(frontend_state* fe, uint32_t* inversion);

/* Programs the channel's parameters into registers 0x01-0x03 and restarts. */
int tda10046_write_tps(frontend_state* fe, const channel* ch);

/* Prints "tda10046_get_bw NYI" and returns 0. */
int tda10046_get_bw(frontend_state* fe);

#ifdef __cplusplus
}
#endif

#endif
