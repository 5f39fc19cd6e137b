#include "file/file_output.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "file/fault_file_system.h"
#include "file/scratch_dir_test.h"

namespace dtaus::detail {
namespace {

using FileOutputTest = ScratchDirTest;

// Distinct bytes, so that a lost, doubled or reordered piece shows.
std::string Content(std::size_t size) {
  std::string content(size, '\0');
  for (std::size_t i = 0; i < size; ++i) content[i] = static_cast<char>('A' + (i * 7 + i / 97) % 26);
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

TEST_F(FileOutputTest, SmallFileIsWrittenOnlyAtFinish) {
  FileWriter writer(PlatformFileSystem());
  FileOutput output(writer, path_, 2000);
  const std::string content = Content(1500);
  ASSERT_EQ(WriteInPieces(output, content, 256, 300), "");
  EXPECT_EQ(output.pending(), 1500u);
  EXPECT_EQ(FilesInDir(), 0u);  // not even the temporary file yet
  ASSERT_EQ(output.Finish(), "");
  EXPECT_EQ(ReadFile(path_), content);
  EXPECT_EQ(FilesInDir(), 1u);
}

// Full buffers are written by a thread of their own where there are threads, and in Room
// elsewhere; both are tested here.
TEST_F(FileOutputTest, LargeFileGoesToTheTemporaryFileInChunks) {
  const std::string content = Content(3 * FileOutput::kChunk + 1234);
  for (const bool background : {false, true}) {
    SCOPED_TRACE(background ? "writer thread" : "no writer thread");
    std::filesystem::remove(path_);
    FileWriter writer(PlatformFileSystem());
    FileOutput output(writer, path_, content.size(), background);
    ASSERT_EQ(WriteInPieces(output, content, 768, 768 + 32), "");
    EXPECT_LT(output.pending(), FileOutput::kChunk);
    EXPECT_FALSE(std::filesystem::exists(path_));  // only the temporary file so far
    ASSERT_EQ(output.Finish(), "");
    EXPECT_EQ(ReadFile(path_), content);
    EXPECT_EQ(FilesInDir(), 1u);
  }
}

TEST_F(FileOutputTest, RoomBeyondTheBufferGrowsIt) {
  const std::string content = Content(5000);
  for (const bool background : {false, true}) {
    SCOPED_TRACE(background ? "writer thread" : "no writer thread");
    FileWriter writer(PlatformFileSystem());
    FileOutput output(writer, path_, 10, background);  // a file expected to be small
    ASSERT_EQ(WriteInPieces(output, content, 5000, 5000), "");
    ASSERT_EQ(WriteInPieces(output, content, 700, 700), "");
    ASSERT_EQ(WriteInPieces(output, content, 5000, 6000), "");
    ASSERT_EQ(output.Finish(), "");
    EXPECT_EQ(ReadFile(path_), content + content + content);
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
        EXPECT_EQ(error, faults.message());
        EXPECT_EQ(FilesInDir(), 0u) << "a partial or temporary file was left behind";
      }
    }
  }
}

// Abandoned while the thread writes: the destructor waits for it, and the FileWriter
// removes the temporary file.
TEST_F(FileOutputTest, AbandonedOutputLeavesNothing) {
  for (const bool background : {false, true}) {
    {
      FileWriter writer(PlatformFileSystem());
      FileOutput output(writer, path_, 3 * FileOutput::kChunk, background);
      ASSERT_EQ(WriteInPieces(output, Content(2 * FileOutput::kChunk + 1), 768, 800), "");
    }
    EXPECT_EQ(FilesInDir(), 0u);
  }
}

}  // namespace
}  // namespace dtaus::detail
