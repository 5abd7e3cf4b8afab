/* Lookup of the interposed C library functions behind the simulator. */
#define _GNU_SOURCE
#include "fesim_real.h"

#include <dlfcn.h>
#include <string.h>
#include <unistd.h>

void* fesim_real_symbol(const char* name) {
  void* sym = dlsym(RTLD_NEXT, name);
  if (!sym) {
    static const char msg[] = "fesim: cannot find the C library's ";
    ssize_t ignored = write(2, msg, sizeof(msg) - 1);
    ignored = write(2, name, strlen(name));
    ignored = write(2, "\n", 1);
    (void)ignored;
    _exit(127);
  }
  return sym;
}

/* Function pointers cannot be stored in void* portably; dlsym's contract
 * makes the conversion valid on every platform glibc supports. */
#define REAL(type, name)                             \
  static type real_##name;                           \
  if (!real_##name) {                                \
    void* sym = fesim_real_symbol(#name);            \
    memcpy(&real_##name, &sym, sizeof(real_##name)); \
  }

typedef int (*open_fn)(const char*, int, ...);
typedef int (*openat_fn)(int, const char*, int, ...);
typedef int (*close_fn)(int);
typedef int (*ioctl_fn)(int, unsigned long, ...);
typedef void* (*mmap_fn)(void*, size_t, int, int, int, off_t);
typedef void* (*mmap64_fn)(void*, size_t, int, int, int, off64_t);
typedef int (*munmap_fn)(void*, size_t);
typedef FILE* (*fopen_fn)(const char*, const char*);
typedef int (*fclose_fn)(FILE*);
typedef int (*gettimeofday_fn)(struct timeval*, void*);
typedef int (*clock_gettime_fn)(clockid_t, struct timespec*);

int fesim_real_open(const char* path, int flags, mode_t mode) {
  REAL(open_fn, open);
  return real_open(path, flags, mode);
}

int fesim_real_openat(int dirfd, const char* path, int flags, mode_t mode) {
  REAL(openat_fn, openat);
  return real_openat(dirfd, path, flags, mode);
}

int fesim_real_close(int fd) {
  REAL(close_fn, close);
  return real_close(fd);
}

int fesim_real_ioctl(int fd, unsigned long request, void* arg) {
  REAL(ioctl_fn, ioctl);
  return real_ioctl(fd, request, arg);
}

void* fesim_real_mmap(void* addr, size_t len, int prot, int flags, int fd, off_t off) {
  REAL(mmap_fn, mmap);
  return real_mmap(addr, len, prot, flags, fd, off);
}

void* fesim_real_mmap64(void* addr, size_t len, int prot, int flags, int fd, off64_t off) {
  REAL(mmap64_fn, mmap64);
  return real_mmap64(addr, len, prot, flags, fd, off);
}

int fesim_real_munmap(void* addr, size_t len) {
  REAL(munmap_fn, munmap);
  return real_munmap(addr, len);
}

FILE* fesim_real_fopen(const char* path, const char* mode) {
  REAL(fopen_fn, fopen);
  return real_fopen(path, mode);
}

int fesim_real_fclose(FILE* stream) {
  REAL(fclose_fn, fclose);
  return real_fclose(stream);
}

int fesim_real_gettimeofday(struct timeval* tv, void* tz) {
  REAL(gettimeofday_fn, gettimeofday);
  return real_gettimeofday(tv, tz);
}

int fesim_real_clock_gettime(clockid_t clock, struct timespec* ts) {
  REAL(clock_gettime_fn, clock_gettime);
  return real_clock_gettime(clock, ts);
}
