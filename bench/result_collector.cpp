#include "result_collector.h"

#include <algorithm>
#include <iostream>

namespace dtaus::bench {
namespace {

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t mid = values.size() / 2;
  return values.size() % 2 == 1 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

}  // namespace

ResultCollector::ResultCollector() : ConsoleReporter(OO_Tabular) {
  // Standard output is reserved for the summary table.
  SetOutputStream(&std::cerr);
  SetErrorStream(&std::cerr);
}

void ResultCollector::ReportRuns(const std::vector<Run>& runs) {
  for (const Run& run : runs) {
    // Only the repetitions themselves; the aggregates Google Benchmark adds (mean,
    // median, stddev) are recomputed from them.
    if (run.run_type != Run::RT_Iteration) continue;
    std::string name = run.run_name.function_name;
    if (!run.run_name.args.empty()) name += "/" + run.run_name.args;
    Samples& s = samples_[name];
    if (run.error_occurred) {
      s.error = run.error_message;
      continue;
    }
    const double seconds_per_unit = 1.0 / benchmark::GetTimeUnitMultiplier(run.time_unit);
    s.times_ns.push_back(run.GetAdjustedRealTime() * seconds_per_unit * 1e9);
    for (const auto& [counter, value] : run.counters) s.counters[counter].push_back(value);
  }
  ConsoleReporter::ReportRuns(runs);
}

std::optional<ResultCollector::Result> ResultCollector::Find(std::string_view name) const {
  const auto it = samples_.find(name);
  if (it == samples_.end()) return std::nullopt;
  Result result;
  result.repetitions = static_cast<int>(it->second.times_ns.size());
  result.median_ns = Median(it->second.times_ns);
  for (const auto& [counter, values] : it->second.counters) {
    result.counters[counter] = Median(values);
  }
  result.error = it->second.error;
  return result;
}

}  // namespace dtaus::bench
