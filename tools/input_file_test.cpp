#include "tools/input_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "file/scratch_dir_test.h"
#include "tools/input_test_support.h"

namespace dtaus::tool {
namespace {

namespace fs = std::filesystem;

class InputFileTest : public detail::ScratchDirTest {
 protected:
  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
};

// Both ways of reading hand over every byte as it is, whatever the size: the text way
// with the room behind it that the JSON parser reads into.
TEST_F(InputFileTest, ReadsEveryByteAsItIs) {
  std::string large(3 << 20, 'x');  // beyond one huge page, so that advice is given
  large[0] = '\0';
  large[large.size() - 1] = '\xff';
  const std::string cases[] = {"", "A", std::string("\0\n\xff", 3), large};
  for (const std::string& bytes : cases) {
    SCOPED_TRACE(bytes.size());
    const std::string path = Write("in", bytes);
    const std::string text = ReadInput(path);
    EXPECT_EQ(text, bytes);
    EXPECT_GE(text.capacity(), text.size() + kReadSlack);
    const InputBytes file = ReadDtausInput(path);
    EXPECT_EQ(file.view(), bytes);
    EXPECT_EQ(std::string(file.view()), std::move(InputBytes(ReadDtausInput(path))).TakeText());
  }
}

// A file that reports one size and holds another (as files under /proc do: size 0) is
// read to its end all the same, and its end still counts against the limit.
TEST_F(InputFileTest, ReadsAFileThatIsLongerThanItsSize) {
  const fs::path proc = "/proc/self/status";
  if (!fs::exists(proc) || fs::file_size(proc) != 0) {
    GTEST_SKIP() << "needs a file that reports size 0 and has content, as /proc/self/status";
  }
  EXPECT_NE(ReadInput(proc.string()).find("Name:"), std::string::npos);
  EXPECT_NE(ReadDtausInput(proc.string()).view().find("Name:"), std::string::npos);
  EXPECT_EQ(Refusal([&] { (void)ReadInput((dir_ / "missing").string()); }).substr(0, 7), "exit 2:");
}

}  // namespace
}  // namespace dtaus::tool
