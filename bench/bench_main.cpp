// dtaus_bench: speed and memory of writing DTAUS files. Run it through bench/run,
// which builds it optimised and passes the repetitions; Google Benchmark's own flags
// (--benchmark_filter=EndToEnd and so on) work as usual.
//
// Progress goes to standard error; standard output gets one summary table at the end.
#include <benchmark/benchmark.h>

#include <iostream>
#include <string_view>

#include "child_process.h"
#include "file_benchmarks.h"
#include "result_collector.h"
#include "summary_table.h"
#ifdef DTAUS_TOOL_BINARY
#include "tool_workload.h"
#endif

int main(int argc, char** argv) {
  // A child started by the peak-memory benchmark does its one run and nothing else.
  if (argc > 1 && std::string_view(argv[1]) == dtaus::bench::kEndToEndChildFlag) {
    return dtaus::bench::RunEndToEndChild(argc - 2, argv + 2);
  }
  if (argc > 1 && std::string_view(argv[1]) == dtaus::bench::kMeasureProgramFlag) {
    return dtaus::bench::MeasureProgram(argc - 2, argv + 2);
  }
#ifdef DTAUS_TOOL_BINARY
  if (argc == 4 && std::string_view(argv[1]) == dtaus::bench::kLibraryChildFlag) {
    return dtaus::bench::RunLibraryChild(argv[2], argv[3]);
  }
  if (argc == 3 && std::string_view(argv[1]) == dtaus::bench::kPlainReadChildFlag) {
    return dtaus::bench::RunPlainReadChild(argv[2]);
  }
  if (argc == 3 && std::string_view(argv[1]) == dtaus::bench::kWriteToolWorkloadFlag) {
    return dtaus::bench::WriteToolWorkload(argv[2]);
  }
#endif
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  dtaus::bench::ResultCollector collector;
  benchmark::RunSpecifiedBenchmarks(&collector);
  dtaus::bench::PrintSummaryTable(collector, std::cout);
  benchmark::Shutdown();
  return 0;
}
