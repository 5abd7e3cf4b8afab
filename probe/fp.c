/* Front-processor command frames over the mapped control and transmit windows. */
#include "fp.h"

#include <errno.h>
#include <stdio.h>

#include "mem.h"
#include "timeutil.h"

static volatile uint8_t* fp_ctrl;
static volatile uint8_t* fp_tx;

int fp_init(void) {
  int ret = mem_open();
  if (ret < 0) {
    return ret;
  }
  fp_ctrl = mem_map(FP_CTRL_PHYS, FP_WINDOW_SIZE);
  if (!fp_ctrl) {
    return -EIO;
  }
  fp_tx = mem_map(FP_TX_PHYS, FP_WINDOW_SIZE);
  if (!fp_tx) {
    return -EIO;
  }
  return 0;
}

void fp_exit(void) {
  mem_unmap((void*)(uintptr_t)fp_tx, FP_WINDOW_SIZE);
  mem_unmap((void*)(uintptr_t)fp_ctrl, FP_WINDOW_SIZE);
  mem_close();
}

int fp_putc(uint8_t byte) {
  int i;
  for (i = 0; i < FP_TX_POLLS; i++) {
    if (fp_tx[FP_TX_STATUS] & FP_TX_READY) {
      fp_tx[FP_TX_DATA] = byte;
      return 0;
    }
  }
  fprintf(stderr, "!!! FP TX TIMEOUT\n");
  errno = ETIMEDOUT;
  return -ETIMEDOUT;
}

static int fp_busy(void) {
  const volatile uint32_t* status = (const volatile uint32_t*)(fp_ctrl + FP_CTRL_STATUS);
  return (*status & FP_CTRL_BUSY) != 0;
}

int fp_send(const uint8_t cmd[2]) {
  uint8_t frame[5];
  poll_limit limit;
  int i;

  poll_limit_start(&limit, FP_BUSY_TIMEOUT_MS, FP_BUSY_MAX_POLLS);
  while (fp_busy()) {
    if (poll_limit_reached(&limit)) {
      fprintf(stderr, "fp busy timeout\n");
      errno = ETIMEDOUT;
      return -ETIMEDOUT;
    }
  }
  frame[0] = 0x47;
  frame[1] = 0x02;
  frame[2] = cmd[0];
  frame[3] = cmd[1];
  frame[4] = (uint8_t)(0x3F ^ cmd[0] ^ cmd[1]);
  for (i = 0; i < 5; i++) {
    int ret = fp_putc(frame[i]);
    if (ret < 0) {
      return ret;
    }
  }
  return 0;
}

int fp_reset_bus(unsigned bus) {
  uint8_t cmd[2];
  int ret;

  if (bus > 1) {
    return -EINVAL;
  }
  cmd[0] = (uint8_t)(0x80 + bus);
  cmd[1] = 0x00;
  ret = fp_send(cmd);
  if (ret < 0) {
    return ret;
  }
  cmd[1] = 0xFF;
  return fp_send(cmd);
}
