// The narrow seam between Generate and the operating system's files.
//
// Generate needs only a handful of operations, and every one of them can fail on a
// real machine (no such directory, disk full, read-only share). Keeping them behind
// this interface lets the tests fail each call in turn and check that no partial
// file is ever left behind. Every operation returns the empty text on success and
// the platform's own description of the failure otherwise; none throws.
//
// A file reported as written must survive a power cut, so a commit goes: write the
// temporary file, Sync it, give it a name if it has none (NameTemp), Close, Rename it
// over the target, SyncDirectory. Until the directory is synced the new name may still
// be lost.
#ifndef DTAUS_FILE_FILE_SYSTEM_H_
#define DTAUS_FILE_FILE_SYSTEM_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace dtaus::detail {

// What a path names, as far as Generate cares: only a regular file (or nothing yet) may
// be replaced by a DTAUS file.
enum class TargetKind { kMissing, kRegular, kDirectory, kFifo, kSocket, kDevice, kOther };

// Why a target of `kind` is refused (Generate puts "Sonstiger Fehler:" before it), or ""
// for one that may be written. A device or a FIFO is never replaced by a file: writing
// a payment file "into" /dev/null or a pipe would report a file that exists nowhere.
std::string RefusedTarget(TargetKind kind);

class FileSystem {
 public:
  // An open file: a descriptor on POSIX, a HANDLE on Windows.
  using Handle = std::intptr_t;

  virtual ~FileSystem() = default;

  // Follows `path` through symbolic links (chains and relative targets included) to the
  // name that is to be written, stores that name and what it names now. A dangling link
  // resolves to the missing file it points to.
  virtual std::string Inspect(const std::string& path, std::string* resolved, TargetKind* kind) = 0;
  // Creates the file at `path`, or truncates an existing one, and closes it again.
  virtual std::string CreateEmpty(const std::string& path) = 0;
  // Creates a new temporary file in the directory of `path` and opens it for writing;
  // stores its handle and its name. Where the platform can, the file has no name yet
  // (`*temp_path` empty), so that it vanishes with the process if the run is
  // interrupted.
  virtual std::string CreateTemp(const std::string& path, Handle* handle,
                                 std::string* temp_path) = 0;
  // Writes a prefix of `data` and stores how many bytes were written (at least one on
  // success). Callers loop until everything is written.
  virtual std::string Write(Handle handle, std::string_view data, std::size_t* written) = 0;
  // Puts the file's data on stable storage.
  virtual std::string Sync(Handle handle) = 0;
  // Gives the unnamed temporary file a name of its own in the directory of `path` and
  // stores it. Only for a file CreateTemp left without a name.
  virtual std::string NameTemp(Handle handle, const std::string& path, std::string* temp_path) = 0;
  virtual std::string Close(Handle handle) = 0;
  // Replaces `to` by `from` in one step.
  virtual std::string Rename(const std::string& from, const std::string& to) = 0;
  // Puts the directory entry of `path` (made by Rename) on stable storage.
  virtual std::string SyncDirectory(const std::string& path) = 0;
  // Best effort: used only to clean up after a failure.
  virtual void Remove(const std::string& path) = 0;
  // Best effort: empties the file at `path` after a commit that could not be finished.
  virtual void Empty(const std::string& path) = 0;
};

// The name of a temporary file in the directory of `path`: "<dir>/.dtaus-<process>-<n>.tmp".
// It sits beside the target, because a rename replaces a file in one step only within
// one file system, and it has a short name of its own, because a name built on the
// target's would break the file-name limit (255 characters) for targets whose own name
// is still allowed.
std::string TempPathBeside(const std::string& path, unsigned long process, unsigned n);

// The directory part of `path` as a path of its own: "dir/" for "dir/file", "" for "file".
std::string DirectoryOf(const std::string& path);

// The named temporary file that a Generate in this process is writing now, or nullptr.
// For a signal handler that removes it when the process is interrupted: reading it is
// async-signal-safe. One file at a time is tracked (a tool writes one); a second Generate
// running at the same time in another thread is not.
const char* NamedTempInProgress();
// Called by the platform's file system when a named temporary file appears and goes.
void TrackNamedTemp(const std::string& path);
void UntrackNamedTemp(const std::string& path);

// The platform's file system (POSIX or Win32, chosen when the library is built).
FileSystem& PlatformFileSystem();

// The file system Generate uses: the platform's unless a test installed another one.
FileSystem& CurrentFileSystem();

// Installs `fs` for every later Generate (nullptr restores the platform's) and returns
// the one installed before. For tests only: there is no locking.
FileSystem* SetFileSystem(FileSystem* fs);

}  // namespace dtaus::detail

#endif  // DTAUS_FILE_FILE_SYSTEM_H_
