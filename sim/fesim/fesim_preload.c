/* The LD_PRELOAD face of the simulator: the C library calls feprobe uses to
 * reach its hardware (open, fopen, close, ioctl, mmap, munmap, the sleeps)
 * are answered here for the simulated paths and passed on for everything
 * else. The real /dev/mem and i2c-dev nodes are never opened. */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <linux/i2c-dev.h>
#include <linux/i2c.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "fesim_config.h"
#include "fesim_fp.h"
#include "fesim_frontend.h"
#include "fesim_i2c.h"
#include "fesim_log.h"
#include "fesim_path.h"
#include "fesim_real.h"

#define EXPORT __attribute__((visibility("default")))
#define MAX_SIM_FDS 64
#define CONFIG_MAX_BYTES (64 * 1024)
#define EXIT_BAD_CONFIG 125
#define EXIT_PROTOCOL_ERROR 3

enum sim_kind { SIM_NONE = 0, SIM_I2C, SIM_MEM };

struct sim_fd {
  int fd;
  ino_t inode; /* of the memory file behind fd, to spot a reused number */
  enum sim_kind kind;
  size_t bus_index;
  char path[32];
};

static struct fesim_config config;
static struct fesim_frontend frontends[FESIM_MAX_BUSES];
static struct sim_fd sim_fds[MAX_SIM_FDS];
static unsigned long transfer_count;
static int ready;

static void die(const char* what, const char* detail) {
  fprintf(stderr, "fesim: %s: %s\n", what, detail);
  _exit(EXIT_BAD_CONFIG);
}

/* Reads the whole config file with the real calls; the buffer is the
 * caller's to free. */
static char* read_config(const char* path) {
  char* text;
  size_t len = 0;
  int fd = fesim_real_open(path, O_RDONLY | O_CLOEXEC, 0);
  if (fd < 0) {
    die(path, strerror(errno));
  }
  text = malloc(CONFIG_MAX_BYTES + 1);
  if (!text) {
    die(path, "out of memory");
  }
  for (;;) {
    ssize_t n = read(fd, text + len, CONFIG_MAX_BYTES - len);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n < 0) {
      die(path, strerror(errno));
    }
    if (n == 0) {
      break;
    }
    len += (size_t)n;
    if (len == CONFIG_MAX_BYTES) {
      die(path, "too large");
    }
  }
  fesim_real_close(fd);
  text[len] = '\0';
  return text;
}

static void setup(void) {
  const char* log_path;
  const char* config_path;
  char err[256];
  if (ready) {
    return;
  }
  ready = 1;
  fesim_config_defaults(&config);
  log_path = getenv("FESIM_LOG");
  if (log_path && *log_path != '\0') {
    int fd = fesim_real_open(log_path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
      die(log_path, strerror(errno));
    }
    fesim_log_set_fd(fd);
  }
  config_path = getenv("FESIM_CONFIG");
  if (config_path && *config_path != '\0') {
    char* text = read_config(config_path);
    int rc = fesim_config_parse(&config, text, err, sizeof(err));
    free(text);
    if (rc != 0) {
      die(config_path, err);
    }
  }
  for (size_t i = 0; i < config.bus_count; i++) {
    fesim_frontend_init(&frontends[i], &config);
  }
  fesim_fp_init(&config);
}

__attribute__((constructor)) static void fesim_constructor(void) {
  setup();
}

/* A run whose bytes the model found wrong fails, whatever the program's own
 * status: the program's output is flushed, the first error named, and the
 * process ends with EXIT_PROTOCOL_ERROR. */
__attribute__((destructor)) static void fesim_destructor(void) {
  int n;
  char msg[256];
  unsigned long errors = 0;
  const char* first = NULL;
  for (size_t i = 0; i < config.bus_count; i++) {
    if (frontends[i].protocol_errors != 0 && !first) {
      first = frontends[i].first_error;
    }
    errors += frontends[i].protocol_errors;
  }
  if (errors == 0) {
    return;
  }
  fflush(NULL);
  n = snprintf(msg, sizeof(msg), "fesim: %lu protocol error(s), the first: %s\n", errors, first);
  if (n > 0) {
    ssize_t ignored = write(2, msg, (size_t)n < sizeof(msg) ? (size_t)n : sizeof(msg) - 1);
    (void)ignored;
  }
  _exit(EXIT_PROTOCOL_ERROR);
}

/* The simulated descriptor fd, or NULL. A descriptor closed behind our back
 * (fclose, close_range) and reused for another file is forgotten here. */
static struct sim_fd* sim_fd_find(int fd) {
  struct stat st;
  for (size_t i = 0; i < MAX_SIM_FDS; i++) {
    struct sim_fd* s = &sim_fds[i];
    if (s->kind == SIM_NONE || s->fd != fd) {
      continue;
    }
    if (fstat(fd, &st) == 0 && st.st_ino == s->inode) {
      return s;
    }
    s->kind = SIM_NONE;
    return NULL;
  }
  return NULL;
}

