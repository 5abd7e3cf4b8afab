/* Test-only seam of the i2c layer: unit tests put a fake bus in place of the
 * I2C_RDWR ioctl. Only a library built with KV_TEST_SEAMS has it; the shipped
 * feprobe always issues the plain ioctl. */
#ifndef FEPROBE_I2C_TEST_SEAM_H
#define FEPROBE_I2C_TEST_SEAM_H

#include "i2c.h"

#ifdef __cplusplus
extern "C" {
#endif

/* When set, i2c_transfer calls this instead of ioctl(fd, I2C_RDWR, data). */
typedef int (*i2c_rdwr_fn)(int fd, struct i2c_rdwr_ioctl_data* data);
void i2c_set_rdwr_hook(i2c_rdwr_fn fn);

#ifdef __cplusplus
}
#endif

#endif
