/* Line writer behind the transaction log. Formats on the stack so that it can
 * run inside the front-processor fault handler. */
#include "fesim_log.h"

#include <errno.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#define LOG_LINE_MAX 1024

static int log_fd = -1;

void fesim_log_set_fd(int fd) {
  log_fd = fd;
}

int fesim_log_enabled(void) {
  return log_fd >= 0;
}

static void write_line(char* line, size_t len) {
  size_t off = 0;
  int saved = errno;
  if (len >= LOG_LINE_MAX - 1) {
    len = LOG_LINE_MAX - 2;
  }
  line[len++] = '\n';
  while (off < len) {
    ssize_t n = write(log_fd, line + off, len - off);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      break;
    }
    off += (size_t)n;
  }
  errno = saved;
}

void fesim_log(const char* fmt, ...) {
  va_list ap;
  int n;
  char line[LOG_LINE_MAX];
  if (log_fd < 0) {
    return;
  }
  va_start(ap, fmt);
  n = vsnprintf(line, sizeof(line) - 1, fmt, ap);
  va_end(ap);
  if (n < 0) {
    return;
  }
  write_line(line, (size_t)n < sizeof(line) - 1 ? (size_t)n : sizeof(line) - 2);
}

void fesim_log_bytes(const char* prefix, const uint8_t* bytes, size_t len, const char* suffix) {
  size_t plen;
  static const char hex[] = "0123456789abcdef";
  char line[LOG_LINE_MAX];
  size_t n = 0;
  if (log_fd < 0) {
    return;
  }
  plen = strlen(prefix);
  if (plen > 64) {
    plen = 64;
  }
  memcpy(line, prefix, plen);
  n = plen;
  for (size_t i = 0; i < len && n + 3 < 900; i++) {
    line[n++] = ' ';
    line[n++] = hex[bytes[i] >> 4];
    line[n++] = hex[bytes[i] & 0x0f];
  }
  if (suffix) {
    size_t slen = strlen(suffix);
    if (slen > 64) {
      slen = 64;
    }
    memcpy(line + n, suffix, slen);
    n += slen;
  }
  write_line(line, n);
}
