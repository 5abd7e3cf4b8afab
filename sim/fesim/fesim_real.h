/* The C library's own versions of the calls the simulator interposes, so that
 * the simulator itself can reach real files and memory. */
#ifndef FESIM_REAL_H
#define FESIM_REAL_H

/* off64_t needs _GNU_SOURCE, defined by every file that includes this. */
#include <stdio.h>
#include <sys/time.h>
#include <sys/types.h>
#include <time.h>

/* Each resolves its libc symbol on first use (dlsym RTLD_NEXT) and behaves as
 * that function does; a symbol that cannot be found ends the process with a
 * message, since nothing sensible can run without it. */
int fesim_real_open(const char* path, int flags, mode_t mode);
int fesim_real_openat(int dirfd, const char* path, int flags, mode_t mode);
int fesim_real_close(int fd);
int fesim_real_ioctl(int fd, unsigned long request, void* arg);
void* fesim_real_mmap(void* addr, size_t len, int prot, int flags, int fd, off_t off);
void* fesim_real_mmap64(void* addr, size_t len, int prot, int flags, int fd, off64_t off);
int fesim_real_munmap(void* addr, size_t len);
FILE* fesim_real_fopen(const char* path, const char* mode);
int fesim_real_fclose(FILE* stream);
int fesim_real_gettimeofday(struct timeval* tv, void* tz);
int fesim_real_clock_gettime(clockid_t clock, struct timespec* ts);

/* Looks up any further symbol of the next object; ends the process when it is
 * missing. */
void* fesim_real_symbol(const char* name);

#endif
