// The file seam on POSIX systems.
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <string>
#include <system_error>

#include "file/file_system.h"

namespace dtaus::detail {
namespace {

std::string LastError() { return std::generic_category().message(errno); }

// Files are created with mode 0666 less the umask, as any program's output files are.
constexpr mode_t kFileMode = 0666;

class PosixFileSystem final : public FileSystem {
 public:
  std::string CreateEmpty(const std::string& path) override {
    int fd;
    do {
      fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, kFileMode);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return LastError();
    return Close(fd);
  }

  std::string CreateTemp(const std::string& path, Handle* handle,
                         std::string* temp_path) override {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
      *temp_path = TempPathBeside(path, static_cast<unsigned long>(::getpid()), counter.fetch_add(1));
      const int fd = ::open(temp_path->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kFileMode);
      if (fd >= 0) {
        *handle = fd;
        return {};
      }
      if (errno != EEXIST && errno != EINTR) return LastError();
    }
    return LastError();
  }

  std::string Write(Handle handle, std::string_view data, std::size_t* written) override {
    ssize_t n;
    do {
      n = ::write(static_cast<int>(handle), data.data(), data.size());
    } while (n < 0 && errno == EINTR);
    if (n < 0) return LastError();
    *written = static_cast<std::size_t>(n);
    return {};
  }

  std::string Close(Handle handle) override {
    // close() is not retried on EINTR: on Linux the descriptor is gone either way.
    if (::close(static_cast<int>(handle)) != 0 && errno != EINTR) return LastError();
    return {};
  }

  std::string Rename(const std::string& from, const std::string& to) override {
#if defined(__linux__) && defined(RENAME_EXCHANGE)
    // Generate has emptied the target, so it exists. Renaming over an existing file makes
    // ext4 (and others) start writing the new file's data out before rename returns, a
    // millisecond for a full DTAUS file and far more when the disk is busy. Swapping the
    // two names is the same one-step replacement without that, and the old file, now
    // at the temporary name, is removed. Where the target is missing or the file system
    // cannot swap, a plain rename.
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_EXCHANGE) == 0) {
      ::unlink(from.c_str());
      return {};
    }
#endif
    if (std::rename(from.c_str(), to.c_str()) != 0) return LastError();
    return {};
  }

  void Remove(const std::string& path) override { ::unlink(path.c_str()); }
};

}  // namespace

FileSystem& PlatformFileSystem() {
  static PosixFileSystem fs;
  return fs;
}

}  // namespace dtaus::detail
