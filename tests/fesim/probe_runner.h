// Runs a program (the real feprobe binary) under fesim-run and collects what
// it did: exit status, standard output and error, the simulator's transaction
// log and the wall-clock time it took.
#ifndef TESTS_FESIM_PROBE_RUNNER_H
#define TESTS_FESIM_PROBE_RUNNER_H

#include <string>
#include <vector>

struct ProbeRun {
  int status = -1;         // exit status; -1 when killed or not started
  int signal = 0;          // the signal that ended it, 0 when it exited
  bool timed_out = false;  // killed by the runner's watchdog
  double seconds = 0;      // wall-clock time of the whole run
  std::string out;
  std::string err;
  std::vector<std::string> log;  // the transaction log, one entry per line
};

// Runs command (program path first) against a simulator configured by
// config_text (the fesim config file's content), feeding stdin_text on
// standard input. The program is killed after watchdog_seconds. fesim-run and
// the library come from the FESIM_RUN and FESIM_LIB compile definitions.
ProbeRun RunUnderFesim(const std::string& config_text, const std::vector<std::string>& command,
                       const std::string& stdin_text = "", int watchdog_seconds = 40);

// The lines of log that start with prefix, in order.
std::vector<std::string> LinesStartingWith(const std::vector<std::string>& log,
                                           const std::string& prefix);

// Index of the first line equal to line at or after from, or -1.
int IndexOf(const std::vector<std::string>& log, const std::string& line, size_t from = 0);

// True when want appears in log as a contiguous run of lines.
bool ContainsRun(const std::vector<std::string>& log, const std::vector<std::string>& want);

// The frequencies in kHz that the tuner messages in the log tune, in order,
// decoded from the divider of each "i2c w 60" line on the 1/6 MHz raster with
// the default IF (217 steps).
std::vector<long> TunedKhz(const std::vector<std::string>& log);

// Splits text into lines (without the newlines).
std::vector<std::string> SplitLines(const std::string& text);

#endif
