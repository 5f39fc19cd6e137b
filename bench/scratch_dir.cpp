#include "scratch_dir.h"

#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

namespace dtaus::bench {
namespace {

std::string ParentDir() {
  for (const char* name : {"DTAUS_BENCH_DIR", "TMPDIR"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return value;
  }
  return "/tmp";
}

}  // namespace

ScratchDir::ScratchDir() {
  std::string pattern = ParentDir() + "/dtaus-bench-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (::mkdtemp(buffer.data()) == nullptr) {
    std::perror(("dtaus_bench: cannot create a directory like " + pattern).c_str());
    std::exit(1);
  }
  path_ = buffer.data();
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string ScratchDir::File(std::string_view name) const {
  std::string file = path_;
  file += '/';
  file += name;
  return file;
}

const ScratchDir& SharedScratchDir() {
  static const ScratchDir dir;
  return dir;
}

}  // namespace dtaus::bench
