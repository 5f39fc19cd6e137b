// The file benchmarks: the baseline write, Generate alone, the whole run from an empty
// file object to the file on disk, and the peak memory of the largest such run.
//
// The peak-memory benchmark starts this executable again with kEndToEndChildFlag; main
// hands those calls to RunEndToEndChild before Google Benchmark sees the arguments.
#ifndef DTAUS_BENCH_FILE_BENCHMARKS_H_
#define DTAUS_BENCH_FILE_BENCHMARKS_H_

#include <string_view>

namespace dtaus::bench {

// argv[1] of a child run: "--end-to-end-child COUNT PARTS PATH".
inline constexpr std::string_view kEndToEndChildFlag = "--end-to-end-child";

// One end-to-end run of COUNT payments with PARTS (0 or 15) continuation lines into
// PATH, and nothing else. `args` are the three values after the flag. Returns the exit
// code: 0 when Generate succeeded.
int RunEndToEndChild(int argc, char** args);

}  // namespace dtaus::bench

#endif  // DTAUS_BENCH_FILE_BENCHMARKS_H_
