// FileWriter: how Generate puts a DTAUS file on disk, all or nothing, and for good.
//
// A bank that receives half a DTAUS file rejects it, or worse, books half of it. So the
// file at the path is never half written: Generate first empties it (Truncate), so a
// stale file from an earlier run cannot survive a failure, and then Replace writes the
// whole text to a temporary file in the same directory and renames it over the path in
// one step. A large file goes to the temporary file in pieces while it is produced. If
// anything fails on the way the temporary file is removed and the path keeps its empty
// file.
//
// A success is only reported once it would survive a power cut: the temporary file's
// data is synced before the rename, and the directory after it. Without the first, the
// new name may survive with data the disk never got (an empty file after the reboot);
// without the second, the old name.
//
// Truncate also decides what is written: a symbolic link is followed to the file it
// names (which is then replaced in its own directory, and the link stays a link), and a
// directory, device, FIFO or socket is refused before anything is touched.
#ifndef DTAUS_FILE_FILE_WRITER_H_
#define DTAUS_FILE_FILE_WRITER_H_

#include <string>
#include <string_view>

#include "file/file_system.h"

namespace dtaus::detail {

class FileWriter {
 public:
  explicit FileWriter(FileSystem& fs) : fs_(fs) {}
  // A temporary file that was begun and not committed is closed and removed.
  ~FileWriter() { Abandon(); }
  FileWriter(const FileWriter&) = delete;
  FileWriter& operator=(const FileWriter&) = delete;

  // Follows `path` to the file to be written, stores its name in `*target`, and creates
  // that file or empties it. "" or the platform's message, or why the target is refused.
  std::string Truncate(const std::string& path, std::string* target);

  // Makes `bytes` the content of the file at `path` in one step: Begin, Append and
  // Commit. "" or the platform's message; after a failure no temporary file is left and
  // `path` is unchanged (or, when only the final sync of the directory failed, empty).
  std::string Replace(const std::string& path, std::string_view bytes);

  // The same in pieces, for content that is produced while it is written: Begin
  // creates the temporary file beside `path`, Append adds to it, Commit moves it over
  // `path` durably. Each returns "" or the platform's message; after a failure the
  // temporary file is gone and later calls fail.
  std::string Begin(const std::string& path);
  std::string Append(std::string_view bytes);
  std::string Commit(const std::string& path);
  bool begun() const { return open_; }

 private:
  void Abandon();

  FileSystem& fs_;
  FileSystem::Handle handle_{};
  std::string temp_path_;  // empty while the temporary file has no name
  bool open_ = false;
};

}  // namespace dtaus::detail

#endif  // DTAUS_FILE_FILE_WRITER_H_
