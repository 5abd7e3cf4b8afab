/* One I2C_RDWR transfer through the simulated adapter. */
#include "fesim_i2c.h"

#include <errno.h>
#include <linux/i2c-dev.h>
#include <stdio.h>

#include "fesim_log.h"

#define MAX_MSG_LEN 8192

static int check_args(const struct i2c_msg* msgs, unsigned n) {
  if (!msgs) {
    return -EFAULT;
  }
  if (n == 0 || n > I2C_RDWR_IOCTL_MAX_MSGS) {
    return -EINVAL;
  }
  for (unsigned i = 0; i < n; i++) {
    if (msgs[i].len > MAX_MSG_LEN || msgs[i].addr > 0x7f) {
      return -EINVAL;
    }
    if ((msgs[i].flags & ~I2C_M_RD) != 0) {
      return -EINVAL;
    }
    if (msgs[i].len > 0 && !msgs[i].buf) {
      return -EFAULT;
    }
  }
  return 0;
}

int fesim_i2c_transfer(struct fesim_frontend* fe, struct i2c_msg* msgs, unsigned n,
                       unsigned long index) {
  const struct fesim_config* cfg = fe->cfg;
  char prefix[16] = "";
  int err = check_args(msgs, n);
  if (err != 0) {
    fesim_log("i2c invalid %d", err);
    return err;
  }
  for (unsigned i = 0; i < n; i++) {
    struct i2c_msg* m = &msgs[i];
    int read = (m->flags & I2C_M_RD) != 0;
    int forced = (i == 0 && index == cfg->nak_at) || m->addr == cfg->nak_addr;
    /* Formatting is most of a transfer's cost; unlogged runs skip it. */
    if (fesim_log_enabled()) {
      snprintf(prefix, sizeof(prefix), "i2c %c %02x", read ? 'r' : 'w', m->addr);
    }
    if (forced || fesim_frontend_message(fe, m->addr, read, m->buf, m->len) != 0) {
      fesim_log_bytes(prefix, m->buf, read ? 0 : m->len, " nak");
      fesim_frontend_log_errors(fe);
      return -ENXIO;
    }
    fesim_log_bytes(prefix, m->buf, m->len, NULL);
    fesim_frontend_log_errors(fe);
  }
  if (index == cfg->short_at) {
    return (int)n - 1;
  }
  return (int)n;
}
