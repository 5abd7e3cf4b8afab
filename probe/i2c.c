/* Linux i2c-dev access for feprobe: bus handle, transfers and register wrappers. */
#include "i2c.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <unistd.h>

#define I2C_PATH_SIZE 4096

#ifdef KV_TEST_SEAMS
#include "i2c_test_seam.h"

static i2c_rdwr_fn rdwr_hook;

void i2c_set_rdwr_hook(i2c_rdwr_fn fn) {
  rdwr_hook = fn;
}
#endif

/* The I2C_RDWR ioctl, or the test seam's fake bus in a test build. */
static int rdwr(int fd, struct i2c_rdwr_ioctl_data* data) {
#ifdef KV_TEST_SEAMS
  if (rdwr_hook) {
    return rdwr_hook(fd, data);
  }
#endif
  return ioctl(fd, I2C_RDWR, data);
}

i2c_handle* i2c_open(unsigned bus) {
  char path[I2C_PATH_SIZE];
  i2c_handle* handle = malloc(sizeof(*handle));
  if (!handle) {
    perror("malloc");
    return NULL;
  }
  snprintf(path, sizeof(path), "/dev/i2c-%u", bus);
  handle->fd = open(path, O_RDWR);
  if (handle->fd == -1) {
    snprintf(path, sizeof(path), "/dev/i2c/%u", bus);
    handle->fd = open(path, O_RDWR);
    if (handle->fd == -1) {
      perror(path);
    }
  }
  if (handle->fd == -1) {
    free(handle);
    return NULL;
  }
  return handle;
}

void i2c_close(i2c_handle* handle) {
  if (!handle) {
    return;
  }
  close(handle->fd);
  free(handle);
}

int i2c_transfer(i2c_handle* handle, struct i2c_msg* msgs, int count) {
  int ret = i2c_transfer_raw(handle->fd, msgs, count);
  if (ret == -1) {
    /* The caller may report the same errno again (perror); keep it true. */
    int err = errno;
    perror("i2c_transfer");
    errno = err;
    return -1;
  }
  if (ret != count) {
    fprintf(stderr, "i2c_transfer: %d of %d messages transferred\n", ret, count);
    errno = EIO;
    return -1;
  }
  return count;
}

int i2c_transfer_raw(int fd, struct i2c_msg* msgs, int count) {
  struct i2c_rdwr_ioctl_data data;
  data.msgs = msgs;
  data.nmsgs = (uint32_t)count;
  return rdwr(fd, &data);
}

size_t i2c_reg_prefix(uint16_t reg, uint8_t out[2]) {
  if (reg < 0x100) {
    out[0] = (uint8_t)reg;
    return 1;
  }
  out[0] = (uint8_t)(reg >> 8);
  out[1] = (uint8_t)(reg & 0xFF);
  return 2;
}

/* 1 when addr is set; otherwise the message naming the device, and errno
 * EDESTADDRREQ for a caller that reports it. */
static int addr_ok(uint16_t addr, const char* device) {
  if (addr == I2C_ADDR_UNSET) {
    fprintf(stderr, "%s i2c address not set!\n", device);
    errno = EDESTADDRREQ;
    return 0;
  }
  return 1;
}

static int demod_addr_ok(uint16_t addr) {
  return addr_ok(addr, "frontend");
}

static int pll_addr_ok(uint16_t addr) {
  return addr_ok(addr, "pll");
}

/* Maps a transfer's result to 0 / negative for a call that expected n messages. */
static int transfer_status(int ret, int n) {
  if (ret < 0) {
    return ret;
  }
  return ret == n ? 0 : -1;
}

int frontend_write(i2c_handle* handle, uint16_t addr, uint16_t reg, const uint8_t* src,
                   size_t length) {
  struct i2c_msg msg;
  uint8_t* buf;
  size_t prefix;
  int ret;

  if (!demod_addr_ok(addr)) {
    return -1;
  }
  /* Sized for the data plus the register prefix: no fixed maximum length. */
  buf = malloc(length + 2);
  if (!buf) {
    perror("malloc");
    return -ENOMEM;
  }
  prefix = i2c_reg_prefix(reg, buf);
  if (length > 0) {
    memcpy(buf + prefix, src, length);
  }
  msg.addr = addr;
  msg.flags = 0;
  msg.len = (uint16_t)(prefix + length);
  msg.buf = buf;
  ret = i2c_transfer(handle, &msg, 1);
  free(buf);
  return transfer_status(ret, 1);
}

int frontend_read(i2c_handle* handle, uint16_t addr, uint16_t reg, uint8_t* dst, size_t length) {
  struct i2c_msg msgs[2];
  uint8_t prefix[2];
  size_t prefix_len;

  if (!demod_addr_ok(addr)) {
    return -1;
  }
  prefix_len = i2c_reg_prefix(reg, prefix);
  msgs[0].addr = addr;
  msgs[0].flags = 0;
  msgs[0].len = (uint16_t)prefix_len;
  msgs[0].buf = prefix;
  msgs[1].addr = addr;
  msgs[1].flags = I2C_M_RD;
  msgs[1].len = (uint16_t)length;
  msgs[1].buf = dst;
  return transfer_status(i2c_transfer(handle, msgs, 2), 2);
}

int frontend_write_mask(i2c_handle* handle, uint16_t addr, uint16_t reg, uint8_t mask,
                        uint8_t value) {
  uint8_t byte;
  int ret = frontend_read(handle, addr, reg, &byte, 1);
  if (ret < 0) {
    return ret;
  }
  byte = (uint8_t)((byte & ~mask) | value);
  return frontend_write(handle, addr, reg, &byte, 1);
}

/* One tuner message of length bytes, flags 0 (write) or I2C_M_RD. */
static int pll_message(i2c_handle* handle, uint16_t addr, uint16_t flags, uint8_t* buf,
                       size_t length) {
  struct i2c_msg msg;

  if (!pll_addr_ok(addr)) {
    return -1;
  }
  msg.addr = addr;
  msg.flags = flags;
  msg.len = (uint16_t)length;
  msg.buf = buf;
  return transfer_status(i2c_transfer(handle, &msg, 1), 1);
}

int pll_write(i2c_handle* handle, uint16_t addr, const uint8_t* src, size_t length) {
  /* The kernel only reads a write message's buffer. */
  return pll_message(handle, addr, 0, (uint8_t*)src, length);
}

int pll_read(i2c_handle* handle, uint16_t addr, uint8_t* dst, size_t length) {
  return pll_message(handle, addr, I2C_M_RD, dst, length);
}
