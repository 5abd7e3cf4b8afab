// Benchmarks here are judged against a floor measured in the same run: this
// reporter keeps each benchmark's time and, once all have run, prints every
// ratio beside its target, so `scripts/bench` can read one line per figure.
#pragma once

#include <string>
#include <vector>

namespace kvbench {

// One figure: time(numerator) / time(denominator), both benchmark names as
// Google Benchmark prints them (e.g. "BM_ParseFeed/1000"). With `atMost`
// the ratio passes when it is <= limit; otherwise when it is >= limit (use
// the floor as numerator for a throughput ratio). A limit <= 0 prints the
// ratio for context, with no target.
struct RatioCheck {
  std::string label;
  std::string numerator;
  std::string denominator;
  double limit;
  bool atMost;
  // Compare CPU time instead of real time: for work on one thread that does
  // no I/O, CPU time is the same figure and steadier on a busy machine.
  bool cpuTime = false;
  // When set, these benchmarks' times are subtracted first, so the ratio
  // compares the cost above a floor: (num - numFloor) / (den - denFloor).
  std::string numeratorFloor;
  std::string denominatorFloor;
};

// An extra line printed with the ratios, e.g. a peak-memory figure measured
// outside Google Benchmark. `pass` < 0 means informational (no target).
struct ExtraFigure {
  std::string label;
  double value;
  std::string target;  // empty when informational
  int pass;            // 1 pass, 0 miss, -1 no target
};

// Runs the benchmarks selected by argv (the usual --benchmark_* flags) with
// the console reporter, then prints one line per check:
//   RATIO <label> <value> target <op><limit> PASS|MISS
// With repetitions the median is used. A check whose benchmarks did not run
// (filtered out) is skipped. Returns 0 when every printed check passed, 1
// when one missed, 2 on bad flags or when a benchmark stopped with an error.
int runWithRatios(int argc, char** argv, const std::vector<RatioCheck>& checks,
                  const std::vector<ExtraFigure>& extras = {});

// Prints an extra figure in the same line format as the ratios.
void printFigure(const ExtraFigure& figure);

}  // namespace kvbench
