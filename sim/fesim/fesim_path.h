/* Which opens the simulator answers: any i2c-dev node, /dev/mem and the
 * dvb_core shutdown-timeout file. Paths are judged after making them
 * absolute and lexically clean, and by where symbolic links lead, so the real
 * devices are never reached by another spelling. */
#ifndef FESIM_PATH_H
#define FESIM_PATH_H

#define FESIM_SYSFS_PATH "/sys/module/dvb_core/parameters/dvb_shutdown_timeout"

enum fesim_path_kind {
  FESIM_PATH_OTHER = 0, /* not simulated: pass the call on */
  FESIM_PATH_I2C,       /* /dev/i2c-N or /dev/i2c/N; anything else under /dev/i2c has bus -1 */
  FESIM_PATH_MEM,       /* /dev/mem */
  FESIM_PATH_SYSFS      /* the dvb_core shutdown timeout */
};

struct fesim_path {
  enum fesim_path_kind kind;
  int bus;       /* bus number for FESIM_PATH_I2C, -1 when not a bus node */
  unsigned node; /* FESIM_NODE_DASH or FESIM_NODE_SLASH */
};

/* Classifies path; a relative path is taken from the working directory.
 * Never fails: what cannot be judged is FESIM_PATH_OTHER. */
struct fesim_path fesim_path_classify(const char* path);

/* Lexically cleans an absolute path into out (cap bytes): collapses "//",
 * "/./" and "/../". Returns 0, or -1 when it does not fit. */
int fesim_path_clean(const char* path, char* out, unsigned long cap);

#endif
