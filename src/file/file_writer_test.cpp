#include "file/file_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "file/fault_file_system.h"
#include "file/scratch_dir_test.h"

namespace dtaus::detail {
namespace {

namespace fs = std::filesystem;
using FileWriterTest = ScratchDirTest;

TEST_F(FileWriterTest, ReplacesTheFileInOneStep) {
  FileWriter writer(PlatformFileSystem());
  EXPECT_EQ(writer.Truncate(path_), "");
  EXPECT_EQ(fs::file_size(path_), 0u);
  EXPECT_EQ(writer.Replace(path_, "new content"), "");
  EXPECT_EQ(ReadFile(path_), "new content");
  EXPECT_EQ(FilesInDir(), 1u);
  // Over a file with content, and where there is none: the one file, nothing beside it.
  EXPECT_EQ(writer.Replace(path_, "newer"), "");
  EXPECT_EQ(ReadFile(path_), "newer");
  fs::remove(path_);
  EXPECT_EQ(writer.Replace(path_, "newest"), "");
  EXPECT_EQ(ReadFile(path_), "newest");
  EXPECT_EQ(FilesInDir(), 1u);
}

TEST_F(FileWriterTest, EveryFailingCallLeavesNoPartialFile) {
  const std::string content(100000, 'x');
  for (const bool persistent : {false, true}) {
    for (int n = 1;; ++n) {
      SCOPED_TRACE((persistent ? "persistent, call " : "transient, call ") + std::to_string(n));
      { std::ofstream(path_) << "stale"; }
      FaultFileSystem faults(PlatformFileSystem(), n, persistent);
      FileWriter writer(faults);
      std::string error = writer.Truncate(path_);
      if (error.empty()) error = writer.Replace(path_, content);
      if (!faults.fired()) {
        EXPECT_EQ(error, "");
        EXPECT_EQ(ReadFile(path_), content);
        break;
      }
      EXPECT_EQ(error, faults.message());
      // Either the truncation itself failed, leaving the old file, or the file is empty.
      const std::string left = ReadFile(path_);
      EXPECT_TRUE(left.empty() || (n == 1 && left == "stale")) << left.size();
      EXPECT_EQ(FilesInDir(), 1u) << "a temporary file was left behind";
    }
  }
}

TEST_F(FileWriterTest, HalfWrittenDataIsNeverVisible) {
  FaultFileSystem faults(PlatformFileSystem(), 0, false);
  faults.set_short_writes(7);  // every write takes at most 7 bytes: the loop must go on
  FileWriter writer(faults);
  EXPECT_EQ(writer.Replace(path_, "0123456789ABCDEFGHIJ"), "");
  EXPECT_EQ(ReadFile(path_), "0123456789ABCDEFGHIJ");
}

TEST_F(FileWriterTest, RealFailuresComeWithThePlatformMessage) {
  FileWriter writer(PlatformFileSystem());
  EXPECT_EQ(writer.Truncate((dir_ / "missing" / "x.txt").string()), "No such file or directory");
  EXPECT_EQ(writer.Truncate(dir_.string()), "Is a directory");
  EXPECT_EQ(FilesInDir(), 0u);
}

TEST_F(FileWriterTest, InPiecesAndAbandonedWhenNotCommitted) {
  {
    FileWriter writer(PlatformFileSystem());
    EXPECT_EQ(writer.Append("too early"), "Die temporäre Datei ist nicht geöffnet.");
    EXPECT_EQ(writer.Commit(path_), "Die temporäre Datei ist nicht geöffnet.");
    ASSERT_EQ(writer.Begin(path_), "");
    EXPECT_EQ(writer.Append("first "), "");
    EXPECT_EQ(writer.Append("second"), "");
    EXPECT_EQ(FilesInDir(), 1u);  // the temporary file
    EXPECT_FALSE(fs::exists(path_));
    ASSERT_EQ(writer.Commit(path_), "");
    EXPECT_FALSE(writer.begun());
  }
  EXPECT_EQ(ReadFile(path_), "first second");
  {
    FileWriter writer(PlatformFileSystem());
    ASSERT_EQ(writer.Begin(path_), "");
    EXPECT_EQ(writer.Append("never committed"), "");
  }
  EXPECT_EQ(ReadFile(path_), "first second");
  EXPECT_EQ(FilesInDir(), 1u) << "the abandoned temporary file is left";
}

}  // namespace
}  // namespace dtaus::detail
