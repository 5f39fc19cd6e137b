#include "file/file_output.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "file/fault_file_system.h"
#include "file/scratch_dir_test.h"

namespace dtaus::detail {
namespace {

using FileOutputTest = ScratchDirTest;

// Distinct bytes, so that a lost, doubled or reordered piece shows.
std::string Content(std::size_t size) {
  std::string content(size, '\0');
  for (std::size_t i = 0; i < size; ++i) {
    content[i] = static_cast<char>('A' + (i * 7 + i / 97) % 26);
  }
  return content;
}

// Writes `content` through `output` in pieces of `piece` bytes, asking for `room` each
// time as Generate does. "" or the first error.
std::string WriteInPieces(FileOutput& output, const std::string& content, std::size_t piece,
                          std::size_t room) {
  for (std::size_t at = 0; at < content.size(); at += piece) {
    const std::size_t n = std::min(piece, content.size() - at);
    std::string error;
    char* const out = output.Room(std::max(n, room), &error);
    if (out == nullptr) return error;
    std::memcpy(out, content.data() + at, n);
    output.Advance(out + n);
  }
  return {};
}

// Full buffers are written by a thread of their own where there are threads, and in Room
// elsewhere: every case runs both ways. Nothing is at the path before Finish: a small file
// is not even begun, a large one goes to the temporary file in chunks. Without Finish (the
// output abandoned, perhaps while the thread writes) nothing is left at all.
TEST_F(FileOutputTest, WritesTheFileAtFinishAndNothingWithoutIt) {
  constexpr std::size_t kChunk = FileOutput::kChunk;
  const struct {
    std::size_t expected;  // the size announced
    std::size_t size;      // the content, written once per pass
    std::vector<std::pair<std::size_t, std::size_t>> passes;  // {piece, room}
  } cases[] = {
      {2000, 1500, {{256, 300}}},
      {3 * kChunk, 3 * kChunk + 1234, {{768, 768 + 32}}},
      // More room than the buffer has: it grows, also with bytes pending.
      {10, 5000, {{5000, 5000}, {700, 700}, {5000, 6000}}},
  };
  for (const bool background : {false, true}) {
    for (const auto& c : cases) {
      for (const bool finish : {true, false}) {
        SCOPED_TRACE(std::string(background ? "writer thread, " : "no writer thread, ") +
                     std::to_string(c.size) + (finish ? " bytes, finished" : " bytes, abandoned"));
        const std::string content = Content(c.size);
        std::string all;
        {
          FileWriter writer(PlatformFileSystem());
          FileOutput output(writer, path_, c.expected, background);
          for (const auto& [piece, room] : c.passes) {
            ASSERT_EQ(WriteInPieces(output, content, piece, room), "");
            all += content;
          }
          EXPECT_LT(output.Pending(), kChunk);
          EXPECT_FALSE(std::filesystem::exists(path_));
          if (all.size() <= c.expected) {
            EXPECT_EQ(output.Pending(), all.size());
            EXPECT_EQ(FilesInDir(), 0u);  // not even the temporary file yet
          }
          EXPECT_EQ(finish ? output.Finish() : "", "");
        }
        EXPECT_TRUE(ReadFile(path_) == (finish ? all : ""));
        EXPECT_EQ(FilesInDir(), finish ? 1u : 0u);
        std::filesystem::remove(path_);
      }
    }
  }
}

TEST_F(FileOutputTest, EveryFailingCallLeavesNoFile) {
  const std::string content = Content(2 * FileOutput::kChunk + 500);
  for (const bool background : {false, true}) {
    for (const bool persistent : {false, true}) {
      for (int n = 1;; ++n) {
        SCOPED_TRACE(std::string(background ? "writer thread, " : "no writer thread, ") +
                     (persistent ? "persistent, call " : "transient, call ") + std::to_string(n));
        std::filesystem::remove(path_);
        FaultFileSystem faults(PlatformFileSystem(), n, persistent);
        std::string error;
        {
          FileWriter writer(faults);
          FileOutput output(writer, path_, content.size(), background);
          error = WriteInPieces(output, content, 768, 800);
          if (error.empty()) error = output.Finish();
        }
        if (!faults.fired()) {
          EXPECT_EQ(error, "");
          EXPECT_EQ(ReadFile(path_), content);
          break;
        }
        EXPECT_EQ(error, faults.Message());
        // Only a failed sync of the directory comes after the rename: the file is emptied.
        const bool renamed = faults.journal().ends_with("SyncDirectory");
        EXPECT_EQ(FilesInDir(), renamed ? 1u : 0u) << "a partial or temporary file was left";
        EXPECT_EQ(ReadFile(path_), "");
      }
    }
  }
}

}  // namespace
}  // namespace dtaus::detail
