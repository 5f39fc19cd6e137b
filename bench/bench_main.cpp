// dtaus_bench: speed and memory of writing DTAUS files. Run it through bench/run,
// which builds it optimised and passes the repetitions; Google Benchmark's own flags
// (--benchmark_filter=EndToEnd and so on) work as usual.
//
// Progress goes to standard error; standard output gets one summary table at the end.
#include <benchmark/benchmark.h>

#include <iostream>
#include <string_view>

#include "file_benchmarks.h"
#include "result_collector.h"
#include "summary_table.h"

int main(int argc, char** argv) {
  // A child started by the peak-memory benchmark does its one run and nothing else.
  if (argc > 1 && std::string_view(argv[1]) == dtaus::bench::kEndToEndChildFlag) {
    return dtaus::bench::RunEndToEndChild(argc - 2, argv + 2);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  dtaus::bench::ResultCollector collector;
  benchmark::RunSpecifiedBenchmarks(&collector);
  dtaus::bench::PrintSummaryTable(collector, std::cout);
  benchmark::Shutdown();
  return 0;
}
