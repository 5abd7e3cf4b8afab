/* feprobe's command-line options: table, defaults, usage text and parsing. */
#include "options.h"

#include <getopt.h>
#include <stddef.h>
#include <stdlib.h>

#define NO_VAR ((size_t)-1)

/* The table in usage order; var is the field of probe_options, or NO_VAR. */
static const struct {
  const char* name;
  int has_arg;
  size_t var;
  int def;
} option_rows[PROBE_OPTION_COUNT] = {
    {"hw-reset", no_argument, offsetof(probe_options, hw_reset), 0},
    {"bus", required_argument, offsetof(probe_options, bus), 0},
    {"bandwidth", required_argument, offsetof(probe_options, bandwidth), 0},
    {"cp", required_argument, offsetof(probe_options, cp), 0},
    {"init", no_argument, offsetof(probe_options, init), 0},
    {"inversion", required_argument, offsetof(probe_options, inversion), 0},
    {"modulation", required_argument, offsetof(probe_options, modulation), 0},
    {"reset", no_argument, offsetof(probe_options, reset), 0},
    {"scan", no_argument, offsetof(probe_options, scan), 0},
    {"scan-bands", required_argument, offsetof(probe_options, scan_bands), 100},
    {"sleep", no_argument, offsetof(probe_options, sleep), 0},
    {"wakeup", no_argument, offsetof(probe_options, wakeup), 0},
    {"atc", required_argument, offsetof(probe_options, atc), 0},
    {"al", required_argument, offsetof(probe_options, al), 4},
    {"freq", required_argument, offsetof(probe_options, freq), 0},
    {"if", required_argument, offsetof(probe_options, if_freq), 36166667},
    {"step-size", required_argument, offsetof(probe_options, step_size), 166667},
    {"test", required_argument, offsetof(probe_options, test), 1},
    {"help", no_argument, NO_VAR, 0},
    {"verbose", no_argument, offsetof(probe_options, verbose), 0},
    {"wait", no_argument, offsetof(probe_options, wait), 0},
};

void options_table(probe_option table[PROBE_OPTION_COUNT + 1], probe_options* values) {
  size_t i;
  for (i = 0; i < PROBE_OPTION_COUNT; i++) {
    table[i].name = option_rows[i].name;
    table[i].has_arg = option_rows[i].has_arg;
    table[i].var = NULL;
    if (option_rows[i].var != NO_VAR) {
      table[i].var = (int*)((char*)values + option_rows[i].var);
    }
    table[i].def = option_rows[i].def;
  }
  table[PROBE_OPTION_COUNT].name = NULL;
  table[PROBE_OPTION_COUNT].has_arg = no_argument;
  table[PROBE_OPTION_COUNT].var = NULL;
  table[PROBE_OPTION_COUNT].def = 0;
}

void set_option_defaults(const probe_option* table) {
  const probe_option* o;
  for (o = table; o->name; o++) {
    if (o->has_arg != no_argument && o->var) {
      *o->var = o->def;
    }
  }
}

void usage(FILE* out, const probe_option* table, const char* prog) {
  const probe_option* o;
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

void print_options(FILE* out, const probe_option* table) {
  const probe_option* o;
  for (o = table; o->name; o++) {
    if (o->var) {
      fprintf(out, "%s=%d\n", o->name, *o->var);
    } else {
      fprintf(out, "%s=NULL\n", o->name);
    }
  }
}

int options_parse(const probe_option* table, int argc, char** argv) {
  struct option longopts[PROBE_OPTION_COUNT + 1];
  size_t i;

  /* Switches are set to 1 by getopt itself; help comes back as 'h'. */
  for (i = 0; i <= PROBE_OPTION_COUNT; i++) {
    longopts[i].name = table[i].name;
    longopts[i].has_arg = table[i].has_arg;
    longopts[i].flag = table[i].var;
    longopts[i].val = table[i].var ? 1 : 'h';
  }
  longopts[PROBE_OPTION_COUNT].val = 0;

  for (;;) {
    int index = -1;
    int c = getopt_long_only(argc, argv, "h", longopts, &index);
    if (c == -1) {
      return OPTIONS_RUN;
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
      *table[index].var = (int)strtol(optarg, NULL, 0);
    }
  }
}
