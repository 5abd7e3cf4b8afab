/* Linux i2c-dev access for feprobe: opening a bus, combined I2C_RDWR transfers,
 * register-style access to the demodulator and plain messages to the tuner PLL. */
#ifndef FEPROBE_I2C_H
#define FEPROBE_I2C_H

#include <stddef.h>
#include <stdint.h>

/* struct i2c_msg first: older kernel headers' i2c-dev.h only refer to it. */
#include <linux/i2c.h>

#include <linux/i2c-dev.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Device address value meaning "no address configured". */
#define I2C_ADDR_UNSET 0xFFFFu

/* An open i2c-dev node; the demodulator and the tuner share one. */
typedef struct i2c_handle {
  int32_t fd;
} i2c_handle;

/* Opens /dev/i2c-<bus>, else /dev/i2c/<bus>, read-write.
 * Returns a new handle, or NULL (perror("malloc") or perror of the second path). */
i2c_handle* i2c_open(unsigned bus);

/* Closes the node and frees the handle. */
void i2c_close(i2c_handle* handle);

/* One I2C_RDWR ioctl with count messages, no retry. Returns count, or -1 when the
 * ioctl fails (perror("i2c_transfer"), errno kept) or reports another number of
 * messages (a message naming both counts, errno EIO). */
int i2c_transfer(i2c_handle* handle, struct i2c_msg* msgs, int count);

/* The bare I2C_RDWR call on descriptor fd, async-signal-safe: no message, no
 * allocation. Returns the ioctl's result (the count of messages, or -1). */
int i2c_transfer_raw(int fd, struct i2c_msg* msgs, int count);

/* Writes the on-wire register address (one byte below 0x100, else two bytes high
 * first) to out and returns its length, 1 or 2. */
size_t i2c_reg_prefix(uint16_t reg, uint8_t out[2]);

/* Writes length bytes to consecutive registers from reg in one message.
 * Returns 0, -1 when addr is unset (message, errno EDESTADDRREQ, bus untouched) or
 * the transfer failed,
 * -ENOMEM when the message buffer cannot be allocated. */
int frontend_write(i2c_handle* handle, uint16_t addr, uint16_t reg, const uint8_t* src,
                   size_t length);

/* Reads length bytes from consecutive registers from reg (write of the register
 * address, then a read, in one transfer). Returns 0 or -1 as frontend_write. */
int frontend_read(i2c_handle* handle, uint16_t addr, uint16_t reg, uint8_t* dst, size_t length);

/* Read-modify-write of one register: (old & ~mask) | value; value is not masked.
 * Returns 0, or the read's error (nothing written) or the write's error. */
int frontend_write_mask(i2c_handle* handle, uint16_t addr, uint16_t reg, uint8_t mask,
                        uint8_t value);

/* One plain write / read message to the tuner PLL, no register prefix.
 * Returns 0, or -1 when addr is unset (message) or the transfer failed. */
int pll_write(i2c_handle* handle, uint16_t addr, const uint8_t* src, size_t length);
int pll_read(i2c_handle* handle, uint16_t addr, uint8_t* dst, size_t length);

#ifdef __cplusplus
}
#endif

#endif
