#include "tools/input_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <limits>
#include <memory>
#include <utility>

#include "dtaus/dtaus_reader.h"
#include "tools/tool_error.h"

namespace dtaus::tool {
namespace {

constexpr std::size_t kUnlimited = std::numeric_limits<std::size_t>::max();

// Appends what `in` holds to `content`, a chunk at a time, and stops as soon as more
// than `max_bytes` have arrived: a pipe or a device such as /dev/zero may never end.
// True when the input was longer than that.
bool ReadChunks(std::istream& in, std::string& content, std::size_t max_bytes) {
  constexpr std::size_t kChunk = 64 * 1024;
  char buffer[kChunk];
  while (in) {
    in.read(buffer, kChunk);
    const auto got = static_cast<std::size_t>(in.gcount());
    if (got > max_bytes - content.size()) return true;
    content.append(buffer, got);
  }
  return false;
}

// An input, or how much too large it was: "25165569 bytes" for a file measured before
// it was read, "more than 25165568 bytes" for one that was read up to the limit.
struct LimitedInput {
  InputBytes content;
  std::string too_large;
};

// A large input lands in memory the process has not touched before, and the first touch
// of every 4 KB page costs a fault (a 25 MB DTAUS file: 6,000 of them). Transparent huge
// pages make that one fault per 2 MB. Advice only: where the kernel does not take it,
// nothing changes.
void AdviseHugePages(const char* data, std::size_t size) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
  const auto begin = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
  const std::uintptr_t last = (begin + size) & ~(kHugePage - 1);
  if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
  (void)data;
  (void)size;
#endif
}

// Reads a regular file measured at `size` bytes into `buffer`, which has room for them;
// what a file that grew since has beyond that goes to `grown`, up to `max_bytes` in all.
// Returns the bytes read into `buffer`: fewer for a file that shrank.
std::size_t ReadMeasured(const std::string& path, char* buffer, std::size_t size,
                         std::size_t max_bytes, std::string& grown) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw ToolError(kExitUsage, path + ": cannot open: " + std::strerror(errno));
  std::size_t have = 0;
  char more[4096];
  int error = 0;
  for (;;) {
    const bool measured = have < size;
    char* const at = measured ? buffer + have : more;
    const std::size_t room = measured ? size - have : sizeof more;
    const ssize_t got = ::read(fd, at, room);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      error = got < 0 ? errno : 0;
      break;
    }
    if (!measured) grown.append(more, static_cast<std::size_t>(got));
    have += static_cast<std::size_t>(got);
    if (have > max_bytes) break;
  }
  ::close(fd);
  if (error != 0) throw ToolError(kExitUsage, path + ": cannot read: " + std::strerror(error));
  return have - grown.size();
}

std::string TooLarge(std::size_t max_bytes) {
  return "more than " + std::to_string(max_bytes) + " bytes";
}

// A regular file as text, with room for kReadSlack bytes more behind it.
LimitedInput ReadRegularText(const std::string& path, std::size_t size, std::size_t max_bytes) {
  std::string content;
  content.reserve(size + kReadSlack);
  AdviseHugePages(content.data(), content.capacity());
  content.resize(size);
  std::string grown;
  content.resize(ReadMeasured(path, content.data(), size, max_bytes, grown));
  if (content.size() + grown.size() > max_bytes) return {{}, TooLarge(max_bytes)};
  content += grown;
  return {InputBytes(std::move(content)), ""};
}

// A regular file as bytes only: memory the kernel fills as it reads, never set twice.
LimitedInput ReadRegularBytes(const std::string& path, std::size_t size, std::size_t max_bytes) {
  auto buffer = std::make_unique_for_overwrite<char[]>(std::max<std::size_t>(size, 1));
  AdviseHugePages(buffer.get(), size);
  std::string grown;
  const std::size_t got = ReadMeasured(path, buffer.get(), size, max_bytes, grown);
  if (got + grown.size() > max_bytes) return {{}, TooLarge(max_bytes)};
  if (grown.empty()) return {InputBytes(std::move(buffer), got), ""};
  return {InputBytes(std::string(buffer.get(), got) + grown), ""};
}

