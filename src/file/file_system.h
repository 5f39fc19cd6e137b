// The narrow seam between Generate and the operating system's files.
//
// Generate needs only a handful of operations, and every one of them can fail on a
// real machine (no such directory, disk full, read-only share). Keeping them behind
// this interface lets the tests fail each call in turn and check that no partial
// file is ever left behind. Every operation returns the empty text on success and
// the platform's own description of the failure otherwise; none throws.
#ifndef DTAUS_FILE_FILE_SYSTEM_H_
#define DTAUS_FILE_FILE_SYSTEM_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace dtaus::detail {

class FileSystem {
 public:
  // An open file: a descriptor on POSIX, a HANDLE on Windows.
  using Handle = std::intptr_t;

  virtual ~FileSystem() = default;

  // Creates the file at `path`, or truncates an existing one, and closes it again.
  virtual std::string CreateEmpty(const std::string& path) = 0;
  // Creates a new, uniquely named file in the directory of `path` and opens it for
  // writing; stores its handle and its name.
  virtual std::string CreateTemp(const std::string& path, Handle* handle,
                                 std::string* temp_path) = 0;
  // Writes a prefix of `data` and stores how many bytes were written (at least one on
  // success). Callers loop until everything is written.
  virtual std::string Write(Handle handle, std::string_view data, std::size_t* written) = 0;
  virtual std::string Close(Handle handle) = 0;
  // Replaces `to` by `from` in one step.
  virtual std::string Rename(const std::string& from, const std::string& to) = 0;
  // Best effort: used only to clean up after a failure.
  virtual void Remove(const std::string& path) = 0;
};

// The name of a temporary file in the directory of `path`: "<dir>/.dtaus-<process>-<n>.tmp".
// It sits beside the target, because a rename replaces a file in one step only within
// one file system, and it has a short name of its own, because a name built on the
// target's would break the file-name limit (255 characters) for targets whose own name
// is still allowed.
std::string TempPathBeside(const std::string& path, unsigned long process, unsigned n);

// The platform's file system (POSIX or Win32, chosen when the library is built).
FileSystem& PlatformFileSystem();

// The file system Generate uses: the platform's unless a test installed another one.
FileSystem& CurrentFileSystem();

// Installs `fs` for every later Generate (nullptr restores the platform's) and returns
// the one installed before. For tests only: there is no locking.
FileSystem* SetFileSystem(FileSystem* fs);

}  // namespace dtaus::detail

#endif  // DTAUS_FILE_FILE_SYSTEM_H_
