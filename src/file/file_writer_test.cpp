#include "file/file_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "file/fault_file_system.h"
#include "file/scratch_dir_test.h"

namespace dtaus::detail {
namespace {

namespace fs = std::filesystem;
using FileWriterTest = ScratchDirTest;

// Every call failing in turn, once or from then on, while a stale file is emptied and
// replaced, each write taking at most 7 bytes so that the loop must go on: the stale file
// is kept only when emptying it failed, and no temporary file is ever left.
TEST_F(FileWriterTest, EveryFailingCallLeavesNoPartialFile) {
  const std::string content = "0123456789ABCDEFGHIJ";
  for (const bool persistent : {false, true}) {
    for (int n = 1;; ++n) {
      SCOPED_TRACE((persistent ? "persistent, call " : "transient, call ") + std::to_string(n));
      Stale();
      FaultFileSystem faults(PlatformFileSystem(), n, persistent);
      faults.set_short_writes(7);
      FileWriter writer(faults);
      std::string error = writer.Truncate(path_);
      if (error.empty()) error = writer.Replace(path_, content);
      if (!faults.fired()) {
        EXPECT_EQ(error, "");
        EXPECT_EQ(ReadFile(path_), content);
        break;
      }
      EXPECT_EQ(error, faults.message());
      EXPECT_EQ(ReadFile(path_), n == 1 ? kStale : "");
      EXPECT_EQ(FilesInDir(), 1u) << "a temporary file was left behind";
    }
  }
}

// Append and Commit need a begun temporary file; one that is not committed is removed.
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
    ASSERT_EQ(writer.Begin(path_), "");
    EXPECT_EQ(writer.Append("never committed"), "");
  }
  EXPECT_EQ(ReadFile(path_), "first second");
  EXPECT_EQ(FilesInDir(), 1u) << "the abandoned temporary file is left";
}

}  // namespace
}  // namespace dtaus::detail
