// Every input in fuzz/corpus/<target>/ replayed through its harness, in every test build.
//
// The corpora hold the seeds and every input that ever broke a promise, so a fault the
// fuzzer found once stays found. A broken promise aborts the test binary with the name of
// the input on standard error; `fuzz/corpus/<target>/<file>` is then the reproducer.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "harness.h"

namespace dtaus::fuzz {
namespace {

namespace fs = std::filesystem;

using Harness = void (*)(const std::uint8_t*, std::size_t);

std::size_t Replay(const std::string& target, Harness run) {
  const fs::path dir = fs::path(DTAUS_FUZZ_CORPUS) / target;
  std::vector<fs::path> inputs;
  for (const auto& entry : fs::directory_iterator(dir)) inputs.push_back(entry.path());
  std::sort(inputs.begin(), inputs.end());
  for (const fs::path& input : inputs) {
    std::ifstream in(input, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    SetInputName(input.string());
    run(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  }
  SetInputName("");
  return inputs.size();
}

// A corpus that went missing would make these pass without testing anything.
TEST(CorpusReplay, Generate) { EXPECT_GE(Replay("generate", RunGenerateSequence), 8u); }
TEST(CorpusReplay, Reader) { EXPECT_GE(Replay("reader", RunReaderBytes), 8u); }
TEST(CorpusReplay, ValueChecks) { EXPECT_GE(Replay("value_checks", RunValueChecks), 8u); }

}  // namespace
}  // namespace dtaus::fuzz
