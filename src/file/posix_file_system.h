// PosixFileSystem: the file seam on POSIX systems.
//
// Temporary files are unnamed where Linux offers them (O_TMPFILE): such a file exists
// only through its descriptor until NameTemp links it into the directory at commit, so a
// run that is killed halfway leaves nothing behind. Where the file system refuses them
// (some network and FUSE file systems), and on other systems, the temporary file has a
// name from the start; it is tracked (NamedTempInProgress) so that the tool can remove it
// when interrupted.
//
//   PosixFileSystem fs;                           // what PlatformFileSystem() is
//   PosixFileSystem named(/*unnamed_temp=*/false);  // always named temporary files
#ifndef DTAUS_FILE_POSIX_FILE_SYSTEM_H_
#define DTAUS_FILE_POSIX_FILE_SYSTEM_H_

#include <string>

#include "file/file_system.h"

namespace dtaus::detail {

class PosixFileSystem final : public FileSystem {
 public:
  explicit PosixFileSystem(bool unnamed_temp = true) : unnamed_temp_(unnamed_temp) {}

  std::string Inspect(const std::string& path, std::string* resolved, TargetKind* kind) override;
  std::string CreateEmpty(const std::string& path) override;
  std::string CreateTemp(const std::string& path, Handle* handle, std::string* temp_path) override;
  std::string Write(Handle handle, std::string_view data, std::size_t* written) override;
  std::string Sync(Handle handle) override;
  std::string NameTemp(Handle handle, const std::string& path, std::string* temp_path) override;
  std::string Close(Handle handle) override;
  std::string Rename(const std::string& from, const std::string& to) override;
  std::string SyncDirectory(const std::string& path) override;
  void Remove(const std::string& path) override;
  void Empty(const std::string& path) override;

 private:
  bool unnamed_temp_;
};

}  // namespace dtaus::detail

#endif  // DTAUS_FILE_POSIX_FILE_SYSTEM_H_
