#include "file/posix_file_system.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "file/scratch_dir_test.h"

namespace dtaus::detail {
namespace {

namespace fs = std::filesystem;
using PosixFileSystemTest = ScratchDirTest;

// The name Inspect resolves a path to: each relative link target counts from the
// directory of its own link, and what is missing at the end of the chain is the name to
// create.
TEST_F(PosixFileSystemTest, InspectResolvesLinksToTheNameToWrite) {
  const std::string d = dir_.string() + "/";
  fs::create_directories(dir_ / "a" / "b");
  std::ofstream(dir_ / "a" / "b" / "f.txt") << "x";
  fs::create_symlink("b/f.txt", dir_ / "a" / "rel");         // relative, into a subfolder
  fs::create_symlink("../rel", dir_ / "a" / "b" / "up");     // relative, up
  fs::create_symlink(d + "a/b/up", dir_ / "abs");            // absolute
  fs::create_symlink("nowhere/new.txt", dir_ / "dangling");  // into a missing folder
  fs::create_symlink("a", dir_ / "folder");
  const struct {
    std::string path;
    std::string resolved;
    TargetKind kind;
  } cases[] = {
      {d + "plain.txt", d + "plain.txt", TargetKind::kMissing},
      {d + "a/b/f.txt", d + "a/b/f.txt", TargetKind::kRegular},
      {d + "a/rel", d + "a/b/f.txt", TargetKind::kRegular},
      {d + "a/b/up", d + "a/b/../b/f.txt", TargetKind::kRegular},
      {d + "abs", d + "a/b/../b/f.txt", TargetKind::kRegular},
      {d + "dangling", d + "nowhere/new.txt", TargetKind::kMissing},
      {d + "folder", d + "a", TargetKind::kDirectory},
      // A link in the middle of the path is the kernel's to follow.
      {d + "folder/rel", d + "folder/b/f.txt", TargetKind::kRegular},
  };
  PosixFileSystem posix;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    std::string resolved;
    TargetKind kind = TargetKind::kOther;
    ASSERT_EQ(posix.Inspect(c.path, &resolved, &kind), "");
    EXPECT_EQ(resolved, c.resolved);
    EXPECT_EQ(kind, c.kind);
  }
}

}  // namespace
}  // namespace dtaus::detail
