/* feprobe's command-line options: table, defaults, usage text and parsing. */
#include "options.h"

#include <getopt.h>
#include <limits.h>
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#define NO_VAR ((size_t)-1)

/* Value ranges: what fits the field each option lands in. */
#define ANY_INT INT_MIN, INT_MAX
#define UNSIGNED_INT 0, INT_MAX
#define UNSIGNED_32 0, (long long)UINT32_MAX
#define BITS(n) 0, ((1LL << (n)) - 1)
#define SWITCH 0, 1

/* The table in usage order; var is the field of probe_options, or NO_VAR. */
static const struct {
  const char* name;
  int has_arg;
  size_t var;
  int def;
  long long min;
  long long max;
} option_rows[PROBE_OPTION_COUNT] = {
    {"hw-reset", no_argument, offsetof(probe_options, hw_reset), 0, SWITCH},
    /* Printed with %d in the reset's failure message. */
    {"bus", required_argument, offsetof(probe_options, bus), 0, UNSIGNED_INT},
    /* The demodulator refuses a bandwidth its timing words cannot hold. */
    {"bandwidth", required_argument, offsetof(probe_options, bandwidth), 0, UNSIGNED_32},
    {"cp", required_argument, offsetof(probe_options, cp), 0, BITS(3)},
    {"init", no_argument, offsetof(probe_options, init), 0, SWITCH},
    /* Other values are refused by the demodulator with their own message. */
    {"inversion", required_argument, offsetof(probe_options, inversion), 0, ANY_INT},
    {"modulation", required_argument, offsetof(probe_options, modulation), 0, ANY_INT},
    {"reset", no_argument, offsetof(probe_options, reset), 0, SWITCH},
    {"scan", no_argument, offsetof(probe_options, scan), 0, SWITCH},
    {"scan-bands", required_argument, offsetof(probe_options, scan_bands), 100, UNSIGNED_32},
    {"sleep", no_argument, offsetof(probe_options, sleep), 0, SWITCH},
    {"wakeup", no_argument, offsetof(probe_options, wakeup), 0, SWITCH},
    /* The tuner's AGC byte: 0x80 | atc << 3 | al. */
    {"atc", required_argument, offsetof(probe_options, atc), 0, BITS(4)},
    {"al", required_argument, offsetof(probe_options, al), 4, BITS(3)},
    {"freq", required_argument, offsetof(probe_options, freq), 0, UNSIGNED_32},
    {"if", required_argument, offsetof(probe_options, if_freq), 36166667, UNSIGNED_32},
    {"step-size", required_argument, offsetof(probe_options, step_size), 166667, UNSIGNED_32},
    {"test", required_argument, offsetof(probe_options, test), 1, BITS(3)},
    {"help", no_argument, NO_VAR, 0, SWITCH},
    {"verbose", no_argument, offsetof(probe_options, verbose), 0, SWITCH},
    {"wait", no_argument, offsetof(probe_options, wait), 0, SWITCH},
};

void options_table(probe_option_row table[PROBE_OPTION_COUNT + 1], probe_options* values) {
  size_t i;
  for (i = 0; i < PROBE_OPTION_COUNT; i++) {
    table[i].name = option_rows[i].name;
    table[i].has_arg = option_rows[i].has_arg;
    table[i].var = NULL;
    if (option_rows[i].var != NO_VAR) {
      table[i].var = (int*)((char*)values + option_rows[i].var);
    }
    table[i].def = option_rows[i].def;
    table[i].min = option_rows[i].min;
    table[i].max = option_rows[i].max;
  }
  table[PROBE_OPTION_COUNT].name = NULL;
  table[PROBE_OPTION_COUNT].has_arg = no_argument;
  table[PROBE_OPTION_COUNT].var = NULL;
  table[PROBE_OPTION_COUNT].def = 0;
  table[PROBE_OPTION_COUNT].min = 0;
  table[PROBE_OPTION_COUNT].max = 0;
}

void set_option_defaults(const probe_option_row* table) {
  const probe_option_row* o;
  for (o = table; o->name; o++) {
    if (o->has_arg != no_argument && o->var) {
      *o->var = o->def;
    }
  }
}

void usage(FILE* out, const probe_option_row* table, const char* prog) {
  const probe_option_row* o;
  fprintf(out, "usage: %s [options]\n", prog);
  for (o = table; o->name; o++) {
    fprintf(out, "\t--%s", o->name);
    if (o->has_arg != no_argument) {
      fprintf(out, "=val");
      if (o->var) {
        fprintf(out, "\t(default: %d)", o->def);
      }
    }
    fprintf(out, "\n");
  }
}

void print_options(FILE* out, const probe_option_row* table) {
  const probe_option_row* o;
  for (o = table; o->name; o++) {
    if (o->var) {
      fprintf(out, "%s=%d\n", o->name, *o->var);
    } else {
      fprintf(out, "%s=NULL\n", o->name);
    }
  }
}

/* The int an option variable holds for v: itself, or for an unsigned 32-bit
 * value above INT_MAX the int with the same 32 bits (read back as uint32_t). */
static int option_int(long long v) {
  return (int)(v > INT_MAX ? v - 4294967296LL : v);
}

int options_parse(const probe_option_row* table, int argc, char** argv) {
  struct option longopts[PROBE_OPTION_COUNT + 1];
  const probe_option_row* refused = NULL;
  const char* refused_text = NULL;
  size_t i;

  /* Switches are set to 1 by getopt itself; help comes back as 'h'; an option
   * with a value comes back as 0 and is stored below, only once it fits. */
  for (i = 0; i <= PROBE_OPTION_COUNT; i++) {
    int is_switch = table[i].has_arg == no_argument;
    longopts[i].name = table[i].name;
    longopts[i].has_arg = table[i].has_arg;
    longopts[i].flag = is_switch ? table[i].var : NULL;
    longopts[i].val = !table[i].var ? 'h' : is_switch ? 1 : 0;
  }
  longopts[PROBE_OPTION_COUNT].val = 0;

  for (;;) {
    int index = -1;
    int c = getopt_long_only(argc, argv, "h", longopts, &index);
    if (c == -1) {
      break;
    }
    if (c == 'h') {
      usage(stdout, table, argv[0]);
      return OPTIONS_HELP;
    }
    if (c == '?') {
      usage(stdout, table, argv[0]);
      return OPTIONS_BAD;
    }
    if (c == 0 && index >= 0 && table[index].has_arg != no_argument && table[index].var) {
      /* 64 bits on every target, so a value means the same on the box and here. */
      long long v = strtoll(optarg, NULL, 0);
      if (v < table[index].min || v > table[index].max) {
        /* Reported once parsing is over: a later --help still wins. */
        if (!refused) {
          refused = &table[index];
          refused_text = optarg;
        }
        continue;
      }
      *table[index].var = option_int(v);
    }
  }
  if (refused) {
    fprintf(stderr, "option --%s: %s is out of range (%lld to %lld)\n", refused->name, refused_text,
            refused->min, refused->max);
    return OPTIONS_BAD;
  }
  return OPTIONS_RUN;
}
