/* Register model of the simulated front-end: a TDA10046 demodulator at 0x08
 * and a tuner PLL at 0x60 behind the demodulator's I2C gate, with reception
 * of the channels the config puts on the air. Bytes the chips accept but that
 * do not match what the model expects (the tuner's control bytes, the
 * acquisition settings, the parameters written back after a lock, a gate left
 * open after a tuner access) are protocol errors: counted, and logged as
 * "protocol error: ..." lines. */
#ifndef FESIM_FRONTEND_H
#define FESIM_FRONTEND_H

#include <stddef.h>
#include <stdint.h>

#include "fesim_config.h"
#include "fesim_tuner.h"

#define FESIM_DEMOD_ADDR 0x08
#define FESIM_PLL_ADDR 0x60
#define FESIM_ERROR_LEN 160
#define FESIM_PENDING_ERRORS 4

struct fesim_frontend {
  const struct fesim_config* cfg;
  uint8_t regs[256];
  uint8_t pointer;                            /* register address, auto-incremented */
  uint8_t pll[4];                             /* last divider/control message */
  int tuned;                                  /* a valid divider message was written */
  int64_t tuned_rf;                           /* RF frequency decoded from the divider, Hz */
  uint32_t half_step;                         /* capture range around a channel, Hz */
  int carrier;                                /* restart found energy of some channel */
  int locked;                                 /* restart found a channel that locks */
  unsigned status_reads;                      /* status reads since the restart */
  uint8_t counter;                            /* acquisition counter, register 0x10 */
  const struct fesim_channel* locked_channel; /* the channel the last restart locked */
  unsigned reported_code; /* offset code the last restart reported without lock, or 0 */
  int64_t reported_rf;    /* where it was tuned then */
  int gate_pending;       /* a tuner access was acknowledged: the gate must close next */
  unsigned long protocol_errors;
  char first_error[FESIM_ERROR_LEN];
  unsigned pending; /* errors found but not yet logged */
  char pending_errors[FESIM_PENDING_ERRORS][FESIM_ERROR_LEN];
};

/* Puts the chips in their power-on state. cfg must outlive fe. */
void fesim_frontend_init(struct fesim_frontend* fe, const struct fesim_config* cfg);

/* One message of a transfer to addr: a write of len bytes from buf, or a read
 * of len bytes into buf. Returns 0 when the device acknowledges, -1 when
 * nothing answers (no such device, the tuner while the gate is closed, or a
 * tuner write that is not exactly FESIM_TUNER_MSG_LEN bytes). */
int fesim_frontend_message(struct fesim_frontend* fe, uint16_t addr, int read, uint8_t* buf,
                           size_t len);

/* Logs the protocol errors found since the last call, one line each, after
 * the log line of the message that caused them. */
void fesim_frontend_log_errors(struct fesim_frontend* fe);

/* The bus is closed: a gate still open after a tuner access is a protocol
 * error (logged at once). */
void fesim_frontend_close(struct fesim_frontend* fe);

/* Sample clock in Hz from registers 0x2F (multiplier) and 0x30 (pre-divider
 * in bits 7..5, divider in bits 4..0), with the 4 MHz crystal. */
uint32_t fesim_sample_clock(uint8_t reg2f, uint8_t reg30);

/* The channel bandwidth in Hz that registers 0x31-0x35 are timed for at sample
 * clock fs, or 0 when the five bytes are not a consistent setting for a whole
 * number of kHz. */
uint32_t fesim_bandwidth_decode(const uint8_t regs[5], uint32_t fs);

/* Frequency offset in Hz of an offset code (0..7). */
int32_t fesim_offset_hz(unsigned code);

#endif
