/* The simulated i2c-dev I2C_RDWR transfer: kernel-style argument checks,
 * NAKs on demand, one log line per message, then the front-end model. */
#ifndef FESIM_I2C_H
#define FESIM_I2C_H

#include <linux/i2c.h>

#include "fesim_frontend.h"

/* Runs transfer number index (1-based, counted over the whole process) of n
 * messages. Returns n on success (n - 1 when the config asks for a short
 * result at this index), or a negative errno: -ENXIO when a message is not
 * acknowledged (the messages before it did reach the bus), -EINVAL or
 * -EFAULT for arguments the kernel would refuse. */
int fesim_i2c_transfer(struct fesim_frontend* fe, struct i2c_msg* msgs, unsigned n,
                       unsigned long index);

#endif
