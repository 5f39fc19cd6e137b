// A test fixture with an empty directory of its own and a target path in it.
#ifndef DTAUS_FILE_SCRATCH_DIR_TEST_H_
#define DTAUS_FILE_SCRATCH_DIR_TEST_H_

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

namespace dtaus::detail {

class ScratchDirTest : public ::testing::Test {
 protected:
  static constexpr const char* kStale = "stale content of an earlier run";

  void SetUp() override {
    // One directory per process: several builds of this checkout may run their tests at once.
    dir_ = std::filesystem::path(::testing::TempDir()) /
           ("dtaus_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name() + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    path_ = (dir_ / "DTAUS0.TXT").string();
  }
  void TearDown() override {
    std::error_code ignored;  // a test may have left the directory read-only
    std::filesystem::permissions(dir_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(dir_, ignored);
  }

  static std::string ReadFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::size_t FilesInDir() const {
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator(dir_), {}));
  }
  // The file of an earlier run at the path, writable by anyone (also after dropping root).
  void Stale() const {
    std::ofstream(path_, std::ios::binary) << kStale;
    std::filesystem::permissions(path_, std::filesystem::perms{0666});
  }

  // Runs `body` in a child process, so that what it takes on (a dropped privilege, a mount,
  // a limit, a seccomp filter) stays there, and returns what it wrote to its stream. The
  // report lies beside the directory, which the child may mount over, and is opened before
  // `body` runs, while the child still has every right.
  std::string InChild(const std::function<void(std::ostream&)>& body) const {
    const std::filesystem::path report = dir_.string() + ".report";
    if (const pid_t pid = ::fork(); pid == 0) {
      {
        std::ofstream out(report, std::ios::binary);
        body(out);
      }
      ::_exit(0);  // no destructors, no leak check: the parent owns the test run
    } else {
      ::waitpid(pid, nullptr, 0);
    }
    std::string result = ReadFile(report);
    std::filesystem::remove(report);
    return result;
  }

  std::filesystem::path dir_;
  std::string path_;
};

}  // namespace dtaus::detail

#endif  // DTAUS_FILE_SCRATCH_DIR_TEST_H_
