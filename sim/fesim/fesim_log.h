/* The simulator's transaction log: one text line per bus message, front-
 * processor byte, sleep and device open, in the order they happen. The line
 * formats are listed in README.md; tests compare against them. */
#ifndef FESIM_LOG_H
#define FESIM_LOG_H

#include <stddef.h>
#include <stdint.h>

/* Sends further lines to fd (-1 = discard). The log does not own fd. */
void fesim_log_set_fd(int fd);

/* Nonzero when a log is open: callers skip formatting work otherwise. */
int fesim_log_enabled(void);

/* Writes one line; the newline is added. Each line is a single write(), so
 * lines from a crashing process are never torn. */
void fesim_log(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

/* Writes "<prefix> b0 b1 ...<suffix>" with the bytes as two-digit lower-case
 * hex; suffix may be NULL. */
void fesim_log_bytes(const char* prefix, const uint8_t* bytes, size_t len, const char* suffix);

#endif
