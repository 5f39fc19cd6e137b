#include "sequence_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "harness.h"

namespace dtaus::fuzz::sequence {

namespace fs = std::filesystem;

const std::string& WorkDir() {
  static const std::string dir = [] {
    // Memory-backed /dev/shm where there is one: the fuzzer creates, renames and removes
    // files thousands of times a second, and a disk file system would write them back.
    const char* base = std::getenv("TMPDIR");
    std::string root = base && *base ? base : "/tmp";
    if (::access("/dev/shm", W_OK | X_OK) == 0) root = "/dev/shm";
    std::string templ = root + "/dtaus_fuzz_XXXXXX";
    if (::mkdtemp(templ.data()) == nullptr) {
      Fail(__FILE__, __LINE__, "mkdtemp", std::strerror(errno));
    }
    return templ;
  }();
  static const struct Cleanup {
    ~Cleanup() {
      std::error_code ignored;
      fs::remove_all(dir, ignored);
    }
  } cleanup;
  return dir;
}

const std::string kNormalName = "DTAUS0.TXT";
const std::string kUmlautName = "\u00DCberweisung.txt";
const std::string kLongName = std::string(251, 'D') + ".TXT";

std::string PathFor(PathMode mode) {
  const std::string& dir = WorkDir();
  switch (mode) {
    case PathMode::kNone:
      return "";
    case PathMode::kNormal:
      return dir + "/" + kNormalName;
    case PathMode::kUmlaut:
      return dir + "/" + kUmlautName;
    case PathMode::kMissingDir:
      return dir + "/fehlt/" + kNormalName;
    case PathMode::kDirectory:
      return dir;
    case PathMode::kInvalidUtf8:
      return dir + "/a\xFF.txt";
    case PathMode::kNul:
      return dir + "/" + kNormalName + std::string(1, '\0') + "x";
    case PathMode::kLongName:
      return dir + "/" + kLongName;
  }
  return "";
}

std::optional<std::string> Snapshot(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string content;
  char buffer[65536];
  for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) {
    content.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return content;
}

std::vector<std::string> DirEntries() {
  std::vector<std::string> names;
  DIR* d = ::opendir(WorkDir().c_str());
  DTAUS_FUZZ_CHECK(d != nullptr, WorkDir());
  while (const dirent* e = ::readdir(d)) {
    const std::string name = e->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(d);
  return names;
}

void CleanDir() {
  for (const std::string& name : DirEntries()) ::unlink((WorkDir() + "/" + name).c_str());
}

}  // namespace dtaus::fuzz::sequence
