/* Time, wait-bound and byte-order helpers shared by every layer of feprobe.
 * Everything here is pure arithmetic on top of the monotonic clock and usleep:
 * a wall-clock step (NTP at boot, a user setting the date) must neither end a
 * wait early nor make a measured time negative. */
#ifndef FEPROBE_TIMEUTIL_H
#define FEPROBE_TIMEUTIL_H

#include <stddef.h>
#include <stdint.h>
#include <sys/time.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Milliseconds from b to a: (a.sec*1000 + a.usec/1000) - (b.sec*1000 + b.usec/1000),
 * wrapping at 32 bits, divisions truncating toward zero. Never fails. */
int32_t elapsed_ms(const struct timeval* a, const struct timeval* b);

/* The monotonic clock (CLOCK_MONOTONIC) as seconds and microseconds: the
 * clock of every deadline and elapsed-time measurement here. */
void monotonic_now(struct timeval* tv);

/* Current monotonic time in milliseconds, wrapping at 32 bits. */
int32_t time_ms(void);

/* Stores time_ms() + ms in *d and returns it. */
int32_t deadline_set(int32_t* d, int32_t ms);

/* 1 once the deadline in *d has been reached (signed 32-bit difference), else 0. */
int deadline_passed(const int32_t* d);

/* 1 when at least ms milliseconds have passed since *tv, a monotonic_now time
 * (unsigned comparison), else 0. */
int elapsed_at_least(const struct timeval* tv, uint32_t ms);

/* Sleeps ms milliseconds with usleep. */
void msleep(uint32_t ms);

/* Little-endian assembly of 2, 3 or 4 bytes, least significant first. */
uint16_t get_le16(const uint8_t* p);
uint32_t get_le24(const uint8_t* p);
uint32_t get_le32(const uint8_t* p);

/* Prints "<label> <addr&0xffff>:" and each byte as " %02x", then a newline, to stdout. */
void hexdump(const char* label, uint32_t address, const uint8_t* data, size_t length);

/* Bound for a busy-wait that must not hang on dead hardware: it runs out after
 * max_ms of monotonic time or after max_polls polls, whichever comes first, so
 * a clock that does not move cannot keep it waiting forever. */
typedef struct poll_limit {
  struct timeval start;
  uint32_t max_ms;
  uint32_t polls;
  uint32_t max_polls;
} poll_limit;

/* Starts a bound of max_ms milliseconds and at most max_polls polls. */
void poll_limit_start(poll_limit* limit, uint32_t max_ms, uint32_t max_polls);

/* Counts one poll; returns 1 when the bound is used up, else 0. */
int poll_limit_reached(poll_limit* limit);

#ifdef __cplusplus
}
#endif

#endif
