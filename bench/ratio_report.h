#pragma once
// The benchmarks' main: runs everything registered, then prints, for each
// group (a benchmark's name up to its last '/'), how many times faster our
// variant is than each peer measured in the same run on the same buffers.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace bench {

// `ours` should be at least `ratio` times as fast as `other`.
struct Target {
  const char* ours;
  const char* other;
  double ratio;
};

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  // Colours only on a terminal.
  explicit RatioReporter(std::vector<Target> targets)
      : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular), targets_(std::move(targets)) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
      const std::string name = run.benchmark_name();
      const size_t slash = name.rfind('/');
      if (slash == std::string::npos) continue;
      const std::string group = name.substr(0, slash);
      if (!times_.count(group)) order_.push_back(group);
      // Processor time: the machine is shared, and waiting for it is no one's cost.
      times_[group][name.substr(slash + 1)] = run.GetAdjustedCPUTime();
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\nRatios (the other's time over ours; higher is faster):\n");
    int met = 0, missed = 0;
    for (const std::string& group : order_) {
      const auto& variants = times_[group];
      for (const Target& t : targets_) {
        const auto ours = variants.find(t.ours), other = variants.find(t.other);
        if (ours == variants.end() || other == variants.end()) continue;
        const double ratio = other->second / ours->second;
        const bool ok = ratio >= t.ratio;
        (ok ? met : missed)++;
        std::printf("  %-34s %-12s vs %-10s %7.2fx   target %.1fx %s\n", group.c_str(), t.ours, t.other, ratio,
                    t.ratio, ok ? "met" : "MISSED");
      }
    }
    std::printf("%d targets met, %d missed\n", met, missed);
  }

 private:
  std::vector<Target> targets_;
  std::vector<std::string> order_;
  std::map<std::string, std::map<std::string, double>> times_;
};

inline int RunWithRatios(int argc, char** argv, std::vector<Target> targets) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter(std::move(targets));
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}

}  // namespace bench