static const char* flag_names(int flags, char* buf, size_t cap) {
  int acc = flags & O_ACCMODE;
  snprintf(buf, cap, "%s%s%s%s",
           acc == O_RDONLY   ? "rdonly"
           : acc == O_WRONLY ? "wronly"
                             : "rdwr",
           (flags & O_SYNC) == O_SYNC ? " sync" : ((flags & O_DSYNC) != 0 ? " dsync" : ""),
           (flags & O_NONBLOCK) != 0 ? " nonblock" : "", (flags & O_CREAT) != 0 ? " creat" : "");
  return buf;
}

static int fail_open(const char* path, int err) {
  fesim_log("open %s %s", path, err == ENOENT ? "ENOENT" : err == EACCES ? "EACCES" : "EMFILE");
  errno = err;
  return -1;
}

/* A descriptor that close() and read() accept, on a memory file of its own
 * so that its inode identifies it; the simulation sits behind the number. */
static int sim_fd_new(const char* path, int flags, enum sim_kind kind, size_t bus_index) {
  int fd;
  struct stat st;
  char names[64];
  struct sim_fd* slot = NULL;
  for (size_t i = 0; i < MAX_SIM_FDS && !slot; i++) {
    if (sim_fds[i].kind == SIM_NONE) {
      slot = &sim_fds[i];
    }
  }
  if (!slot) {
    return fail_open(path, EMFILE);
  }
  fd = memfd_create("fesim-device", (flags & O_CLOEXEC) != 0 ? MFD_CLOEXEC : 0);
  if (fd < 0) {
    return -1;
  }
  if (fstat(fd, &st) != 0) {
    int err = errno;
    fesim_real_close(fd);
    errno = err;
    return -1;
  }
  slot->fd = fd;
  slot->inode = st.st_ino;
  slot->kind = kind;
  slot->bus_index = bus_index;
  snprintf(slot->path, sizeof(slot->path), "%s", path);
  fesim_log("open %s %s", path, flag_names(flags, names, sizeof(names)));
  return fd;
}

static int sysfs_open(const char* path) {
  int fd;
  if (!config.sysfs_present) {
    return fail_open(path, ENOENT);
  }
  fd = memfd_create("fesim-sysfs", MFD_CLOEXEC);
  if (fd < 0) {
    return -1;
  }
  if (write(fd, config.sysfs_text, config.sysfs_len) != (ssize_t)config.sysfs_len ||
      lseek(fd, 0, SEEK_SET) != 0) {
    int err = errno;
    fesim_real_close(fd);
    errno = err;
    return -1;
  }
  fesim_log("open %s", path);
  return fd;
}

static int i2c_open(const char* path, const struct fesim_path* where, int flags) {
  if (where->bus < 0) {
    return fail_open(path, ENOENT);
  }
  for (size_t i = 0; i < config.bus_count; i++) {
    const struct fesim_bus* bus = &config.buses[i];
    if (bus->number == (unsigned)where->bus && (bus->nodes & where->node) != 0) {
      return sim_fd_new(path, flags, SIM_I2C, i);
    }
  }
  return fail_open(path, ENOENT);
}

/* Opens a simulated path; *handled is 0 when path is not simulated. */
static int sim_open(const char* path, int flags, int* handled) {
  struct fesim_path where;
  setup();
  where = fesim_path_classify(path);
  *handled = 1;
  switch (where.kind) {
    case FESIM_PATH_I2C:
      return i2c_open(path, &where, flags);
    case FESIM_PATH_MEM:
      if (config.mem == FESIM_MEM_ABSENT) {
        return fail_open(path, ENOENT);
      }
      if (config.mem == FESIM_MEM_DENIED) {
        return fail_open(path, EACCES);
      }
      return sim_fd_new(path, flags, SIM_MEM, 0);
    case FESIM_PATH_SYSFS:
      return sysfs_open(path);
    case FESIM_PATH_OTHER:
      break;
  }
  *handled = 0;
  return -1;
}

