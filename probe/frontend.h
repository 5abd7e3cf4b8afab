/* The DVB-T front-end as one record (demodulator plus tuner PLL on one bus), the
 * channel record, and the acquisition loop that tunes a channel list and reports
 * each channel locked or not. */
#ifndef FEPROBE_FRONTEND_H
#define FEPROBE_FRONTEND_H

#include <stdint.h>

#include "i2c.h"

#ifdef __cplusplus
extern "C" {
#endif

#define TDA10046_ADDR 0x08
#define PLL_ADDR 0x60

/* Front-end record; created by frontend_new, lives until the process exits. */
typedef struct frontend_state {
  i2c_handle* bus;
  uint16_t demod_addr; /* I2C_ADDR_UNSET = not set */
  uint32_t revision;   /* identification byte, once checked */
  i2c_handle* tuner_bus;
  uint16_t pll_addr;  /* I2C_ADDR_UNSET = not set */
  uint32_t if_freq;   /* Hz */
  uint32_t step_size; /* Hz */
  uint8_t cp;         /* charge pump; 0 = by frequency */
  uint8_t test;       /* tuner control byte bits 5..3 */
  uint8_t atc;        /* AGC time constant; stored only */
  uint8_t al;         /* AGC take-over level; stored only */
  uint32_t xtal_freq; /* Hz */
  uint32_t pll_m;
  uint32_t pll_n;
  uint32_t pll_p;
} frontend_state;

/* One channel: the input to acquisition and, once locked, its result. */
typedef struct channel {
  uint32_t frequency; /* Hz; 0 ends a list */
  uint32_t bandwidth; /* Hz */
  uint32_t inversion;
  uint32_t transmission_mode;
  uint32_t guard_interval;
  uint32_t modulation;
  uint32_t hierarchy;
  uint32_t code_rate_hp;
  uint32_t code_rate_lp;
} channel;

/* Locked flag passed to the acquisition callback. */
#define FRONTEND_LOCKED 8

/* Acquisition report: (record, channel, cookie, FRONTEND_LOCKED or 0); the result
 * is ignored. */
typedef int (*frontend_callback)(frontend_state* fe, channel* ch, void* cookie, int locked);

/* Bound of one lock wait when the chip's counter never reaches its limit. */
#define FRONTEND_LOCK_TIMEOUT_MS 2000u
#define FRONTEND_LOCK_MAX_POLLS 1000000u

/* Frequency offset in Hz for each 3-bit offset code the chip reports. */
extern const int32_t offset_table[8];

/* Allocates a record with the chip defaults (demodulator 0x08, PLL 0x60, IF
 * 36,166,666 Hz, step 166,667 Hz, test 1, al 4, crystal 4 MHz, pll_m 8).
 * Returns NULL after perror("malloc"). */
frontend_state* frontend_new(i2c_handle* bus);

/* Tunes each channel of the zero-terminated list, waits for lock, retunes once at
 * the offset the chip reports, reads back the parameters of a locked channel and
 * reports each channel to callback (may be NULL). A channel that does not lock is
 * not an error. Returns 0, the first I2C or tuner error, or -ETIMEDOUT after
 * "lock wait timeout at %u Hz\n" when the chip neither locks nor gives up within
 * FRONTEND_LOCK_TIMEOUT_MS. */
int frontend_acquire(frontend_state* fe, channel* list, frontend_callback callback, void* cookie);

/* Names of the parameter codes; each masks its code, so always returns a name. */
const char* inversion_name(uint32_t code);
const char* transmission_mode_name(uint32_t code);
const char* guard_interval_name(uint32_t code);
const char* modulation_name(uint32_t code);
const char* hierarchy_name(uint32_t code);
const char* code_rate_name(uint32_t code);

#ifdef __cplusplus
}
#endif

#endif
