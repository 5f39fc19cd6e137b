// Runs this benchmark executable once more, as a child process, and reports what the
// child used.
//
// Peak resident memory is a high-water mark: once one benchmark in a process has held
// 100 MB, every later reading in that process says at least 100 MB. So a memory figure
// is taken in a fresh process that does nothing but the one run. Even a fresh process
// carries its parent's resident size in getrusage's ru_maxrss (the kernel folds the
// address space it had before exec into it), so the child reads its own high-water
// mark, VmHWM in /proc/self/status, which belongs to the address space exec gave it,
// and prints it on standard output for the parent (ReportPeakMemory).
//
//   ChildUsage usage = RunSelf({"--end-to-end-child", "32767", "15", path});
//   if (usage.exit_code == 0) ... usage.peak_rss_bytes ...
#ifndef DTAUS_BENCH_CHILD_PROCESS_H_
#define DTAUS_BENCH_CHILD_PROCESS_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dtaus::bench {

struct ChildUsage {
  // The child's exit status; -1 when it could not be started or did not exit normally.
  int exit_code = -1;
  // Wall time from starting the child until it was reaped.
  double seconds = 0;
  // The child's peak resident set size as it reported it; 0 when it reported none.
  std::int64_t peak_rss_bytes = 0;
  // User and system CPU time of the measured program (RunProgram only).
  double cpu_seconds = 0;
};

// argv[1] of the process RunProgram puts between itself and the program.
inline constexpr std::string_view kMeasureProgramFlag = "--measure-program";

// Starts /proc/self/exe with `args` (without the program name), the same environment
// and standard error, reads its standard output, and waits for it. Linux only.
ChildUsage RunSelf(const std::vector<std::string>& args);

// In the child: prints this process's peak resident set size for RunSelf. Returns
// false when /proc/self/status cannot be read.
bool ReportPeakMemory();

// Runs another program (`argv`, the program's path first) with its standard output
// discarded and reports its exit code, wall time, CPU time and peak resident set size.
// A program that cannot report its own high-water mark is measured by its parent with
// wait4, whose ru_maxrss also counts the address space the program was forked from. So
// RunProgram starts a fresh copy of this executable (kMeasureProgramFlag), small and
// without any benchmark's memory, which forks, runs the program, waits for it and
// reports; the wall time is taken there, without the copy's own start.
ChildUsage RunProgram(const std::vector<std::string>& argv);

// In that copy: `args` are the program and its arguments. Returns the program's exit
// code.
int MeasureProgram(int argc, char** args);

}  // namespace dtaus::bench

#endif  // DTAUS_BENCH_CHILD_PROCESS_H_
