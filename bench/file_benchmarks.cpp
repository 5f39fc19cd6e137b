// Speed of writing DTAUS files, measured against what the machine needs to write the
// same bytes, and the memory the largest file takes.
//
// Generate puts its file on stable storage before it returns (fsync of the file, and of
// the folder after the rename). Measured against a plain write that skips this, it would
// be charged for the disk's work; so the targets are taken against a baseline write that
// is made durable with the same two fsync calls, and the plain figures are shown beside
// them. Generate without the fsyncs shows what durability costs.
#include "file_benchmarks.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "child_process.h"
#include "file/file_system.h"
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

// The folder of `path`, synced as Generate syncs it after the rename.
bool SyncFolder(const std::string& path) {
  const int dir = ::open(path.substr(0, path.rfind('/') + 1).c_str(), O_RDONLY | O_DIRECTORY);
  const bool synced = dir >= 0 && ::fsync(dir) == 0;
  if (dir >= 0) ::close(dir);
  return synced;
}

// The machine's own limit: the same number of bytes, already in memory, written into a
// new file in the same directory with one write call. Creating and closing the file
// belong to it, because Generate cannot write a file without them either. `durable`: made
// durable as Generate's file is, with fsync of the file before it is closed and fsync of
// its folder after.
void TimeBaseline(benchmark::State& state, const char* name, bool durable) {
  const std::size_t size = FileSize(Count(state), WithParts(state));
  const std::string buffer(size, 'C');
  const std::string path = SharedScratchDir().File(name);
  for (auto _ : state) {
    RemoveUntimed(state, path);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    const ssize_t written = fd < 0 ? -1 : ::write(fd, buffer.data(), buffer.size());
    const bool synced = !durable || (fd >= 0 && ::fsync(fd) == 0);
    if (fd >= 0) ::close(fd);
    if (written != static_cast<ssize_t>(size) || !synced || (durable && !SyncFolder(path))) {
      state.SkipWithError("the baseline write failed");
      break;
    }
  }
  ReportFileSize(state, size);
}

void BaselineWrite(benchmark::State& state) { TimeBaseline(state, "baseline.txt", false); }
BENCHMARK(BaselineWrite)->Apply(FileSizes);

// The reference of the targets.
void BaselineWriteDurable(benchmark::State& state) {
  TimeBaseline(state, "baseline_durable.txt", true);
}
BENCHMARK(BaselineWriteDurable)->Apply(FileSizes);

// The platform's file system with both syncs left out: Generate as it was before it made
// its files durable.
class NoSyncFileSystem final : public detail::FileSystem {
 public:
  std::string Inspect(const std::string& path, std::string* resolved,
                      detail::TargetKind* kind) override {
    return real_.Inspect(path, resolved, kind);
  }
  std::string CreateEmpty(const std::string& path) override { return real_.CreateEmpty(path); }
  std::string CreateTemp(const std::string& path, Handle* handle, std::string* temp_path) override {
    return real_.CreateTemp(path, handle, temp_path);
  }
  std::string Write(Handle handle, std::string_view data, std::size_t* written) override {
    return real_.Write(handle, data, written);
  }
  std::string Sync(Handle) override { return {}; }
  std::string NameTemp(Handle handle, const std::string& path, std::string* temp_path) override {
    return real_.NameTemp(handle, path, temp_path);
  }
  std::string Close(Handle handle) override { return real_.Close(handle); }
  std::string Rename(const std::string& from, const std::string& to) override {
    return real_.Rename(from, to);
  }
  std::string SyncDirectory(const std::string&) override { return {}; }
  void Remove(const std::string& path) override { real_.Remove(path); }
  void Empty(const std::string& path) override { real_.Empty(path); }

 private:
  detail::FileSystem& real_ = detail::PlatformFileSystem();
};

// Generate alone: header and payments are built before the clock starts, as a host
// that fills its objects during the day and writes the file in the evening would.
void TimeGenerate(benchmark::State& state, const char* name) {
  const std::string path = SharedScratchDir().File(name);
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

void Generate(benchmark::State& state) { TimeGenerate(state, "generate.txt"); }
BENCHMARK(Generate)->Apply(FileSizes);

// Generate without the two fsync calls: the difference to Generate is what durability
// costs.
void GenerateNoSync(benchmark::State& state) {
  NoSyncFileSystem no_sync;
  detail::FileSystem* const previous = detail::SetFileSystem(&no_sync);
  TimeGenerate(state, "generate_no_sync.txt");
  detail::SetFileSystem(previous);
}
BENCHMARK(GenerateNoSync)->Apply(FileSizes);

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
  // PARTS: 0 or 15 continuation lines, or 1 for W's VerwendungsZweck2 alone.
  const int parts = std::atoi(args[1]);
  const std::string error =
      (parts == 1 ? MakeFileWithOnePart(args[2], count) : MakeFile(args[2], count, parts != 0))
          ->Generate();
  if (!error.empty()) {
    std::fprintf(stderr, "dtaus_bench: Generate failed: %s\n", error.c_str());
    return 1;
  }
  return ReportPeakMemory() ? 0 : 1;
}

}  // namespace dtaus::bench
