/*
 * bench_ratio.h -- what the benchmarks that report "the ratio to one
 * deformation pass" share: their default flags, and a console reporter
 * that keeps every repetition's CPU time and prints medians and ratios.
 *
 * Ratios are only meaningful within one run: the yardstick and the cases
 * run interleaved in random order, so a busy stretch of a shared machine
 * falls on all of them alike.
 */
#ifndef CAGEWARP_BENCH_BENCH_RATIO_H
#define CAGEWARP_BENCH_BENCH_RATIO_H

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

/* The command line with `--benchmark_repetitions=repetitions` and random
 * interleaving put first, so that flags the user gives come later and win.
 * The strings live as long as the program. */
inline std::vector<char*> withRepeatedInterleavedRuns(int argc, char** argv, int repetitions) {
  static std::string reps;
  static char interleave[] = "--benchmark_enable_random_interleaving=true";
  reps = "--benchmark_repetitions=" + std::to_string(repetitions);
  std::vector<char*> args(argv, argv + argc);
  args.insert(args.begin() + 1, {reps.data(), interleave});
  return args;
}

/* Keeps the CPU time of every repetition, in microseconds per iteration,
 * by benchmark name: the function's name, or with `withArguments` its
 * name with its arguments ("BM_Case/128/1").  median() is 0 for a name
 * that did not run. */
class MedianReporter : public benchmark::ConsoleReporter {
 public:
  explicit MedianReporter(bool withArguments = false) : withArguments_(withArguments) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      const double unit = benchmark::GetTimeUnitMultiplier(run.time_unit);
      std::string name = run.run_name.function_name;
      if (withArguments_ && !run.run_name.args.empty()) name += "/" + run.run_name.args;
      samples_[name].push_back(run.GetAdjustedCPUTime() * 1e6 / unit);
    }
    ConsoleReporter::ReportRuns(runs);
  }

  double median(const std::string& name) const {
    auto found = samples_.find(name);
    if (found == samples_.end() || found->second.empty()) return 0.0;
    std::vector<double> s = found->second;
    std::sort(s.begin(), s.end());
    return s[s.size() / 2];
  }

 private:
  bool withArguments_;
  std::map<std::string, std::vector<double>> samples_;
};

/* After the console table: each named case's median and its ratio to the
 * median of `yardstick` (one `points`-point deformation pass). */
class PassRatioReporter : public MedianReporter {
 public:
  PassRatioReporter(std::string yardstick, int points, std::vector<std::string> names, bool withArguments = false)
      : MedianReporter(withArguments), yardstick_(std::move(yardstick)), points_(points), names_(std::move(names)) {}

  void Finalize() override {
    MedianReporter::Finalize();
    const double pass = median(yardstick_);
    int width = 8;
    for (const std::string& name : names_) width = std::max(width, static_cast<int>(name.size()));
    std::printf("\nmedian CPU time, microseconds, and the ratio to one %d-point deformation pass\n", points_);
    for (const std::string& name : names_) {
      const double us = median(name);
      if (us <= 0.0 || pass <= 0.0) continue;
      std::printf("  %-*s %12.1f %9.4fx\n", width, name.c_str(), us, us / pass);
    }
  }

 private:
  std::string yardstick_;
  int points_;
  std::vector<std::string> names_;
};

#endif /* CAGEWARP_BENCH_BENCH_RATIO_H */
