// Speed of writing DTAUS files, measured against what the machine needs to write the
// same bytes, and the memory the largest file takes.
#include "file_benchmarks.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "child_process.h"
#include "sample_orders.h"
#include "scratch_dir.h"

namespace dtaus::bench {
namespace {

// One payment, a thousand, and the most a file may hold; each without continuation
// lines (records of 256 bytes) and with all fifteen (768 bytes).
void FileSizes(benchmark::internal::Benchmark* b) {
  b->ArgNames({"payments", "parts"});
  for (int count : {1, 1000, kMaxPayments}) {
    for (int parts : {0, kMaxParts}) b->Args({count, parts});
  }
  b->Unit(benchmark::kMillisecond)->UseRealTime();
}

int Count(const benchmark::State& state) { return static_cast<int>(state.range(0)); }
bool WithParts(const benchmark::State& state) { return state.range(1) != 0; }

// Every timed iteration writes a new file, as a host does: each run of a benchmark
// writes the same path again and again, and overwriting the file of the previous
// iteration would wait for the disk to finish writing that one back first. That
// measures the disk, not the code, and unevenly, so the old file is removed with the
// clock stopped.
void RemoveUntimed(benchmark::State& state, const std::string& path) {
  state.PauseTiming();
  ::unlink(path.c_str());
  state.ResumeTiming();
}

void ReportFileSize(benchmark::State& state, std::size_t size) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
  state.counters["file_size"] = static_cast<double>(size);
}

// The machine's own limit: the same number of bytes, already in memory, written into a
// new file in the same directory with one write call. Creating and closing the file
// belong to it, because Generate cannot write a file without them either.
void BaselineWrite(benchmark::State& state) {
  const std::size_t size = FileSize(Count(state), WithParts(state));
  const std::string buffer(size, 'C');
  const std::string path = SharedScratchDir().File("baseline.txt");
  for (auto _ : state) {
    RemoveUntimed(state, path);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    const ssize_t written = fd < 0 ? -1 : ::write(fd, buffer.data(), buffer.size());
    if (fd >= 0) ::close(fd);
    if (written != static_cast<ssize_t>(size)) {
      state.SkipWithError("the baseline write failed");
      break;
    }
  }
  ReportFileSize(state, size);
}
BENCHMARK(BaselineWrite)->Apply(FileSizes);

// Generate alone: header and payments are built before the clock starts, as a host
// that fills its objects during the day and writes the file in the evening would.
void Generate(benchmark::State& state) {
  const std::string path = SharedScratchDir().File("generate.txt");
  const auto datei = MakeFile(path, Count(state), WithParts(state));
  for (auto _ : state) {
    RemoveUntimed(state, path);
    const std::string error = datei->Generate();
    if (!error.empty()) {
      state.SkipWithError(error.c_str());
      break;
    }
  }
  ReportFileSize(state, FileSize(Count(state), WithParts(state)));
}
BENCHMARK(Generate)->Apply(FileSizes);

// Everything a host does for one file: create the file object, fill the header, create
// and fill every payment, Generate, and release it all again.
void EndToEnd(benchmark::State& state) {
  const std::string path = SharedScratchDir().File("end_to_end.txt");
  for (auto _ : state) {
    RemoveUntimed(state, path);
    const std::string error = MakeFile(path, Count(state), WithParts(state))->Generate();
    if (!error.empty()) {
      state.SkipWithError(error.c_str());
      break;
    }
  }
  ReportFileSize(state, FileSize(Count(state), WithParts(state)));
}
BENCHMARK(EndToEnd)->Apply(FileSizes);

ChildUsage RunChild(int count, int parts, const std::string& path) {
  return RunSelf(
      {std::string(kEndToEndChildFlag), std::to_string(count), std::to_string(parts), path});
}

// Peak resident memory of the largest end-to-end run, in a process of its own (see
// child_process.h). startup_rss is the peak of the same child writing an empty file:
// what the process and its libraries take before the library holds any payment.
void PeakMemory(benchmark::State& state) {
  const std::string path = SharedScratchDir().File("peak_memory.txt");
  const int count = Count(state);
  const int parts = WithParts(state) ? kMaxParts : 0;
  ChildUsage usage;
  for (auto _ : state) {
    usage = RunChild(count, parts, path);
    if (usage.exit_code != 0 || usage.peak_rss_bytes == 0) {
      state.SkipWithError("the end-to-end child failed");
      break;
    }
    state.SetIterationTime(usage.seconds);
  }
  struct stat written {};
  const bool found = ::stat(path.c_str(), &written) == 0;
  const ChildUsage startup = RunChild(0, 0, SharedScratchDir().File("peak_memory_empty.txt"));
  state.counters["peak_rss"] = static_cast<double>(usage.peak_rss_bytes);
  state.counters["startup_rss"] = static_cast<double>(startup.peak_rss_bytes);
  state.counters["file_size"] = found ? static_cast<double>(written.st_size) : 0.0;
}
BENCHMARK(PeakMemory)
    ->ArgNames({"payments", "parts"})
    ->Args({kMaxPayments, kMaxParts})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(3);

}  // namespace

int RunEndToEndChild(int argc, char** args) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: dtaus_bench %s COUNT PARTS PATH\n", kEndToEndChildFlag.data());
    return 2;
  }
  const int count = std::atoi(args[0]);
  const bool with_parts = std::atoi(args[1]) != 0;
  const std::string error = MakeFile(args[2], count, with_parts)->Generate();
  if (!error.empty()) {
    std::fprintf(stderr, "dtaus_bench: Generate failed: %s\n", error.c_str());
    return 1;
  }
  return ReportPeakMemory() ? 0 : 1;
}

}  // namespace dtaus::bench
