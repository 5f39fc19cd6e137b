// ResultCollector: keeps every measurement of a benchmark run for the summary table,
// while showing Google Benchmark's usual progress lines on standard error.
//
// The machine is shared, so one measurement may catch another process's build. Each
// benchmark therefore runs several repetitions (--benchmark_repetitions), and the
// summary uses the median of their wall times, which one disturbed repetition cannot
// move far.
//
//   ResultCollector collector;
//   benchmark::RunSpecifiedBenchmarks(&collector);
//   if (auto r = collector.Find("Generate/payments:32767/parts:15")) ...
#ifndef DTAUS_BENCH_RESULT_COLLECTOR_H_
#define DTAUS_BENCH_RESULT_COLLECTOR_H_

#include <benchmark/benchmark.h>

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dtaus::bench {

class ResultCollector : public benchmark::ConsoleReporter {
 public:
  struct Result {
    int repetitions = 0;
    // Median wall time per iteration, in nanoseconds.
    double median_ns = 0;
    // Median of each user counter.
    std::map<std::string, double> counters;
    // Set when any repetition failed; the numbers are then meaningless.
    std::string error;
  };

  ResultCollector();

  void ReportRuns(const std::vector<Run>& runs) override;

  // The result of the benchmark with the given name and arguments, as Google Benchmark
  // names it ("AssignBLZ", "EndToEnd/payments:1000/parts:0"); nothing when it did not run.
  std::optional<Result> Find(std::string_view name) const;

 private:
  struct Samples {
    std::vector<double> times_ns;
    std::map<std::string, std::vector<double>> counters;
    std::string error;
  };
  std::map<std::string, Samples, std::less<>> samples_;
};

}  // namespace dtaus::bench

#endif  // DTAUS_BENCH_RESULT_COLLECTOR_H_
