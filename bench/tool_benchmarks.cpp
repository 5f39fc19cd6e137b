// The dtaus tool against the library under it: `dtaus generate` of workload W from JSON
// and from CSV, each a process of its own, beside the library building the same
// payments in code; `dtaus show --summary` and the reader's check of the largest file
// beside one plain read of its bytes. The tool runs with its defaults, the account
// check against the bank directory included.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "child_process.h"
#include "dtaus/dtaus_reader.h"
#include "sample_orders.h"
#include "scratch_dir.h"
#include "tool_workload.h"

namespace dtaus::bench {
namespace {

void Unlink(const std::string& path) { ::unlink(path.c_str()); }

// The tool built beside the benchmark, or another build of it named by DTAUS_BENCH_TOOL
// (to measure an older version side by side with the library).
std::string Tool() {
  const char* other = std::getenv("DTAUS_BENCH_TOOL");
  return other != nullptr && *other != '\0' ? other : DTAUS_TOOL_BINARY;
}

bool Ready(benchmark::State& state, const ToolWorkload& w) {
  if (!w.error.empty()) state.SkipWithError(w.error.c_str());
  return w.error.empty();
}

// The whole file in a new buffer: open, one read, close.
std::string ReadWhole(const std::string& path, std::size_t size) {
  std::string bytes(size, '\0');
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  const ssize_t got = fd < 0 ? -1 : ::read(fd, bytes.data(), size);
  if (fd >= 0) ::close(fd);
  if (got != static_cast<ssize_t>(size)) bytes.clear();
  return bytes;
}

// The library-only baseline of workload W: the payments built in code, Generate.
void ToolBaseline(benchmark::State& state) {
  const ToolWorkload& w = SharedToolWorkload();
  if (!Ready(state, w)) return;
  const std::string path = SharedScratchDir().File("w_library.txt");
  for (auto _ : state) {
    state.PauseTiming();
    Unlink(path);
    state.ResumeTiming();
    if (const std::string error = GenerateInCode(w, path); !error.empty()) {
      state.SkipWithError(error.c_str());
      break;
    }
  }
}
BENCHMARK(ToolBaseline)->Unit(benchmark::kMillisecond)->UseRealTime();

// A baseline run as a process of its own right before each run of the tool.
struct PairedBaseline {
  std::vector<std::string> args;
  std::string remove;  // its output, removed before each run
};

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t mid = values.size() / 2;
  return values.size() % 2 == 1 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

// One run of the tool per iteration, timed by the process that waits for it; the
// counters carry its CPU time, its peak memory and the sizes the memory target is
// measured against. With a paired baseline, the baseline runs right before the tool in
// every iteration, and the counters carry the median of the pairs' ratios (wall and CPU
// time): a machine whose speed drifts from one second to the next then slows both sides
// of a pair alike, where the ratio of two medians taken minutes apart would move with it.
void RunTool(benchmark::State& state, const std::vector<std::string>& args,
             const std::string& remove, double input_size, double output_size,
             const PairedBaseline* paired = nullptr) {
  ChildUsage usage;
  double cpu = 0;
  double rss = 0;
  std::vector<double> wall_ratios;
  std::vector<double> cpu_ratios;
  for (auto _ : state) {
    ChildUsage base;
    if (paired != nullptr) {
      state.PauseTiming();
      if (!paired->remove.empty()) Unlink(paired->remove);
      base = RunProgram(paired->args);
      state.ResumeTiming();
      if (base.exit_code != 0 || base.seconds <= 0 || base.cpu_seconds <= 0) {
        state.SkipWithError("the paired baseline failed");
        break;
      }
    }
    if (!remove.empty()) Unlink(remove);
    usage = RunProgram(args);
    if (usage.exit_code != 0 || usage.peak_rss_bytes == 0) {
      state.SkipWithError(("the tool failed: " + args[1]).c_str());
      break;
    }
    state.SetIterationTime(usage.seconds);
    cpu += usage.cpu_seconds;
    rss = std::max(rss, static_cast<double>(usage.peak_rss_bytes));
    if (paired != nullptr) {
      wall_ratios.push_back(usage.seconds / base.seconds);
      cpu_ratios.push_back(usage.cpu_seconds / base.cpu_seconds);
    }
  }
  const double runs = static_cast<double>(state.iterations());
  state.counters["cpu_ms"] = runs > 0 ? cpu / runs * 1e3 : 0;
  state.counters["peak_rss"] = rss;
  state.counters["input_size"] = input_size;
  state.counters["output_size"] = output_size;
  if (paired != nullptr) {
    state.counters["paired_ratio"] = Median(wall_ratios);
    state.counters["paired_cpu_ratio"] = Median(cpu_ratios);
  }
}

// This benchmark's own executable, for the baselines that run as processes of their own.
std::string Self() {
  std::error_code ec;
  return std::filesystem::read_symlink("/proc/self/exe", ec).string();
}

// The same baseline as a process of its own, started and measured as the tool is: its
// start, and the fresh memory every page of which costs a fault, count as they do for
// the tool, and not for the repeated run above.
PairedBaseline LibraryProcess(const ToolWorkload& w) {
  const std::string out = SharedScratchDir().File("w_library_process.txt");
  return {{Self(), std::string(kLibraryChildFlag), w.values_path, out}, out};
}

void ToolBaselineProcess(benchmark::State& state) {
  const ToolWorkload& w = SharedToolWorkload();
  if (!Ready(state, w)) return;
  const PairedBaseline library = LibraryProcess(w);
  RunTool(state, library.args, library.remove, static_cast<double>(w.json_size),
          static_cast<double>(w.payments.size() * 256 + 256));
}
BENCHMARK(ToolBaselineProcess)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

// `dtaus generate` of W from JSON or from CSV, each run paired with the library's.
void ToolGenerate(benchmark::State& state, bool csv) {
  const ToolWorkload& w = SharedToolWorkload();
  if (!Ready(state, w)) return;
  const std::string out = SharedScratchDir().File(csv ? "w_csv.txt" : "w_json.txt");
  std::vector<std::string> args = {Tool(), "generate", csv ? w.csv_path : w.json_path, "-o", out};
  if (csv) args.insert(args.end(), {"--header", w.header_path});
  const PairedBaseline library = LibraryProcess(w);
  RunTool(state, args, out, static_cast<double>(csv ? w.csv_size : w.json_size),
          static_cast<double>(w.payments.size() * 256 + 256), &library);
}
void ToolGenerateJson(benchmark::State& state) { ToolGenerate(state, false); }
void ToolGenerateCsv(benchmark::State& state) { ToolGenerate(state, true); }
BENCHMARK(ToolGenerateJson)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(ToolGenerateCsv)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

// The largest file read into a new buffer with one read call.
void PlainRead(benchmark::State& state) {
  const ToolWorkload& w = SharedToolWorkload();
  if (!Ready(state, w)) return;
  for (auto _ : state) {
    const std::string bytes = ReadWhole(w.largest_path, w.largest_size);
    if (bytes.empty()) {
      state.SkipWithError("the largest file could not be read");
      break;
    }
    benchmark::DoNotOptimize(bytes.data());
  }
}
BENCHMARK(PlainRead)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same read as a process of its own (kPlainReadChildFlag): what any program pays to
// have the bytes in memory once, its start included.
void PlainReadProcess(benchmark::State& state) {
  const ToolWorkload& w = SharedToolWorkload();
  if (!Ready(state, w)) return;
  const double size = static_cast<double>(w.largest_size);
  RunTool(state, {Self(), std::string(kPlainReadChildFlag), w.largest_path}, "", size, 0);
}
BENCHMARK(PlainReadProcess)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

// The reader's check of the largest file, its reading included.
void ReaderCheck(benchmark::State& state) {
  const ToolWorkload& w = SharedToolWorkload();
  if (!Ready(state, w)) return;
  for (auto _ : state) {
    const DtausReader reader = DtausReader::CheckOnly(ReadWhole(w.largest_path, w.largest_size));
    if (reader.HasErrors() || reader.Totals().count != kMaxPayments) {
      state.SkipWithError("the largest file does not read back clean");
      break;
    }
  }
}
BENCHMARK(ReaderCheck)->Unit(benchmark::kMillisecond)->UseRealTime();

void ToolShowSummary(benchmark::State& state) {
  const ToolWorkload& w = SharedToolWorkload();
  if (!Ready(state, w)) return;
  const double size = static_cast<double>(w.largest_size);
  const PairedBaseline read = {{Self(), std::string(kPlainReadChildFlag), w.largest_path}, ""};
  RunTool(state, {Tool(), "show", "--summary", w.largest_path}, "", size, 0, &read);
}
BENCHMARK(ToolShowSummary)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

}  // namespace

int RunPlainReadChild(const std::string& path) {
  const std::string bytes = ReadWhole(path, std::filesystem::file_size(path));
  return bytes.empty() ? 1 : 0;
}

}  // namespace dtaus::bench