// The whole content, unless it holds more than `max_bytes`. A regular file is measured
// before it is read; a file that grew since, a FIFO, a device or standard input is read
// up to the limit and no further. `as_text`: with the room of a std::string behind it.
LimitedInput ReadLimited(const std::string& path, std::size_t max_bytes, bool as_text) {
  std::string content;
  if (path == "-") {
    if (ReadChunks(std::cin, content, max_bytes)) return {{}, TooLarge(max_bytes)};
    if (std::cin.bad()) throw ToolError(kExitUsage, "<stdin>: cannot read standard input");
    return {InputBytes(std::move(content)), ""};
  }
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(path, ec);
  if (std::filesystem::is_directory(status)) {
    throw ToolError(kExitUsage, path + ": is a directory, not a file");
  }
  if (std::filesystem::is_regular_file(status)) {
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (!ec && size > max_bytes) return {{}, std::to_string(size) + " bytes"};
    if (!ec) {
      const auto measured = static_cast<std::size_t>(size);
      return as_text ? ReadRegularText(path, measured, max_bytes)
                     : ReadRegularBytes(path, measured, max_bytes);
    }
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ToolError(kExitUsage, path + ": cannot open: " + std::strerror(errno));
  if (ReadChunks(in, content, max_bytes)) return {{}, TooLarge(max_bytes)};
  if (in.bad()) throw ToolError(kExitUsage, path + ": cannot read: " + std::strerror(errno));
  return {InputBytes(std::move(content)), ""};
}

}  // namespace

InputBytes::InputBytes(std::string text) : text_(std::move(text)), size_(text_.size()) {}

InputBytes::InputBytes(std::unique_ptr<char[]> bytes, std::size_t size)
    : bytes_(std::move(bytes)), size_(size) {}

std::string_view InputBytes::view() const {
  return {bytes_ != nullptr ? bytes_.get() : text_.data(), size_};
}

std::string InputBytes::TakeText() && {
  if (bytes_ == nullptr) return std::move(text_);
  return std::string(view());
}

std::string ReadInput(const std::string& path) {
  return std::move(ReadLimited(path, kUnlimited, true).content).TakeText();
}

InputBytes ReadDtausInput(const std::string& path) {
  LimitedInput input = ReadLimited(path, DtausReader::kMaxFileSize, false);
  if (!input.too_large.empty()) {
    throw ToolError(kExitInvalid, SourceName(path) + ": " + input.too_large +
                                      ", more than any DTAUS file can have (" +
                                      std::to_string(DtausReader::kMaxFileSize) + "); not read");
  }
  return std::move(input.content);
}

std::string SourceName(const std::string& path) { return path == "-" ? "<stdin>" : path; }

void RefuseOutputOverInputs(const std::string& output, std::initializer_list<NamedInput> inputs,
                            const char* product) {
  struct stat target;
  if (::stat(output.c_str(), &target) != 0 || !S_ISREG(target.st_mode)) return;
  for (const NamedInput& input : inputs) {
    if (input.path.empty()) continue;
    struct stat file;
    const int status =
        input.path == "-" ? ::fstat(STDIN_FILENO, &file) : ::stat(input.path.c_str(), &file);
    if (status == 0 && file.st_dev == target.st_dev && file.st_ino == target.st_ino) {
      throw ToolError(kExitUsage, output + ": is the same file as the " + input.role + " " +
                                      SourceName(input.path) + "; " + product +
                                      " would overwrite it");
    }
  }
}

std::string BaseName(const std::string& path) {
  if (path == "-") return "<stdin>";
  return std::filesystem::path(path).filename().string();
}

}  // namespace dtaus::tool
