/* feprobe: resets, identifies, initialises and tunes the RB4160's DVB-T
 * front-end, and scans bands printing one line per channel. */
#include <stdio.h>
#include <stdlib.h>
#include <sys/time.h>
#include <sys/types.h>
#include <unistd.h>

#include "fp.h"
#include "frontend.h"
#include "i2c.h"
#include "interrupt.h"
#include "options.h"
#include "pll.h"
#include "scan.h"
#include "tda10046.h"
#include "timeutil.h"

#define DVB_SHUTDOWN_TIMEOUT "/sys/module/dvb_core/parameters/dvb_shutdown_timeout"

/* The shutdown timeout the settling wait honours: a larger value (a broken or
 * hostile sysfs file) waits as for this many seconds, a negative one as for 0. */
#define SHUTDOWN_TIMEOUT_MAX_S 3600

/* The option variables, written only while parsing. */
static probe_options opt;

/* Reads one line from standard input and discards it; end of file returns too. */
static void wait_for_enter(void) {
  char* line = NULL;
  size_t size = 0;
  fflush(stdout);
  getline(&line, &size, stdin);
  free(line);
}

/* Reads an integer (strtoll base 0, 64 bits on every target) from the first line
 * of path into *value; text beyond 64 bits saturates, so it still reads as very
 * large or very small. Returns the line's length, 0 when the line was empty, or
 * -1 when the file cannot be opened or read. */
static ssize_t read_int_file(const char* path, long long* value) {
  char* line = NULL;
  size_t size = 0;
  ssize_t len;
  FILE* f = fopen(path, "r");

  if (!f) {
    return -1;
  }
  len = getline(&line, &size, f);
  if (len > 0) {
    *value = strtoll(line, NULL, 0);
  }
  free(line);
  fclose(f);
  return len < 0 ? -1 : len;
}

/* Gives the DVB core's shutdown timeout time to pass before the bus is used:
 * the timeout plus one second, the timeout taken within 0 to
 * SHUTDOWN_TIMEOUT_MAX_S. */
static void wait_dvb_shutdown(void) {
  long long t = 0;
  int seconds = 1;
  if (read_int_file(DVB_SHUTDOWN_TIMEOUT, &t) > 0) {
    if (t < 0) {
      t = 0;
    } else if (t > SHUTDOWN_TIMEOUT_MAX_S) {
      t = SHUTDOWN_TIMEOUT_MAX_S;
    }
    seconds = (int)t + 1;
  }
  printf("waiting for %d seconds\n", seconds);
  fflush(stdout);
  sleep((unsigned)seconds);
}

/* Acquisition callback: one line per locked channel, and per unlocked one with
 * --verbose. */
static int print_result(frontend_state* fe, channel* ch, void* cookie, int locked) {
  (void)fe;
  (void)cookie;
  if (locked) {
    printf("OK %u %u %s %s %s %s %s %s %s\n", (unsigned)((ch->frequency + 500u) / 1000u),
           (unsigned)ch->bandwidth, transmission_mode_name(ch->transmission_mode),
           guard_interval_name(ch->guard_interval), modulation_name(ch->modulation),
           hierarchy_name(ch->hierarchy), code_rate_name(ch->code_rate_hp),
           code_rate_name(ch->code_rate_lp), inversion_name(ch->inversion));
    fflush(stdout);
    if (opt.wait) {
      wait_for_enter();
    }
  } else if (opt.verbose) {
    printf("FAILED %u %u\n", (unsigned)((ch->frequency + 500u) / 1000u), (unsigned)ch->bandwidth);
    fflush(stdout);
  }
  return 0;
}

static int hw_reset(void) {
  int ret;
  puts("Press CTRL-C now if this is not a RB4160!");
  wait_for_enter();
  if (fp_init() < 0) {
    fprintf(stderr, "fp_init() failed\n");
    return 1;
  }
  ret = fp_reset_bus((unsigned)opt.bus);
  if (ret < 0) {
    fprintf(stderr, "fp_reset_bus(%d) failed\n", opt.bus);
    return 1;
  }
  fp_exit();
  return 0;
}

