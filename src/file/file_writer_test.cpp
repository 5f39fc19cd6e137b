#include "file/file_writer.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "file/fault_file_system.h"

namespace dtaus::detail {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class FileWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) /
           ("file_writer_" + std::to_string(::getpid()) + "_" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    path_ = (dir_ / "DTAUS0.TXT").string();
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::size_t FilesInDir() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_), {}));
  }

  fs::path dir_;
  std::string path_;
};

TEST_F(FileWriterTest, ReplacesTheFileInOneStep) {
  FileWriter writer(PlatformFileSystem());
  EXPECT_EQ(writer.Truncate(path_), "");
  EXPECT_EQ(fs::file_size(path_), 0u);
  EXPECT_EQ(writer.Replace(path_, "new content"), "");
  EXPECT_EQ(ReadFile(path_), "new content");
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

}  // namespace
}  // namespace dtaus::detail
