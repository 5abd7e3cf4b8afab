/* Parser of the simulator's key=value config text. Kept free of I/O so the
 * unit tests can feed it strings. */
#include "fesim_config.h"

#include <errno.h>
#include <limits.h>
#include <signal.h>
#include <stdarg.h>
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define LINE_MAX_LEN 512

struct name_code {
  const char* name;
  unsigned code;
};

static const struct name_code mode_names[] = {{"2k", 0}, {"8k", 1}, {NULL, 0}};
static const struct name_code guard_names[] = {
    {"1/32", 0}, {"1/16", 1}, {"1/8", 2}, {"1/4", 3}, {NULL, 0}};
static const struct name_code modulation_names[] = {
    {"qpsk", 0}, {"qam16", 1}, {"qam64", 2}, {NULL, 0}};
static const struct name_code hierarchy_names[] = {
    {"none", 0}, {"1", 1}, {"2", 2}, {"4", 3}, {NULL, 0}};
static const struct name_code rate_names[] = {{"1/2", 0}, {"2/3", 1}, {"3/4", 2},
                                              {"5/6", 3}, {"7/8", 4}, {NULL, 0}};
static const struct name_code inversion_names[] = {{"off", 0}, {"on", 1}, {NULL, 0}};

static int fail(char* err, size_t errlen, const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(err, errlen, fmt, ap);
  va_end(ap);
  return -1;
}

/* Whole-string unsigned number, base 0. Returns 0 or -1. */
static int parse_ulong(const char* s, unsigned long* out) {
  unsigned long v;
  char* end = NULL;
  if (*s == '\0' || *s == '-') {
    return -1;
  }
  errno = 0;
  v = strtoul(s, &end, 0);
  if (errno != 0 || *end != '\0') {
    return -1;
  }
  *out = v;
  return 0;
}

static int name_code_lookup(const struct name_code* table, const char* name, unsigned* code) {
  for (size_t i = 0; table[i].name; i++) {
    if (strcmp(table[i].name, name) == 0) {
      *code = table[i].code;
      return 0;
    }
  }
  return -1;
}

void fesim_config_defaults(struct fesim_config* cfg) {
  memset(cfg, 0, sizeof(*cfg));
  cfg->buses[0].number = 0;
  cfg->buses[0].nodes = FESIM_NODE_DASH;
  cfg->bus_count = 1;
  cfg->id = 0x46;
  cfg->if_freq = 36166667;
  cfg->tuner.cp = 0;
  cfg->tuner.test = 1;
  cfg->tuner.step = 166667;
  cfg->nak_addr = -1;
  cfg->signal_number = SIGINT;
  cfg->mem = FESIM_MEM_PRESENT;
  cfg->fp_busy = 0;
  cfg->fp_ready_after = 0;
  cfg->fp_ready_first = FESIM_UNSET;
  cfg->sysfs_present = 0;
}

/* A channel's keys: each sets one unsigned field of the record, from a name of
 * its table, or (no table) from a number up to `most`. */
struct channel_key {
  const char* key;
  size_t field; /* offsetof in struct fesim_channel */
  const struct name_code* names;
  unsigned most;
};

static const struct name_code lock_names[] = {{"yes", 0}, {"no", 1}, {NULL, 0}};

static const struct channel_key channel_keys[] = {
    {"mode", offsetof(struct fesim_channel, mode), mode_names, 0},
    {"guard", offsetof(struct fesim_channel, guard), guard_names, 0},
    {"mod", offsetof(struct fesim_channel, modulation), modulation_names, 0},
    {"hier", offsetof(struct fesim_channel, hierarchy), hierarchy_names, 0},
    {"hp", offsetof(struct fesim_channel, hp), rate_names, 0},
    {"lp", offsetof(struct fesim_channel, lp), rate_names, 0},
    {"inv", offsetof(struct fesim_channel, inversion), inversion_names, 0},
    {"offset", offsetof(struct fesim_channel, offset), NULL, 6},
    {"lock", offsetof(struct fesim_channel, never_locks), lock_names, 0},
};

/* Sets the field of `key=val`. Returns 0, or -1 after the message in err. */
static int channel_key_set(struct fesim_channel* ch, const char* key, const char* val, char* err,
                           size_t errlen) {
  for (size_t i = 0; i < sizeof(channel_keys) / sizeof(channel_keys[0]); i++) {
    const struct channel_key* k = &channel_keys[i];
    unsigned* field = (unsigned*)((char*)ch + k->field);
    unsigned long num = 0;
    int bad;
    if (strcmp(k->key, key) != 0) {
      continue;
    }
    if (k->names) {
      bad = name_code_lookup(k->names, val, field);
    } else {
      bad = parse_ulong(val, &num) != 0 || num > k->most;
      *field = (unsigned)num;
    }
    if (bad) {
      return fail(err, errlen, "bad value '%s' for channel key '%s'", val, key);
    }
    return 0;
  }
  return fail(err, errlen, "unknown channel key '%s'", key);
}