/* Scans the selected bands; *list keeps the channel list for the caller to free. */
static int scan(frontend_state* fe, channel** list) {
  struct timeval start;
  struct timeval end;
  channel* scan_list = scan_list_build((uint32_t)opt.scan_bands);
  *list = scan_list;
  if (!scan_list) {
    /* A mask that selects no band ends the run silently, as it always has;
     * a failed allocation was reported where it happened. */
    return -1;
  }
  monotonic_now(&start);
  if (frontend_acquire(fe, scan_list, print_result, NULL) < 0) {
    return -1;
  }
  monotonic_now(&end);
  printf("scan took %d ms\n", (int)elapsed_ms(&end, &start));
  return 0;
}

/* Single-frequency actions when no scan was asked for. */
static int tune_single(frontend_state* fe) {
  if (opt.freq != 0 && opt.bandwidth != 0) {
    /* Acquisition takes the value as given, in Hz. */
    channel list[2] = {{0}};
    list[0].frequency = (uint32_t)opt.freq;
    list[0].bandwidth = (uint32_t)opt.bandwidth;
    if (frontend_acquire(fe, list, NULL, NULL) < 0) {
      return -1;
    }
  } else {
    if (opt.freq != 0) {
      uint32_t hz;
      if (normalize_frequency((uint32_t)opt.freq, &hz) < 0) {
        fprintf(stderr, "frequency too large: %d\n", opt.freq);
        return -1;
      }
      if (pll_set_frequency(fe, hz, 0) < 0) {
        return -1;
      }
    }
    if (opt.bandwidth != 0 && tda10046_set_bandwidth(fe, (uint32_t)opt.bandwidth) < 0) {
      return -1;
    }
    if (tda10046_set_inversion(fe, opt.inversion) < 0) {
      return -1;
    }
    if (opt.modulation != 0 && tda10046_set_modulation(fe, opt.modulation) < 0) {
      return -1;
    }
  }
  if (opt.reset && tda10046_restart(fe) < 0) {
    return -1;
  }
  return 0;
}

/* The normal flow. Every way out goes through one label, which frees what the
 * run allocated; the bus is closed only after a successful run, and a failed
 * one leaves its descriptor to the process's exit. */
static int run(void) {
  i2c_handle* bus;
  frontend_state* fe = NULL;
  channel* scan_list = NULL;
  int status = 1;

  bus = i2c_open((unsigned)opt.bus);
  if (!bus) {
    return 1;
  }
  wait_dvb_shutdown();
  fe = frontend_new(bus);
  if (!fe) {
    goto out;
  }
  fe->cp = (uint8_t)opt.cp;
  fe->test = (uint8_t)opt.test;
  fe->atc = (uint8_t)opt.atc;
  fe->al = (uint8_t)opt.al;
  fe->if_freq = (uint32_t)opt.if_freq;
  fe->step_size = (uint32_t)opt.step_size;
  if (interrupt_guard_gate(fe) < 0) {
    perror("sigaction");
    goto out;
  }

  if (opt.wakeup && tda10046_wakeup(fe) < 0) {
    goto out;
  }
  if (tda10046_check_revision(fe) < 0) {
    goto out;
  }
  if (opt.init && tda10046_init(fe) < 0) {
    perror("tda10046_init");
    goto out;
  }
  if (opt.scan) {
    if (scan(fe, &scan_list) < 0) {
      goto out;
    }
  } else if (tune_single(fe) < 0) {
    goto out;
  }
  if (opt.sleep) {
    tda10046_sleep(fe);
  }
  status = 0;

out:
  free(scan_list);
  free(fe);
  if (status == 0) {
    i2c_close(bus);
  } else {
    free(bus);
  }
  return status;
}

int main(int argc, char** argv) {
  probe_option_row table[PROBE_OPTION_COUNT + 1];
  int parsed;

  options_table(table, &opt);
  set_option_defaults(table);
  parsed = options_parse(table, argc, argv);
  if (parsed == OPTIONS_HELP) {
    return 0;
  }
  if (parsed == OPTIONS_BAD) {
    return 1;
  }
  if (opt.hw_reset) {
    return hw_reset();
  }
  return run();
}