static mode_t open_mode(int flags, va_list ap) {
  if ((flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE) {
    return (mode_t)va_arg(ap, int);
  }
  return 0;
}

EXPORT int open(const char* path, int flags, ...) {
  int fd;
  int handled;
  mode_t mode;
  va_list ap;
  va_start(ap, flags);
  mode = open_mode(flags, ap);
  va_end(ap);
  fd = sim_open(path, flags, &handled);
  return handled ? fd : fesim_real_open(path, flags, mode);
}

EXPORT int __open_2(const char* path, int flags) {
  return open(path, flags);
}

/* The 64-bit offset variants are the same calls here: the simulated files
 * have no offsets, and other paths reach the C library's own variant through
 * open, which takes every flag it would. */
EXPORT int open64(const char* path, int flags, ...) __attribute__((alias("open")));
EXPORT int __open64_2(const char* path, int flags) __attribute__((alias("__open_2")));

/* openat with a directory descriptor: a relative path is judged from the
 * directory the descriptor names. */
static int sim_openat(int dirfd, const char* path, int flags, int* handled) {
  ssize_t n;
  int fd;
  char link[64];
  char full[4096];
  if (!path || path[0] == '/' || dirfd == AT_FDCWD) {
    return sim_open(path, flags, handled);
  }
  snprintf(link, sizeof(link), "/proc/self/fd/%d", dirfd);
  n = readlink(link, full, sizeof(full) - 1);
  if (n <= 0 || (size_t)n + 1 + strlen(path) >= sizeof(full)) {
    *handled = 0;
    return -1;
  }
  full[n] = '/';
  strcpy(full + n + 1, path);
  fd = sim_open(full, flags, handled);
  return fd;
}

EXPORT int openat(int dirfd, const char* path, int flags, ...) {
  int fd;
  int handled;
  mode_t mode;
  va_list ap;
  va_start(ap, flags);
  mode = open_mode(flags, ap);
  va_end(ap);
  fd = sim_openat(dirfd, path, flags, &handled);
  return handled ? fd : fesim_real_openat(dirfd, path, flags, mode);
}

EXPORT int openat64(int dirfd, const char* path, int flags, ...) __attribute__((alias("openat")));

static int fopen_flags(const char* mode) {
  int plus = strchr(mode, '+') != NULL;
  switch (mode[0]) {
    case 'w':
      return (plus ? O_RDWR : O_WRONLY) | O_CREAT | O_TRUNC;
    case 'a':
      return (plus ? O_RDWR : O_WRONLY) | O_CREAT | O_APPEND;
    default:
      return plus ? O_RDWR : O_RDONLY;
  }
}

static FILE* sim_fopen(const char* path, const char* mode, int* handled) {
  FILE* f;
  int fd = sim_open(path, fopen_flags(mode), handled);
  if (!*handled || fd < 0) {
    return NULL;
  }
  f = fdopen(fd, mode);
  if (!f) {
    int err = errno;
    close(fd);
    errno = err;
  }
  return f;
}

EXPORT FILE* fopen(const char* path, const char* mode) {
  int handled;
  FILE* f = sim_fopen(path, mode, &handled);
  return handled ? f : fesim_real_fopen(path, mode);
}

EXPORT FILE* fopen64(const char* path, const char* mode) __attribute__((alias("fopen")));

/* Forgets a simulated descriptor that is about to be closed. */
static void sim_fd_closing(int fd) {
  struct sim_fd* s = sim_fd_find(fd);
  if (s) {
    fesim_log("close %s", s->path);
    if (s->kind == SIM_I2C) {
      fesim_frontend_close(&frontends[s->bus_index]);
    }
    s->kind = SIM_NONE;
  }
}

EXPORT int close(int fd) {
  sim_fd_closing(fd);
  return fesim_real_close(fd);
}

/* The C library's fclose closes its descriptor internally, past close(). */
EXPORT int fclose(FILE* stream) {
  if (stream) {
    sim_fd_closing(fileno(stream));
  }
  return fesim_real_fclose(stream);
}

static int i2c_ioctl(struct sim_fd* s, unsigned long request, void* arg) {
  struct i2c_rdwr_ioctl_data* data;
  int rc;
  if (request != I2C_RDWR) {
    fesim_log("ioctl %s %#lx EINVAL", s->path, request);
    errno = EINVAL;
    return -1;
  }
  data = arg;
  if (!data) {
    errno = EFAULT;
    return -1;
  }
  transfer_count++;
  rc = fesim_i2c_transfer(&frontends[s->bus_index], data->msgs, data->nmsgs, transfer_count);
  if (transfer_count == config.signal_at) {
    /* As a signal arriving between two transfers finds the bus: this one
     * done, the next not begun. The program's handler may transfer itself. */
    fesim_log("signal %s", config.signal_number == SIGTERM ? "TERM" : "INT");
    raise(config.signal_number);
  }
  if (rc < 0) {
    errno = -rc;
    return -1;
  }
  return rc;
}

EXPORT int ioctl(int fd, unsigned long request, ...) {
  void* arg;
  struct sim_fd* s;
  va_list ap;
  va_start(ap, request);
  arg = va_arg(ap, void*);
  va_end(ap);
  s = sim_fd_find(fd);
  if (!s) {
    return fesim_real_ioctl(fd, request, arg);
  }
  if (s->kind == SIM_I2C) {
    return i2c_ioctl(s, request, arg);
  }
  errno = ENOTTY;
  return -1;
}

static void* sim_mmap(void* addr, size_t len, int prot, int flags, int fd, unsigned long long off,
                      int* handled) {
  struct sim_fd* s = sim_fd_find(fd);
  *handled = s && (flags & MAP_ANONYMOUS) == 0;
  if (!*handled) {
    return MAP_FAILED;
  }
  (void)addr;
  (void)prot;
  if (s->kind != SIM_MEM) {
    errno = ENODEV;
    return MAP_FAILED;
  }
  return fesim_fp_map(len, off);
}

EXPORT void* mmap(void* addr, size_t len, int prot, int flags, int fd, off_t off) {
  int handled;
  void* p = sim_mmap(addr, len, prot, flags, fd, (unsigned long long)off, &handled);
  return handled ? p : fesim_real_mmap(addr, len, prot, flags, fd, off);
}

EXPORT void* mmap64(void* addr, size_t len, int prot, int flags, int fd, off64_t off) {
  int handled;
  void* p = sim_mmap(addr, len, prot, flags, fd, (unsigned long long)off, &handled);
  return handled ? p : fesim_real_mmap64(addr, len, prot, flags, fd, off);
}

EXPORT int munmap(void* addr, size_t len) {
  int rc = fesim_fp_unmap(addr, len);
  return rc != 1 ? rc : fesim_real_munmap(addr, len);
}

/* The wall clock (gettimeofday, CLOCK_REALTIME) jumps by clock_step seconds
 * after its first read, as NTP or a user setting the date would make it; the
 * monotonic clock runs on untouched. Not logged: wait loops read it often. */
static void wall_clock_step(time_t* sec) {
  static unsigned long reads;
  setup();
  if (config.clock_step != 0 && reads++ > 0) {
    *sec += config.clock_step;
  }
}

EXPORT int gettimeofday(struct timeval* restrict tv, void* restrict tz) {
  int rc = fesim_real_gettimeofday(tv, tz);
  if (rc == 0) {
    wall_clock_step(&tv->tv_sec);
  }
  return rc;
}

/* With clock_tick_us, the monotonic clock is virtual: it starts at its first
 * real reading and each read moves it on by that many microseconds, so a
 * test sees a wait bound as a count of polls, whatever the machine's load. */
static void monotonic_tick(struct timespec* ts) {
  static struct timespec start;
  static unsigned long reads;
  unsigned long long us;
  setup();
  if (config.clock_tick_us == 0) {
    return;
  }
  if (reads == 0) {
    start = *ts;
  }
  us = (unsigned long long)reads++ * config.clock_tick_us +
       (unsigned long long)start.tv_nsec / 1000u;
  ts->tv_sec = start.tv_sec + (time_t)(us / 1000000u);
  ts->tv_nsec = (long)(us % 1000000u) * 1000L + start.tv_nsec % 1000L;
}

EXPORT int clock_gettime(clockid_t clock, struct timespec* ts) {
  int rc = fesim_real_clock_gettime(clock, ts);
  if (rc == 0 && (clock == CLOCK_REALTIME || clock == CLOCK_REALTIME_COARSE)) {
    wall_clock_step(&ts->tv_sec);
  }
  if (rc == 0 && clock == CLOCK_MONOTONIC) {
    monotonic_tick(ts);
  }
  return rc;
}

/* Sleeps are logged, not slept: the probe's settling waits would otherwise
 * make every test take minutes. */
EXPORT unsigned int sleep(unsigned int seconds) {
  fesim_log("sleep %u", seconds);
  return 0;
}

EXPORT int usleep(useconds_t usec) {
  fesim_log("usleep %lu", (unsigned long)usec);
  return 0;
}

EXPORT int nanosleep(const struct timespec* req, struct timespec* rem) {
  if (!req || req->tv_nsec < 0 || req->tv_nsec >= 1000000000L || req->tv_sec < 0) {
    errno = EINVAL;
    return -1;
  }
  fesim_log("nanosleep %lld %ld", (long long)req->tv_sec, req->tv_nsec);
  if (rem) {
    memset(rem, 0, sizeof(*rem));
  }
  return 0;
}

EXPORT int clock_nanosleep(clockid_t clock, int flags, const struct timespec* req,
                           struct timespec* rem) {
  if (!req || req->tv_nsec < 0 || req->tv_nsec >= 1000000000L) {
    return EINVAL;
  }
  fesim_log("clock_nanosleep %d %d %lld %ld", (int)clock, flags, (long long)req->tv_sec,
            req->tv_nsec);
  if (rem) {
    memset(rem, 0, sizeof(*rem));
  }
  return 0;
}