int fesim_channel_parse(struct fesim_channel* ch, const char* value, char* err, size_t errlen) {
  char buf[LINE_MAX_LEN];
  char* save = NULL;
  unsigned long num = 0;
  int field = 0;

  memset(ch, 0, sizeof(*ch));
  if (strlen(value) >= sizeof(buf)) {
    return fail(err, errlen, "channel too long");
  }
  strcpy(buf, value);
  for (char* tok = strtok_r(buf, " \t", &save); tok; tok = strtok_r(NULL, " \t", &save)) {
    char* eq = strchr(tok, '=');
    if (eq) {
      *eq = '\0';
      if (channel_key_set(ch, tok, eq + 1, err, errlen) != 0) {
        return -1;
      }
      continue;
    }
    /* The two plain numbers: frequency, then bandwidth. */
    if (field >= 2 || parse_ulong(tok, &num) != 0 || num > UINT32_MAX) {
      return fail(err, errlen, "bad channel field '%s'", tok);
    }
    if (field == 0) {
      ch->frequency = (uint32_t)num;
    } else {
      ch->bandwidth = (uint32_t)num;
    }
    field++;
  }
  if (field != 2 || ch->frequency == 0 || ch->bandwidth == 0) {
    return fail(err, errlen, "channel needs a frequency and a bandwidth in Hz");
  }
  return 0;
}

/* "300\n" style text: \n, \t, \\ and \0 are unescaped. */
static int parse_text(const char* val, char* out, size_t cap, size_t* len) {
  size_t n = 0;
  for (const char* p = val; *p != '\0'; p++) {
    char c = *p;
    if (c == '\\') {
      p++;
      if (*p == 'n') {
        c = '\n';
      } else if (*p == 't') {
        c = '\t';
      } else if (*p == '\\') {
        c = '\\';
      } else if (*p == '0') {
        c = '\0';
      } else {
        return -1;
      }
    }
    if (n + 1 >= cap) {
      return -1;
    }
    out[n++] = c;
  }
  out[n] = '\0';
  *len = n;
  return 0;
}

static int parse_bus(struct fesim_config* cfg, const char* val, char* err, size_t errlen) {
  char* nodes;
  char* number;
  struct fesim_bus* bus;
  char buf[64];
  char* save = NULL;
  unsigned long num;
  if (strlen(val) >= sizeof(buf)) {
    return fail(err, errlen, "bad bus '%s'", val);
  }
  strcpy(buf, val);
  number = strtok_r(buf, " \t", &save);
  nodes = strtok_r(NULL, " \t", &save);
  if (!number || parse_ulong(number, &num) != 0 || num > 255 || strtok_r(NULL, " \t", &save)) {
    return fail(err, errlen, "bad bus '%s'", val);
  }
  if (cfg->bus_count >= FESIM_MAX_BUSES) {
    return fail(err, errlen, "too many buses");
  }
  bus = &cfg->buses[cfg->bus_count];
  bus->number = (unsigned)num;
  if (!nodes || strcmp(nodes, "dash") == 0) {
    bus->nodes = FESIM_NODE_DASH;
  } else if (strcmp(nodes, "slash") == 0) {
    bus->nodes = FESIM_NODE_SLASH;
  } else if (strcmp(nodes, "both") == 0) {
    bus->nodes = FESIM_NODE_DASH | FESIM_NODE_SLASH;
  } else {
    return fail(err, errlen, "bad bus node form '%s'", nodes);
  }
  cfg->bus_count++;
  return 0;
}

/* Numbers that may also be a word meaning "forever" (-1). */
static int parse_count(const char* val, const char* forever, long* out) {
  unsigned long num;
  if (strcmp(val, forever) == 0) {
    *out = -1;
    return 0;
  }
  if (parse_ulong(val, &num) != 0 || num > 0x7fffffffUL) {
    return -1;
  }
  *out = (long)num;
  return 0;
}

/* What one line's parser works on: the config, whether a bus= line came yet
 * (the first one replaces the default bus) and where a message goes. */
struct line_ctx {
  struct fesim_config* cfg;
  int buses_seen;
  char* err;
  size_t errlen;
};

typedef int (*value_parser)(struct line_ctx* ctx, const char* key, const char* val);

static int parse_bus_line(struct line_ctx* ctx, const char* key, const char* val) {
  (void)key;
  if (!ctx->buses_seen) {
    ctx->cfg->bus_count = 0;
  }
  ctx->buses_seen = 1;
  return parse_bus(ctx->cfg, val, ctx->err, ctx->errlen);
}

