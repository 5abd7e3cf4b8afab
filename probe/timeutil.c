/* Time, wait-bound and byte-order helpers shared by every layer of feprobe. */
#include "timeutil.h"

#include <stdio.h>
#include <time.h>
#include <unistd.h>

/* sec*1000 + usec/1000 in wrapping 32-bit arithmetic (unsigned, so wrap is defined). */
static uint32_t timeval_ms(const struct timeval* tv) {
  uint32_t sec = (uint32_t)tv->tv_sec;
  uint32_t msec = (uint32_t)(tv->tv_usec / 1000);
  return sec * 1000u + msec;
}

int32_t elapsed_ms(const struct timeval* a, const struct timeval* b) {
  return (int32_t)(timeval_ms(a) - timeval_ms(b));
}

void monotonic_now(struct timeval* tv) {
  struct timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  tv->tv_sec = ts.tv_sec;
  tv->tv_usec = (long)(ts.tv_nsec / 1000);
}

int32_t time_ms(void) {
  struct timeval now;
  monotonic_now(&now);
  return (int32_t)timeval_ms(&now);
}

int32_t deadline_set(int32_t* d, int32_t ms) {
  *d = (int32_t)((uint32_t)time_ms() + (uint32_t)ms);
  return *d;
}

int deadline_passed(const int32_t* d) {
  int32_t diff = (int32_t)((uint32_t)time_ms() - (uint32_t)*d);
  return diff >= 0;
}

int elapsed_at_least(const struct timeval* tv, uint32_t ms) {
  struct timeval now;
  monotonic_now(&now);
  return (uint32_t)elapsed_ms(&now, tv) >= ms;
}

void msleep(uint32_t ms) {
  usleep(ms * 1000u);
}

uint16_t get_le16(const uint8_t* p) {
  return (uint16_t)(p[0] | (p[1] << 8));
}

uint32_t get_le24(const uint8_t* p) {
  return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16);
}

uint32_t get_le32(const uint8_t* p) {
  return get_le24(p) | ((uint32_t)p[3] << 24);
}

void hexdump(const char* label, uint32_t address, const uint8_t* data, size_t length) {
  size_t i;
  printf("%s %04x:", label, (unsigned)(address & 0xFFFFu));
  for (i = 0; i < length; i++) {
    printf(" %02x", data[i]);
  }
  printf("\n");
}

void poll_limit_start(poll_limit* limit, uint32_t max_ms, uint32_t max_polls) {
  monotonic_now(&limit->start);
  limit->max_ms = max_ms;
  limit->polls = 0;
  limit->max_polls = max_polls;
}

int poll_limit_reached(poll_limit* limit) {
  limit->polls++;
  if (limit->polls >= limit->max_polls) {
    return 1;
  }
  return elapsed_at_least(&limit->start, limit->max_ms);
}
