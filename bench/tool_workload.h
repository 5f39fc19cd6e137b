// Workload W of the tool benchmarks: 32,767 credit transfers, each with a name, a bank
// code, an account that passes its bank's check-digit method, a gross amount and two
// purpose lines; the same payments as a JSON document, as CSV with its header file, and
// built in code for the library-only baseline.
//
//   const ToolWorkload& w = SharedToolWorkload();   // files in SharedScratchDir()
//   RunProgram({kToolBinary, "generate", w.json_path, "-o", out});
//
// The accounts are real ones for the bank directory: bank codes taken from the
// directory Debian ships, accounts found by trying numbers against their bank's method,
// so that the tool's account check (on by default) runs its whole course on every
// payment, as it does for a real file.
#ifndef DTAUS_BENCH_TOOL_WORKLOAD_H_
#define DTAUS_BENCH_TOOL_WORKLOAD_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dtaus/dtaus.h"

namespace dtaus::bench {

struct WorkloadPayment {
  std::string blz;
  std::string konto;
  std::string name;
  std::string betrag;  // gross, "1234.56"
  std::string zweck;
  std::string zweck2;
};

struct ToolWorkload {
  std::vector<WorkloadPayment> payments;
  std::string json_path;
  std::string csv_path;
  std::string header_path;  // the MeineInfo object that goes with the CSV file
  // The payments' six values, tab-separated, one payment per line: what the library-only
  // baseline in a process of its own builds W from (kLibraryChildFlag).
  std::string values_path;
  std::uint64_t json_size = 0;
  std::uint64_t csv_size = 0;
  // The largest DTAUS file (W with 15 extension parts per payment), for show.
  std::string largest_path;
  std::uint64_t largest_size = 0;
  std::string error;  // set when the workload could not be made
};

// Made once per process, in the shared scratch directory.
const ToolWorkload& SharedToolWorkload();

// argv[1] of `dtaus_bench --write-tool-workload DIR`: writes the workload's files into
// DIR and keeps them, to run the tool on them by hand or under a profiler.
inline constexpr std::string_view kWriteToolWorkloadFlag = "--write-tool-workload";
// Returns the exit code; prints the paths written.
int WriteToolWorkload(const std::string& dir);

// argv[1] of `dtaus_bench --library-child VALUES OUT`: the library-only baseline as a
// process of its own, started and measured as the tool is. It reads the values file in
// one piece, builds W in code from views into it and calls Generate, writing OUT.
inline constexpr std::string_view kLibraryChildFlag = "--library-child";
// Returns the exit code.
int RunLibraryChild(const std::string& values_path, const std::string& out);

// argv[1] of `dtaus_bench --plain-read-child PATH`: reads PATH into a new buffer with one
// read and exits; the plain read as a process of its own.
inline constexpr std::string_view kPlainReadChildFlag = "--plain-read-child";
int RunPlainReadChild(const std::string& path);

// The library-only baseline: W built in code (the same header as the JSON document) and
// handed to Generate, writing `path`. Returns Generate's error text. `with_parts` adds
// a second name line, twelve more purpose lines and the ordering party's second name
// line to every payment: the largest file, 32,767 records C of 768 bytes.
std::string GenerateInCode(const ToolWorkload& workload, const std::string& path,
                           bool with_parts = false);

}  // namespace dtaus::bench

#endif  // DTAUS_BENCH_TOOL_WORKLOAD_H_
