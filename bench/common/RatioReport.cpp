// Collects per-benchmark times from Google Benchmark and prints ratio lines.
#include "RatioReport.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>

namespace kvbench {

namespace {

// Console output as usual, plus a seconds-per-iteration table by name. A
// median aggregate, when repetitions produce one, replaces single runs.
class RecordingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& reports) override {
    ConsoleReporter::ReportRuns(reports);
    for (const Run& run : reports) {
      if (run.error_occurred) continue;
      const double seconds =
          run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
      const std::string name = run.run_name.str();
      if (run.run_type == Run::RT_Aggregate) {
        if (run.aggregate_name == "median") medians_[name] = seconds;
      } else {
        singles_[name] = seconds;
      }
    }
  }

  // Seconds per iteration of `name`, or a negative value when it did not run.
  double seconds(const std::string& name) const {
    auto median = medians_.find(name);
    if (median != medians_.end()) return median->second;
    auto single = singles_.find(name);
    return single != singles_.end() ? single->second : -1.0;
  }

 private:
  std::map<std::string, double> medians_;
  std::map<std::string, double> singles_;
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
    const double top = reporter.seconds(check.numerator);
    const double bottom = reporter.seconds(check.denominator);
    if (top <= 0 || bottom <= 0) continue;
    const double ratio = top / bottom;
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
  return allPass ? 0 : 1;
}

}  // namespace kvbench
