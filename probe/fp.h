/* The box's front processor, reached through two mapped physical windows; feprobe
 * uses it for one job: resetting the front-end hardware on I2C bus 0 or 1. */
#ifndef FEPROBE_FP_H
#define FEPROBE_FP_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Physical windows and the registers inside them. */
#define FP_CTRL_PHYS 0x18000000u
#define FP_TX_PHYS 0x1E000000u
#define FP_WINDOW_SIZE 4096u
#define FP_CTRL_STATUS 0x8A0u /* 32-bit; FP_CTRL_BUSY set: no frame may start */
#define FP_CTRL_BUSY 0x10u
#define FP_TX_STATUS 0x25u /* 8-bit; FP_TX_READY set: next byte may be stored */
#define FP_TX_READY 0x20u
#define FP_TX_DATA 0x20u /* 8-bit transmit data */

/* Transmit-ready polls per byte before giving the byte up. */
#define FP_TX_POLLS 10001
/* Bound of the busy-bit wait before a frame: time, and a poll count as backstop. */
#define FP_BUSY_TIMEOUT_MS 2000u
#define FP_BUSY_MAX_POLLS 100000000u

/* Opens /dev/mem and maps both windows. Returns 0, mem_open's -1, or -EIO when a
 * mapping fails. Nothing is undone on failure: the caller exits. */
int fp_init(void);

/* Unmaps both windows and drops the /dev/mem user. */
void fp_exit(void);

/* Stores one byte in the transmit register once the transmitter is ready.
 * Returns 0, or -ETIMEDOUT after "!!! FP TX TIMEOUT\n" when it never became ready
 * (the byte is not stored). */
int fp_putc(uint8_t byte);

/* Sends the frame 47 02 cmd[0] cmd[1] (0x3F ^ cmd[0] ^ cmd[1]) once the busy bit is
 * clear. Returns 0, or -ETIMEDOUT after "fp busy timeout\n" when the busy bit stays
 * set for FP_BUSY_TIMEOUT_MS, or when a byte times out (the rest of the frame is
 * abandoned). */
int fp_send(const uint8_t cmd[2]);

/* Resets the front-end on bus 0 or 1: frames {0x80+bus, 0x00} then {0x80+bus, 0xFF}.
 * Returns 0, -EINVAL for another bus (nothing sent), or fp_send's error (the
 * second frame is not sent after a failed first). */
int fp_reset_bus(unsigned bus);

#ifdef __cplusplus
}
#endif

#endif