static int parse_channel_line(struct line_ctx* ctx, const char* key, const char* val) {
  struct fesim_config* cfg = ctx->cfg;
  (void)key;
  if (cfg->channel_count >= FESIM_MAX_CHANNELS) {
    return fail(ctx->err, ctx->errlen, "too many channels");
  }
  if (fesim_channel_parse(&cfg->channels[cfg->channel_count], val, ctx->err, ctx->errlen) != 0) {
    return -1;
  }
  cfg->channel_count++;
  return 0;
}

static int parse_sysfs_timeout(struct line_ctx* ctx, const char* key, const char* val) {
  struct fesim_config* cfg = ctx->cfg;
  (void)key;
  if (strcmp(val, "absent") == 0) {
    cfg->sysfs_present = 0;
    return 0;
  }
  if (parse_text(val, cfg->sysfs_text, sizeof(cfg->sysfs_text), &cfg->sysfs_len) != 0) {
    return fail(ctx->err, ctx->errlen, "bad sysfs_timeout text");
  }
  cfg->sysfs_present = 1;
  return 0;
}

static int parse_counter(struct line_ctx* ctx, const char* key, const char* val) {
  static const struct name_code counter_names[] = {{"stuck", 1}, {"normal", 0}, {NULL, 0}};
  unsigned stuck = 0;
  (void)key;
  if (name_code_lookup(counter_names, val, &stuck) != 0) {
    return fail(ctx->err, ctx->errlen, "counter is normal or stuck");
  }
  ctx->cfg->counter_stuck = (int)stuck;
  return 0;
}

static int parse_mem(struct line_ctx* ctx, const char* key, const char* val) {
  static const struct name_code mem_names[] = {{"present", FESIM_MEM_PRESENT},
                                               {"absent", FESIM_MEM_ABSENT},
                                               {"denied", FESIM_MEM_DENIED},
                                               {NULL, 0}};
  unsigned mem = 0;
  (void)key;
  if (name_code_lookup(mem_names, val, &mem) != 0) {
    return fail(ctx->err, ctx->errlen, "mem is present, absent or denied");
  }
  ctx->cfg->mem = (enum fesim_mem_mode)mem;
  return 0;
}

static int parse_fp_busy(struct line_ctx* ctx, const char* key, const char* val) {
  (void)key;
  if (parse_count(val, "always", &ctx->cfg->fp_busy) != 0) {
    return fail(ctx->err, ctx->errlen, "fp_busy is a count or always");
  }
  return 0;
}

/* fp_ready_after and fp_ready_first. */
static int parse_fp_ready(struct line_ctx* ctx, const char* key, const char* val) {
  struct fesim_config* cfg = ctx->cfg;
  long* field = strcmp(key, "fp_ready_after") == 0 ? &cfg->fp_ready_after : &cfg->fp_ready_first;
  if (parse_count(val, "never", field) != 0) {
    return fail(ctx->err, ctx->errlen, "%s is a count or never", key);
  }
  return 0;
}

static int parse_signal(struct line_ctx* ctx, const char* key, const char* val) {
  static const struct name_code signal_names[] = {{"INT", SIGINT}, {"TERM", SIGTERM}, {NULL, 0}};
  unsigned sig = 0;
  (void)key;
  if (name_code_lookup(signal_names, val, &sig) != 0) {
    return fail(ctx->err, ctx->errlen, "signal is INT or TERM");
  }
  ctx->cfg->signal_number = (int)sig;
  return 0;
}

static int parse_clock_step(struct line_ctx* ctx, const char* key, const char* val) {
  int minus = val[0] == '-';
  unsigned long num;
  (void)key;
  if (parse_ulong(val + minus, &num) != 0 || num > 0x7fffffffUL) {
    return fail(ctx->err, ctx->errlen, "clock_step is a number of seconds, may be negative");
  }
  ctx->cfg->clock_step = minus ? -(long)num : (long)num;
  return 0;
}

static const struct {
  const char* key;
  value_parser parse;
} value_parsers[] = {
    {"bus", parse_bus_line},
    {"channel", parse_channel_line},
    {"sysfs_timeout", parse_sysfs_timeout},
    {"counter", parse_counter},
    {"mem", parse_mem},
    {"fp_busy", parse_fp_busy},
    {"fp_ready_after", parse_fp_ready},
    {"fp_ready_first", parse_fp_ready},
    {"clock_step", parse_clock_step},
    {"signal", parse_signal},
};

/* store_NAME: keeps a number that fits its field (the table below checks the range). */
#define STORE_FIELD(name, field, type)                                   \
  static int store_##name(struct fesim_config* cfg, unsigned long num) { \
    cfg->field = (type)num;                                              \
    return 0;                                                            \
  }

