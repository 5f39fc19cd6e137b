// A test fixture with an empty directory of its own and a target path in it.
#ifndef DTAUS_FILE_SCRATCH_DIR_TEST_H_
#define DTAUS_FILE_SCRATCH_DIR_TEST_H_

#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace dtaus::detail {

class ScratchDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::path(::testing::TempDir()) /
           ("dtaus_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name() + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    path_ = (dir_ / "DTAUS0.TXT").string();
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  static std::string ReadFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::size_t FilesInDir() const {
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator(dir_), {}));
  }

  std::filesystem::path dir_;
  std::string path_;
};

}  // namespace dtaus::detail

#endif  // DTAUS_FILE_SCRATCH_DIR_TEST_H_
