/* Closing the tuner's gate from a signal handler. Everything the handler does
 * is async-signal-safe: the gate's bus and address are plain values kept when
 * the handlers are installed, the transfers are raw I2C_RDWR calls on stack
 * buffers, the message is one write(2). */
#include "interrupt.h"

#include <errno.h>
#include <signal.h>
#include <string.h>
#include <unistd.h>

#include "tda10046_regs.h"

/* Set while the gate may be open; the handler touches the bus only then. */
static volatile sig_atomic_t gate_window;
static volatile sig_atomic_t gate_fd = -1;
static volatile sig_atomic_t gate_addr;

/* Read-modify-write of the gate register with the gate bit cleared. Returns 0,
 * or -1 when a transfer failed. */
static int close_gate(int fd, uint16_t addr) {
  uint8_t reg = REG_CONF;
  uint8_t value = 0;
  uint8_t write_back[2];
  struct i2c_msg read_msgs[2];
  struct i2c_msg write_msg;

  read_msgs[0].addr = addr;
  read_msgs[0].flags = 0;
  read_msgs[0].len = 1;
  read_msgs[0].buf = &reg;
  read_msgs[1].addr = addr;
  read_msgs[1].flags = I2C_M_RD;
  read_msgs[1].len = 1;
  read_msgs[1].buf = &value;
  if (i2c_transfer_raw(fd, read_msgs, 2) != 2) {
    return -1;
  }
  write_back[0] = REG_CONF;
  write_back[1] = (uint8_t)(value & ~CONF_GATE_OPEN);
  write_msg.addr = addr;
  write_msg.flags = 0;
  write_msg.len = 2;
  write_msg.buf = write_back;
  return i2c_transfer_raw(fd, &write_msg, 1) == 1 ? 0 : -1;
}

static void say(const char* text) {
  ssize_t ignored = write(STDERR_FILENO, text, strlen(text));
  (void)ignored;
}

static void on_signal(int sig) {
  struct sigaction dfl;
  int closed;

  if (!gate_window || gate_fd < 0) {
    /* Nothing to undo: die of the signal as without a handler. It is blocked
     * while the handler runs and strikes once the handler returns. */
    memset(&dfl, 0, sizeof(dfl));
    dfl.sa_handler = SIG_DFL;
    sigaction(sig, &dfl, NULL);
    raise(sig);
    return;
  }
  closed = close_gate(gate_fd, (uint16_t)gate_addr);
  say(sig == SIGINT ? "interrupted by SIGINT: " : "interrupted by SIGTERM: ");
  say(closed == 0 ? "tuner gate closed\n" : "tuner gate may be open (I2C error)\n");
  _exit(128 + sig);
}

int interrupt_guard_gate(const frontend_state* fe) {
  static const int signals[] = {SIGINT, SIGTERM};
  struct sigaction action;
  size_t i;

  gate_fd = fe->bus->fd;
  gate_addr = fe->demod_addr;
  memset(&action, 0, sizeof(action));
  action.sa_handler = on_signal;
  action.sa_flags = SA_RESTART;
  /* A second signal must not cut the gate's close short. */
  sigemptyset(&action.sa_mask);
  sigaddset(&action.sa_mask, SIGINT);
  sigaddset(&action.sa_mask, SIGTERM);
  for (i = 0; i < sizeof(signals) / sizeof(signals[0]); i++) {
    struct sigaction old;
    if (sigaction(signals[i], NULL, &old) != 0) {
      return -errno;
    }
    /* A signal the parent had ignored (a background job) stays ignored. */
    if (old.sa_handler == SIG_IGN) {
      continue;
    }
    if (sigaction(signals[i], &action, NULL) != 0) {
      return -errno;
    }
  }
  return 0;
}

void interrupt_gate_opening(void) {
  gate_window = 1;
}

void interrupt_gate_closed(void) {
  gate_window = 0;
}
