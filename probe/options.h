/* feprobe's command-line options: the option table with its defaults, the usage
 * text and parsing with getopt_long_only. */
#ifndef FEPROBE_OPTIONS_H
#define FEPROBE_OPTIONS_H

#include <stdio.h>

#ifdef __cplusplus
extern "C" {
#endif

/* One signed int per option (switches: 0, or 1 when given). An option whose
 * field is unsigned 32-bit holds values above INT_MAX as the int with the same
 * 32 bits; read it back as uint32_t. */
typedef struct probe_options {
  int hw_reset;
  int bus;
  int bandwidth;
  int cp;
  int init;
  int inversion;
  int modulation;
  int reset;
  int scan;
  int scan_bands;
  int sleep;
  int wakeup;
  int atc;
  int al;
  int freq;
  int if_freq;
  int step_size;
  int test;
  int verbose;
  int wait;
} probe_options;

/* One row of the option table. */
typedef struct probe_option_row {
  const char* name; /* NULL ends the table */
  int has_arg;      /* no_argument or required_argument (getopt.h) */
  int* var;         /* the option variable; NULL for help */
  int def;          /* default of an option with a value */
  long long min;    /* range of a value: what fits the field the option lands in */
  long long max;
} probe_option_row;

#define PROBE_OPTION_COUNT 21

/* Fills table with a copy of the option table (PROBE_OPTION_COUNT rows and an end
 * row), each variable bound to its field of values. Values are not touched. */
void options_table(probe_option_row table[PROBE_OPTION_COUNT + 1], probe_options* values);

/* Stores the default of every option that takes a value and has a variable. */
void set_option_defaults(const probe_option_row* table);

/* Prints the usage text for program name prog to out. */
void usage(FILE* out, const probe_option_row* table, const char* prog);

/* Prints "name=value" per option, or "name=NULL" without a variable, to out. */
void print_options(FILE* out, const probe_option_row* table);

/* Results of options_parse. */
#define OPTIONS_RUN 0
#define OPTIONS_HELP 1
#define OPTIONS_BAD (-1)

/* Parses argv into the table's variables (values with strtoll base 0, the same
 * 64 bits on every target; text after the number is ignored, no number is 0).
 * On -h or --help prints the usage text to stdout and returns OPTIONS_HELP at
 * once; on an unknown option or a missing value (getopt's own message) prints it
 * too and returns OPTIONS_BAD. A value outside its option's range is not stored:
 * once all of argv is parsed (so a later --help still wins), "option --NAME: TEXT
 * is out of range (MIN to MAX)\n" for the first such value goes to stderr and
 * the result is OPTIONS_BAD. Otherwise OPTIONS_RUN. */
int options_parse(const probe_option_row* table, int argc, char** argv);

#ifdef __cplusplus
}
#endif

#endif
