#include "file/posix_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <string>
#include <system_error>

namespace dtaus::detail {
namespace {

std::string ErrorText(int error) { return std::generic_category().message(error); }
std::string LastError() { return ErrorText(errno); }

// Files are created with mode 0666 less the umask, as any program's output files are.
constexpr mode_t kFileMode = 0666;
// As many links as the kernel itself follows in one path before it gives up (ELOOP).
constexpr int kMaxLinks = 40;
// Tries for a free temporary name before giving up.
constexpr int kNameAttempts = 100;

std::atomic<unsigned> g_temp_counter{0};

std::string NextTempPath(const std::string& path) {
  return TempPathBeside(path, static_cast<unsigned long>(::getpid()), g_temp_counter.fetch_add(1));
}

// The directory of `path` for calls that need one by name.
std::string DirectoryName(const std::string& path) {
  const std::string dir = DirectoryOf(path);
  return dir.empty() ? "." : dir;
}

TargetKind KindOf(mode_t mode) {
  if (S_ISREG(mode)) return TargetKind::kRegular;
  if (S_ISDIR(mode)) return TargetKind::kDirectory;
  if (S_ISFIFO(mode)) return TargetKind::kFifo;
  if (S_ISSOCK(mode)) return TargetKind::kSocket;
  if (S_ISCHR(mode) || S_ISBLK(mode)) return TargetKind::kDevice;
  return TargetKind::kOther;
}

// The contents of the symbolic link at `path`.
bool ReadLink(const std::string& path, std::string* target) {
  for (std::size_t size = 256;; size *= 2) {
    target->resize(size);
    const ssize_t n = ::readlink(path.c_str(), target->data(), size);
    if (n < 0) return false;
    if (static_cast<std::size_t>(n) < size) {
      target->resize(static_cast<std::size_t>(n));
      return true;
    }
  }
}

// Opens `path` for writing, never following a link and never waiting for a reader (a
// FIFO put there after Inspect), and makes sure it is a regular file; stores what fstat
// says of it.
std::string OpenRegular(const std::string& path, int flags, int* fd, struct stat* st) {
  do {
    *fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | flags, kFileMode);
  } while (*fd < 0 && errno == EINTR);
  if (*fd < 0) return LastError();
  if (::fstat(*fd, st) != 0 || !S_ISREG(st->st_mode)) {
    const TargetKind kind = KindOf(st->st_mode);
    ::close(*fd);
    return RefusedTarget(kind);
  }
  return {};
}

// Puts a new empty file in place of the one at `path`, leaving the old one to its other
// names. False where the directory takes no new file.
bool ReplaceWithEmpty(const std::string& path) {
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::string temp = NextTempPath(path);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kFileMode);
    if (fd < 0) {
      if (errno == EEXIST || errno == EINTR) continue;
      return false;
    }
    ::close(fd);
    if (std::rename(temp.c_str(), path.c_str()) == 0) return true;
    ::unlink(temp.c_str());
    return false;
  }
  return false;
}

}  // namespace

std::string PosixFileSystem::Inspect(const std::string& path, std::string* resolved,
                                     TargetKind* kind) {
  std::string current = path;
  for (int links = 0; links <= kMaxLinks; ++links) {
    struct stat st {};
    if (::lstat(current.c_str(), &st) != 0) {
      if (errno != ENOENT) return LastError();
      *resolved = current;
      *kind = TargetKind::kMissing;
      return {};
    }
    if (!S_ISLNK(st.st_mode)) {
      *resolved = current;
      *kind = KindOf(st.st_mode);
      return {};
    }
    // A relative link target counts from the link's own directory.
    std::string target;
    if (!ReadLink(current, &target)) return LastError();
    current = target.front() == '/' ? target : DirectoryOf(current) + target;
  }
  return ErrorText(ELOOP);
}

std::string PosixFileSystem::CreateEmpty(const std::string& path) {
  int fd = -1;
  struct stat st {};
  if (std::string error = OpenRegular(path, O_CREAT, &fd, &st); !error.empty()) return error;
  // A file with other names (hard links) is not emptied through this one: the other
  // names keep the old content, as they do once the new file replaces this name. Only
  // where the directory takes no new file is it emptied in place after all, because a
  // stale file must never stay at the path.
  if (st.st_nlink > 1 && ReplaceWithEmpty(path)) return Close(fd);
  if (::ftruncate(fd, 0) != 0) {
    const std::string error = LastError();
    ::close(fd);
    return error;
  }
  return Close(fd);
}