STORE_FIELD(id, id, uint8_t)
STORE_FIELD(asleep, asleep, int)
STORE_FIELD(if, if_freq, uint32_t)
STORE_FIELD(cp, tuner.cp, unsigned)
STORE_FIELD(test, tuner.test, unsigned)

/* Only a step that has a reference divider ratio. */
static int store_step(struct fesim_config* cfg, unsigned long num) {
  if (fesim_tuner_ratio_code((uint32_t)num) < 0) {
    return -1;
  }
  cfg->tuner.step = (uint32_t)num;
  return 0;
}

STORE_FIELD(lock_delay, lock_delay, unsigned)
STORE_FIELD(nak_at, nak_at, unsigned long)
STORE_FIELD(nak_addr, nak_addr, int)
STORE_FIELD(short_at, short_at, unsigned long)
STORE_FIELD(signal_at, signal_at, unsigned long)
STORE_FIELD(clock_tick_us, clock_tick_us, unsigned long)

/* The keys whose value is a plain number up to max. store returns -1 for a value
 * it does not take. */
static const struct {
  const char* key;
  unsigned long max;
  int (*store)(struct fesim_config* cfg, unsigned long num);
} number_keys[] = {
    {"id", 0xff, store_id},
    {"asleep", 1, store_asleep},
    {"if", UINT32_MAX, store_if},
    {"cp", 7, store_cp},
    {"test", 7, store_test},
    {"step", UINT32_MAX, store_step},
    {"lock_delay", 1000000, store_lock_delay},
    {"nak_at", ULONG_MAX, store_nak_at},
    {"nak_addr", 0x7f, store_nak_addr},
    {"short_at", ULONG_MAX, store_short_at},
    {"signal_at", ULONG_MAX, store_signal_at},
    {"clock_tick_us", 1000000000, store_clock_tick_us},
};

/* Any key not in value_parsers: a number first, then a known key that takes it. */
static int parse_number_line(struct line_ctx* ctx, const char* key, const char* val) {
  unsigned long num;
  if (parse_ulong(val, &num) != 0) {
    return fail(ctx->err, ctx->errlen, "bad number '%s' for %s", val, key);
  }
  for (size_t i = 0; i < sizeof(number_keys) / sizeof(number_keys[0]); i++) {
    if (strcmp(key, number_keys[i].key) == 0 && num <= number_keys[i].max &&
        number_keys[i].store(ctx->cfg, num) == 0) {
      return 0;
    }
  }
  return fail(ctx->err, ctx->errlen, "unknown key or value out of range: %s=%s", key, val);
}

static int parse_line(struct line_ctx* ctx, char* line) {
  char* eq = strchr(line, '=');
  if (!eq) {
    return fail(ctx->err, ctx->errlen, "expected key=value");
  }
  *eq = '\0';
  for (size_t i = 0; i < sizeof(value_parsers) / sizeof(value_parsers[0]); i++) {
    if (strcmp(line, value_parsers[i].key) == 0) {
      return value_parsers[i].parse(ctx, line, eq + 1);
    }
  }
  return parse_number_line(ctx, line, eq + 1);
}

static char* trim(char* s) {
  size_t n;
  while (*s == ' ' || *s == '\t' || *s == '\r') {
    s++;
  }
  n = strlen(s);
  while (n > 0 && (s[n - 1] == ' ' || s[n - 1] == '\t' || s[n - 1] == '\r')) {
    s[--n] = '\0';
  }
  return s;
}

int fesim_config_parse(struct fesim_config* cfg, const char* text, char* err, size_t errlen) {
  char line[LINE_MAX_LEN];
  char msg[256];
  struct line_ctx ctx = {cfg, 0, msg, sizeof(msg)};
  int lineno = 0;
  const char* p = text;

  while (*p != '\0') {
    char* s;
    const char* nl = strchr(p, '\n');
    size_t n = nl ? (size_t)(nl - p) : strlen(p);
    lineno++;
    if (n >= sizeof(line)) {
      return fail(err, errlen, "line %d: too long", lineno);
    }
    memcpy(line, p, n);
    line[n] = '\0';
    p += n;
    if (*p == '\n') {
      p++;
    }
    s = trim(line);
    if (*s == '\0' || *s == '#') {
      continue;
    }
    if (parse_line(&ctx, s) != 0) {
      return fail(err, errlen, "line %d: %s", lineno, msg);
    }
  }
  return 0;
}

const struct fesim_bus* fesim_config_bus(const struct fesim_config* cfg, unsigned number) {
  for (size_t i = 0; i < cfg->bus_count; i++) {
    if (cfg->buses[i].number == number) {
      return &cfg->buses[i];
    }
  }
  return NULL;
}
