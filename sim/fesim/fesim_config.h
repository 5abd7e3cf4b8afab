/* What the simulated front-end looks like: buses, chip behaviour, channels on
 * the air, front-processor timing and the sysfs file. Parsed from the text
 * file named by FESIM_CONFIG; the format is described in README.md. */
#ifndef FESIM_CONFIG_H
#define FESIM_CONFIG_H

#include <stddef.h>
#include <stdint.h>

#include "fesim_tuner.h"

#define FESIM_MAX_BUSES 8
#define FESIM_MAX_CHANNELS 128
#define FESIM_SYSFS_MAX 256
#define FESIM_UNSET (-2L)

/* Which device nodes of a bus exist (bit mask). */
#define FESIM_NODE_DASH 1  /* /dev/i2c-N */
#define FESIM_NODE_SLASH 2 /* /dev/i2c/N */

enum fesim_mem_mode {
  FESIM_MEM_PRESENT = 0,
  FESIM_MEM_ABSENT, /* open fails with ENOENT */
  FESIM_MEM_DENIED  /* open fails with EACCES */
};

struct fesim_bus {
  unsigned number;
  unsigned nodes; /* FESIM_NODE_* bits */
};

/* One transmitter on the air. The codes are the demodulator's register codes. */
struct fesim_channel {
  uint32_t frequency;  /* nominal centre frequency, Hz */
  uint32_t bandwidth;  /* Hz */
  unsigned mode;       /* 0 = 2k, 1 = 8k */
  unsigned guard;      /* 0 = 1/32 .. 3 = 1/4 */
  unsigned modulation; /* 0 = QPSK, 1 = QAM16, 2 = QAM64 */
  unsigned hierarchy;  /* 0 = none, 1, 2, 3 = 4 */
  unsigned hp;         /* 0 = 1/2 .. 4 = 7/8 */
  unsigned lp;
  unsigned inversion;   /* 1 = spectrum inverted */
  unsigned offset;      /* offset code 0..6: carrier sits at nominal + offset */
  unsigned never_locks; /* reports its offset code wherever tuned, never locks */
};

struct fesim_config {
  struct fesim_bus buses[FESIM_MAX_BUSES];
  size_t bus_count;
  uint8_t id;                        /* identification byte in register 0x00 */
  int asleep;                        /* chip starts asleep; register 0x00 reads 0 while asleep */
  uint32_t if_freq;                  /* tuner IF used to decode the divider, Hz */
  struct fesim_tuner_settings tuner; /* charge pump, test bits, step the probe is given */
  long clock_step;                   /* seconds the wall clock jumps after its first read */
  unsigned long clock_tick_us;       /* 0: real monotonic clock; else each read adds this */
  int counter_stuck;                 /* acquisition counter never counts */
  unsigned lock_delay;               /* status reads before the lock bit shows */
  unsigned long nak_at;              /* NAK the Nth I2C_RDWR call (1-based), 0 = never */
  int nak_addr;                      /* NAK every transfer touching this address, -1 = none */
  unsigned long short_at;            /* Nth I2C_RDWR call returns one message fewer, 0 = never */
  unsigned long signal_at;           /* raise signal after the Nth I2C_RDWR call, 0 = never */
  int signal_number;                 /* the signal signal_at raises: SIGINT or SIGTERM */
  enum fesim_mem_mode mem;
  long fp_busy;        /* busy-bit reads that show busy; -1 = always */
  long fp_ready_after; /* not-ready reads before each byte; -1 = never ready */
  long fp_ready_first; /* the same for the first byte only; FESIM_UNSET = as the rest */
  int sysfs_present;
  char sysfs_text[FESIM_SYSFS_MAX];
  size_t sysfs_len;
  struct fesim_channel channels[FESIM_MAX_CHANNELS];
  size_t channel_count;
};

/* Fills cfg with the defaults: bus 0 as /dev/i2c-0, id 0x46, IF 36,166,667 Hz,
 * tuner settings automatic charge pump, test bits 1, step 166,667 Hz, a wall
 * clock that does not jump, counter counting, no failures, no signal (SIGINT when asked for),
 * /dev/mem present, FP never busy and always ready (also for the first byte), sysfs file
 * absent, no channels. */
void fesim_config_defaults(struct fesim_config* cfg);

/* Parses the config text (NUL-terminated) on top of the current contents of
 * cfg. Returns 0, or -1 with a message naming the line in err (errlen bytes). */
int fesim_config_parse(struct fesim_config* cfg, const char* text, char* err, size_t errlen);

/* Parses one "channel=" value, e.g. "474000000 8000000 mode=8k guard=1/4".
 * Returns 0, or -1 with a message in err. */
int fesim_channel_parse(struct fesim_channel* ch, const char* value, char* err, size_t errlen);

/* Returns the bus entry for number, or NULL when that bus is not configured. */
const struct fesim_bus* fesim_config_bus(const struct fesim_config* cfg, unsigned number);

#endif
