// Collects per-benchmark times from Google Benchmark and prints ratio lines.
#include "RatioReport.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>

#include <unistd.h>

namespace kvbench {

namespace {

// Console output as usual, plus a seconds-per-iteration table by name. A
// median aggregate, when repetitions produce one, replaces single runs.
class RecordingReporter : public benchmark::ConsoleReporter {
 public:
  // Colours only on a terminal, so scripts can read the lines as they are.
  RecordingReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& reports) override {
    ConsoleReporter::ReportRuns(reports);
    for (const Run& run : reports) {
      if (run.error_occurred) {
        failed_ = true;
        continue;
      }
      const double unit = benchmark::GetTimeUnitMultiplier(run.time_unit);
      const Times times{run.GetAdjustedRealTime() / unit, run.GetAdjustedCPUTime() / unit};
      const std::string name = run.run_name.str();
      if (run.run_type == Run::RT_Aggregate) {
        if (run.aggregate_name == "median") medians_[name] = times;
      } else {
        singles_[name] = times;
      }
    }
  }

  // True when a benchmark stopped with an error (SkipWithError).
  bool failed() const { return failed_; }

  // Seconds per iteration of `name` (real or CPU), or a negative value when
  // it did not run.
  double seconds(const std::string& name, bool cpu) const {
    auto median = medians_.find(name);
    if (median != medians_.end()) return median->second.pick(cpu);
    auto single = singles_.find(name);
    return single != singles_.end() ? single->second.pick(cpu) : -1.0;
  }

 private:
  struct Times {
    double real;
    double cpu;
    double pick(bool useCpu) const { return useCpu ? cpu : real; }
  };
  std::map<std::string, Times> medians_;
  std::map<std::string, Times> singles_;
  bool failed_ = false;
};

}  // namespace

void printFigure(const ExtraFigure& figure) {
  std::printf("RATIO %s %.3f target %s %s\n", figure.label.c_str(), figure.value,
              figure.target.empty() ? "none" : figure.target.c_str(),
              figure.pass < 0 ? "INFO" : (figure.pass ? "PASS" : "MISS"));
}

int runWithRatios(int argc, char** argv, const std::vector<RatioCheck>& checks,
                  const std::vector<ExtraFigure>& extras) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
  RecordingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  std::fflush(stdout);
  bool allPass = true;
  for (const RatioCheck& check : checks) {
    double top = reporter.seconds(check.numerator, check.cpuTime);
    double bottom = reporter.seconds(check.denominator, check.cpuTime);
    if (top <= 0 || bottom <= 0) continue;
    if (!check.numeratorFloor.empty() || !check.denominatorFloor.empty()) {
      const double topFloor = reporter.seconds(check.numeratorFloor, check.cpuTime);
      const double bottomFloor = reporter.seconds(check.denominatorFloor, check.cpuTime);
      if (topFloor <= 0 || bottomFloor <= 0) continue;
      top -= topFloor;
      bottom -= bottomFloor;
      if (bottom <= 0) continue;  // no cost above the floor to compare with
    }
    const double ratio = top / bottom;
    if (check.limit <= 0) {  // a figure for context, with no target
      printFigure({check.label, ratio, "", -1});
      continue;
    }
    const bool pass = check.atMost ? ratio <= check.limit : ratio >= check.limit;
    char target[32];
    std::snprintf(target, sizeof target, "%s%.2f", check.atMost ? "<=" : ">=", check.limit);
    printFigure({check.label, ratio, target, pass ? 1 : 0});
    allPass = allPass && pass;
  }
  for (const ExtraFigure& extra : extras) {
    printFigure(extra);
    if (extra.pass == 0) allPass = false;
  }
  std::fflush(stdout);
  if (reporter.failed()) return 2;
  return allPass ? 0 : 1;
}

}  // namespace kvbench