std::string PosixFileSystem::CreateTemp(const std::string& path, Handle* handle,
                                        std::string* temp_path) {
#ifdef O_TMPFILE
  if (unnamed_temp_) {
    int fd;
    do {
      fd = ::open(DirectoryName(path).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, kFileMode);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0) {
      *handle = fd;
      temp_path->clear();
      return {};
    }
    // The file system cannot make unnamed files (EOPNOTSUPP), or the kernel does not know
    // them and takes O_TMPFILE for O_DIRECTORY (EISDIR, EINVAL): a named one instead.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return LastError();
  }
#endif
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    *temp_path = NextTempPath(path);
    const int fd = ::open(temp_path->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kFileMode);
    if (fd >= 0) {
      *handle = fd;
      TrackNamedTemp(*temp_path);
      return {};
    }
    if (errno != EEXIST && errno != EINTR) return LastError();
  }
  return LastError();
}

std::string PosixFileSystem::Write(Handle handle, std::string_view data, std::size_t* written) {
  ssize_t n;
  do {
    n = ::write(static_cast<int>(handle), data.data(), data.size());
  } while (n < 0 && errno == EINTR);
  if (n < 0) return LastError();
  *written = static_cast<std::size_t>(n);
  return {};
}

std::string PosixFileSystem::Sync(Handle handle) {
  int result;
  do {
    result = ::fsync(static_cast<int>(handle));
  } while (result != 0 && errno == EINTR);
  return result == 0 ? std::string() : LastError();
}

std::string PosixFileSystem::NameTemp(Handle handle, const std::string& path,
                                      std::string* temp_path) {
  // linkat through /proc works for every user; AT_EMPTY_PATH, where /proc is not mounted,
  // needs CAP_DAC_READ_SEARCH. The first one's failure is the one reported.
  char proc_path[32];
  std::snprintf(proc_path, sizeof proc_path, "/proc/self/fd/%d", static_cast<int>(handle));
  int error = EEXIST;
  for (int attempt = 0; attempt < kNameAttempts && error == EEXIST; ++attempt) {
    *temp_path = NextTempPath(path);
    if (::linkat(AT_FDCWD, proc_path, AT_FDCWD, temp_path->c_str(), AT_SYMLINK_FOLLOW) == 0) {
      error = 0;
      break;
    }
    error = errno;
#ifdef AT_EMPTY_PATH
    if (error != EEXIST &&
        ::linkat(static_cast<int>(handle), "", AT_FDCWD, temp_path->c_str(), AT_EMPTY_PATH) == 0) {
      error = 0;
    }
#endif
  }
  if (error != 0) {
    temp_path->clear();
    return ErrorText(error);
  }
  TrackNamedTemp(*temp_path);
  return {};
}

std::string PosixFileSystem::Close(Handle handle) {
  // close() is not retried on EINTR: on Linux the descriptor is gone either way.
  if (::close(static_cast<int>(handle)) != 0 && errno != EINTR) return LastError();
  return {};
}

std::string PosixFileSystem::Rename(const std::string& from, const std::string& to) {
  if (std::rename(from.c_str(), to.c_str()) != 0) return LastError();
  UntrackNamedTemp(from);
  return {};
}

std::string PosixFileSystem::SyncDirectory(const std::string& path) {
  int fd;
  do {
    fd = ::open(DirectoryName(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  // A directory one may write to but not read (a drop box of mode 0333) cannot be opened
  // to be synced; its entry is as durable as the file system makes it by itself.
  if (fd < 0) return errno == EACCES ? std::string() : LastError();
  int result;
  do {
    result = ::fsync(fd);
  } while (result != 0 && errno == EINTR);
  // Some file systems (network, FUSE) cannot sync a directory at all and say so; their
  // renames are as durable as they get.
  const int error = result == 0 || errno == EINVAL || errno == EOPNOTSUPP ? 0 : errno;
  ::close(fd);
  return error == 0 ? std::string() : ErrorText(error);
}

void PosixFileSystem::Remove(const std::string& path) {
  ::unlink(path.c_str());
  UntrackNamedTemp(path);
}

void PosixFileSystem::Empty(const std::string& path) {
  int fd = -1;
  struct stat st {};
  if (!OpenRegular(path, O_TRUNC, &fd, &st).empty()) return;
  ::fsync(fd);
  ::close(fd);
}

FileSystem& PlatformFileSystem() {
  static PosixFileSystem fs;
  return fs;
}

}  // namespace dtaus::detail
