// The one table bench/run prints: every file benchmark with its ratio to the baseline
// write of the same bytes, the peak memory of the largest run beside its file size,
// and the cost of each assignment and construction, each with its target where there
// is one.
//
// The table is Markdown, padded so that it also reads well in a terminal; it can be
// pasted into the documentation as it is. It states targets and whether they were met;
// it never fails the run, because wall times on a shared machine are not a verdict.
#ifndef DTAUS_BENCH_SUMMARY_TABLE_H_
#define DTAUS_BENCH_SUMMARY_TABLE_H_

#include <ostream>

#include "result_collector.h"

namespace dtaus::bench {

void PrintSummaryTable(const ResultCollector& results, std::ostream& out);

}  // namespace dtaus::bench

#endif  // DTAUS_BENCH_SUMMARY_TABLE_H_
