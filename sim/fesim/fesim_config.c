/* Parser of the simulator's key=value config text. Kept free of I/O so the
 * unit tests can feed it strings. */
#include "fesim_config.h"

#include <errno.h>
#include <stdarg.h>
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
  char* end = NULL;
  if (*s == '\0' || *s == '-') return -1;
  errno = 0;
  unsigned long v = strtoul(s, &end, 0);
  if (errno != 0 || *end != '\0') return -1;
  *out = v;
  return 0;
}

static int lookup(const struct name_code* table, const char* name, unsigned* code) {
  for (size_t i = 0; table[i].name != NULL; i++) {
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
  cfg->mem = FESIM_MEM_PRESENT;
  cfg->fp_busy = 0;
  cfg->fp_ready_after = 0;
  cfg->fp_ready_first = FESIM_UNSET;
  cfg->sysfs_present = 0;
}

int fesim_channel_parse(struct fesim_channel* ch, const char* value, char* err, size_t errlen) {
  char buf[LINE_MAX_LEN];
  char* save = NULL;
  unsigned long num = 0;
  int field = 0;

  memset(ch, 0, sizeof(*ch));
  if (strlen(value) >= sizeof(buf)) return fail(err, errlen, "channel too long");
  strcpy(buf, value);
  for (char* tok = strtok_r(buf, " \t", &save); tok != NULL; tok = strtok_r(NULL, " \t", &save)) {
    char* eq = strchr(tok, '=');
    if (eq == NULL) {
      if (field >= 2 || parse_ulong(tok, &num) != 0 || num > UINT32_MAX)
        return fail(err, errlen, "bad channel field '%s'", tok);
      if (field == 0)
        ch->frequency = (uint32_t)num;
      else
        ch->bandwidth = (uint32_t)num;
      field++;
      continue;
    }
    *eq = '\0';
    const char* key = tok;
    const char* val = eq + 1;
    int bad = 0;
    if (strcmp(key, "mode") == 0)
      bad = lookup(mode_names, val, &ch->mode);
    else if (strcmp(key, "guard") == 0)
      bad = lookup(guard_names, val, &ch->guard);
    else if (strcmp(key, "mod") == 0)
      bad = lookup(modulation_names, val, &ch->modulation);
    else if (strcmp(key, "hier") == 0)
      bad = lookup(hierarchy_names, val, &ch->hierarchy);
    else if (strcmp(key, "hp") == 0)
      bad = lookup(rate_names, val, &ch->hp);
    else if (strcmp(key, "lp") == 0)
      bad = lookup(rate_names, val, &ch->lp);
    else if (strcmp(key, "inv") == 0)
      bad = lookup(inversion_names, val, &ch->inversion);
    else if (strcmp(key, "offset") == 0) {
      bad = parse_ulong(val, &num) != 0 || num > 6;
      ch->offset = (unsigned)num;
    } else if (strcmp(key, "lock") == 0) {
      unsigned yes = 0;
      static const struct name_code yes_no[] = {{"yes", 1}, {"no", 0}, {NULL, 0}};
      bad = lookup(yes_no, val, &yes);
      ch->never_locks = !yes;
    } else
      return fail(err, errlen, "unknown channel key '%s'", key);
    if (bad) return fail(err, errlen, "bad value '%s' for channel key '%s'", val, key);
  }
  if (field != 2 || ch->frequency == 0 || ch->bandwidth == 0)
    return fail(err, errlen, "channel needs a frequency and a bandwidth in Hz");
  return 0;
}

/* "300\n" style text: \n, \t, \\ and \0 are unescaped. */
static int parse_text(const char* val, char* out, size_t cap, size_t* len) {
  size_t n = 0;
  for (const char* p = val; *p != '\0'; p++) {
    char c = *p;
    if (c == '\\') {
      p++;
      if (*p == 'n')
        c = '\n';
      else if (*p == 't')
        c = '\t';
      else if (*p == '\\')
        c = '\\';
      else if (*p == '0')
        c = '\0';
      else
        return -1;
    }
    if (n + 1 >= cap) return -1;
    out[n++] = c;
  }
  out[n] = '\0';
  *len = n;
  return 0;
}

static int parse_bus(struct fesim_config* cfg, const char* val, char* err, size_t errlen) {
  char buf[64];
  char* save = NULL;
  unsigned long num;
  if (strlen(val) >= sizeof(buf)) return fail(err, errlen, "bad bus '%s'", val);
  strcpy(buf, val);
  char* number = strtok_r(buf, " \t", &save);
  char* nodes = strtok_r(NULL, " \t", &save);
  if (number == NULL || parse_ulong(number, &num) != 0 || num > 255 ||
      strtok_r(NULL, " \t", &save) != NULL)
    return fail(err, errlen, "bad bus '%s'", val);
  if (cfg->bus_count >= FESIM_MAX_BUSES) return fail(err, errlen, "too many buses");
  struct fesim_bus* bus = &cfg->buses[cfg->bus_count];
  bus->number = (unsigned)num;
  if (nodes == NULL || strcmp(nodes, "dash") == 0)
    bus->nodes = FESIM_NODE_DASH;
  else if (strcmp(nodes, "slash") == 0)
    bus->nodes = FESIM_NODE_SLASH;
  else if (strcmp(nodes, "both") == 0)
    bus->nodes = FESIM_NODE_DASH | FESIM_NODE_SLASH;
  else
    return fail(err, errlen, "bad bus node form '%s'", nodes);
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
  if (parse_ulong(val, &num) != 0 || num > 0x7fffffffUL) return -1;
  *out = (long)num;
  return 0;
}

static int parse_line(struct fesim_config* cfg, char* line, int* buses_seen, char* err,
                      size_t errlen) {
  unsigned long num;
  char* eq = strchr(line, '=');
  if (eq == NULL) return fail(err, errlen, "expected key=value");
  *eq = '\0';
  const char* key = line;
  const char* val = eq + 1;

  if (strcmp(key, "bus") == 0) {
    if (!*buses_seen) cfg->bus_count = 0;
    *buses_seen = 1;
    return parse_bus(cfg, val, err, errlen);
  }
  if (strcmp(key, "channel") == 0) {
    if (cfg->channel_count >= FESIM_MAX_CHANNELS) return fail(err, errlen, "too many channels");
    if (fesim_channel_parse(&cfg->channels[cfg->channel_count], val, err, errlen) != 0) return -1;
    cfg->channel_count++;
    return 0;
  }
  if (strcmp(key, "sysfs_timeout") == 0) {
    if (strcmp(val, "absent") == 0) {
      cfg->sysfs_present = 0;
      return 0;
    }
    if (parse_text(val, cfg->sysfs_text, sizeof(cfg->sysfs_text), &cfg->sysfs_len) != 0)
      return fail(err, errlen, "bad sysfs_timeout text");
    cfg->sysfs_present = 1;
    return 0;
  }
  if (strcmp(key, "counter") == 0) {
    if (strcmp(val, "stuck") == 0)
      cfg->counter_stuck = 1;
    else if (strcmp(val, "normal") == 0)
      cfg->counter_stuck = 0;
    else
      return fail(err, errlen, "counter is normal or stuck");
    return 0;
  }
  if (strcmp(key, "mem") == 0) {
    if (strcmp(val, "present") == 0)
      cfg->mem = FESIM_MEM_PRESENT;
    else if (strcmp(val, "absent") == 0)
      cfg->mem = FESIM_MEM_ABSENT;
    else if (strcmp(val, "denied") == 0)
      cfg->mem = FESIM_MEM_DENIED;
    else
      return fail(err, errlen, "mem is present, absent or denied");
    return 0;
  }
  if (strcmp(key, "fp_busy") == 0) {
    if (parse_count(val, "always", &cfg->fp_busy) != 0)
      return fail(err, errlen, "fp_busy is a count or always");
    return 0;
  }
  if (strcmp(key, "fp_ready_after") == 0 || strcmp(key, "fp_ready_first") == 0) {
    long* field = strcmp(key, "fp_ready_after") == 0 ? &cfg->fp_ready_after : &cfg->fp_ready_first;
    if (parse_count(val, "never", field) != 0)
      return fail(err, errlen, "%s is a count or never", key);
    return 0;
  }

  if (strcmp(key, "clock_step") == 0) {
    int minus = val[0] == '-';
    if (parse_ulong(val + minus, &num) != 0 || num > 0x7fffffffUL)
      return fail(err, errlen, "clock_step is a number of seconds, may be negative");
    cfg->clock_step = minus ? -(long)num : (long)num;
    return 0;
  }

  /* The rest are plain numbers. */
  if (parse_ulong(val, &num) != 0) return fail(err, errlen, "bad number '%s' for %s", val, key);
  if (strcmp(key, "id") == 0 && num <= 0xff)
    cfg->id = (uint8_t)num;
  else if (strcmp(key, "asleep") == 0 && num <= 1)
    cfg->asleep = (int)num;
  else if (strcmp(key, "if") == 0 && num <= UINT32_MAX)
    cfg->if_freq = (uint32_t)num;
  else if (strcmp(key, "cp") == 0 && num <= 7)
    cfg->tuner.cp = (unsigned)num;
  else if (strcmp(key, "test") == 0 && num <= 7)
    cfg->tuner.test = (unsigned)num;
  else if (strcmp(key, "step") == 0 && num <= UINT32_MAX &&
           fesim_tuner_ratio_code((uint32_t)num) >= 0)
    cfg->tuner.step = (uint32_t)num;
  else if (strcmp(key, "lock_delay") == 0 && num <= 1000000)
    cfg->lock_delay = (unsigned)num;
  else if (strcmp(key, "nak_at") == 0)
    cfg->nak_at = num;
  else if (strcmp(key, "nak_addr") == 0 && num <= 0x7f)
    cfg->nak_addr = (int)num;
  else if (strcmp(key, "short_at") == 0)
    cfg->short_at = num;
  else
    return fail(err, errlen, "unknown key or value out of range: %s=%s", key, val);
  return 0;
}

static char* trim(char* s) {
  while (*s == ' ' || *s == '\t' || *s == '\r') s++;
  size_t n = strlen(s);
  while (n > 0 && (s[n - 1] == ' ' || s[n - 1] == '\t' || s[n - 1] == '\r')) s[--n] = '\0';
  return s;
}

int fesim_config_parse(struct fesim_config* cfg, const char* text, char* err, size_t errlen) {
  char line[LINE_MAX_LEN];
  char msg[256];
  int buses_seen = 0;
  int lineno = 0;
  const char* p = text;

  while (*p != '\0') {
    const char* nl = strchr(p, '\n');
    size_t n = nl != NULL ? (size_t)(nl - p) : strlen(p);
    lineno++;
    if (n >= sizeof(line)) return fail(err, errlen, "line %d: too long", lineno);
    memcpy(line, p, n);
    line[n] = '\0';
    p += n;
    if (*p == '\n') p++;
    char* s = trim(line);
    if (*s == '\0' || *s == '#') continue;
    if (parse_line(cfg, s, &buses_seen, msg, sizeof(msg)) != 0)
      return fail(err, errlen, "line %d: %s", lineno, msg);
  }
  return 0;
}

const struct fesim_bus* fesim_config_bus(const struct fesim_config* cfg, unsigned number) {
  for (size_t i = 0; i < cfg->bus_count; i++) {
    if (cfg->buses[i].number == number) return &cfg->buses[i];
  }
  return NULL;
}
