#include "file/file_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "file/fault_file_system.h"
#include "file/posix_file_system.h"
#include "file/scratch_dir_test.h"

namespace dtaus::detail {
namespace {

namespace fs = std::filesystem;
using FileWriterTest = ScratchDirTest;

// The two kinds of temporary file: unnamed (O_TMPFILE) where the file system offers them,
// and named, as where it refuses them.
struct TempKind {
  const char* name;
  bool unnamed;
};
constexpr TempKind kTempKinds[] = {{"unnamed temporary file", true},
                                   {"named temporary file", false}};

// Every call failing in turn, once or from then on, while a stale file is emptied and
// replaced, each write taking at most 7 bytes so that the loop must go on: the stale file
// is kept only when looking at it or emptying it failed, and no temporary file is ever
// left. A failed sync of the directory comes last: the new file is already in place, and
// it is emptied, so that a reported failure never leaves a file that could be sent.
TEST_F(FileWriterTest, EveryFailingCallLeavesNoPartialFile) {
  const std::string content = "0123456789ABCDEFGHIJ";
  for (const TempKind& kind : kTempKinds) {
    PosixFileSystem real(kind.unnamed);
    for (const bool persistent : {false, true}) {
      for (int n = 1;; ++n) {
        SCOPED_TRACE(std::string(kind.name) + (persistent ? ", persistent, call " : ", call ") +
                     std::to_string(n));
        Stale();
        FaultFileSystem faults(real, n, persistent);
        faults.set_short_writes(7);
        FileWriter writer(faults);
        std::string target;
        std::string error = writer.Truncate(path_, &target);
        if (error.empty()) error = writer.Replace(target, content);
        if (!faults.fired()) {
          EXPECT_EQ(error, "");
          EXPECT_EQ(ReadFile(path_), content);
          break;
        }
        EXPECT_EQ(error, faults.Message());
        EXPECT_EQ(ReadFile(path_), n <= 2 ? kStale : "");
        EXPECT_EQ(FilesInDir(), 1u) << "a temporary file was left behind";
        EXPECT_EQ(NamedTempInProgress(), nullptr);
      }
    }
  }
}

// A success is durable: the data is synced before the file takes the target's name, and
// the directory entry after.
TEST_F(FileWriterTest, DurableCallsInOrder) {
  for (const TempKind& kind : kTempKinds) {
    SCOPED_TRACE(kind.name);
    PosixFileSystem real(kind.unnamed);
    FaultFileSystem journal(real, 0, false);
    journal.set_short_writes(7);
    FileWriter writer(journal);
    std::string target;
    ASSERT_EQ(writer.Truncate(path_, &target), "");
    ASSERT_EQ(writer.Replace(target, "0123456789ABCDEFGHIJ"), "");
    // An unnamed file is given its temporary name only once its data is synced.
    EXPECT_EQ(journal.journal(),
              std::string("Inspect CreateEmpty CreateTemp Write Write Write Sync ") +
                  (kind.unnamed ? "NameTemp " : "") + "Close Rename SyncDirectory");
    EXPECT_EQ(ReadFile(path_), "0123456789ABCDEFGHIJ");
  }
}

// Append and Commit need a begun temporary file; one that is not committed is removed (an
// unnamed one never appears in the directory at all), and a named one is tracked for the
// tool's signal handler while it exists.
TEST_F(FileWriterTest, InPiecesAndAbandonedWhenNotCommitted) {
  for (const TempKind& kind : kTempKinds) {
    SCOPED_TRACE(kind.name);
    PosixFileSystem real(kind.unnamed);
    {
      FileWriter writer(real);
      EXPECT_EQ(writer.Append("too early"), "Die temporäre Datei ist nicht geöffnet.");
      EXPECT_EQ(writer.Commit(path_), "Die temporäre Datei ist nicht geöffnet.");
      ASSERT_EQ(writer.Begin(path_), "");
      EXPECT_EQ(writer.Append("first "), "");
      EXPECT_EQ(writer.Append("second"), "");
      EXPECT_EQ(FilesInDir(), kind.unnamed ? 0u : 1u);
      const char* tracked = NamedTempInProgress();
      EXPECT_EQ(tracked != nullptr && fs::exists(tracked), !kind.unnamed);
      EXPECT_FALSE(fs::exists(path_));
      ASSERT_EQ(writer.Commit(path_), "");
      EXPECT_EQ(NamedTempInProgress(), nullptr);
      EXPECT_FALSE(writer.begun());
      ASSERT_EQ(writer.Begin(path_), "");
      EXPECT_EQ(writer.Append("never committed"), "");
    }
    EXPECT_EQ(ReadFile(path_), "first second");
    EXPECT_EQ(FilesInDir(), 1u) << "the abandoned temporary file is left";
    EXPECT_EQ(NamedTempInProgress(), nullptr);
    fs::remove(path_);
  }
}

}  // namespace
}  // namespace dtaus::detail
