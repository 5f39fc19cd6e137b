// FileWriter: how Generate puts a DTAUS file on disk, all or nothing.
//
// A bank that receives half a DTAUS file rejects it, or worse, books half of it. So the
// file at the path is never half written: Generate first empties it (Truncate), so a
// stale file from an earlier run cannot survive a failure, and then Replace writes the
// whole text to a temporary file in the same directory and renames it over the path in
// one step. A large file goes to the temporary file in pieces while it is produced. If
// anything fails on the way the temporary file is removed and the path keeps its empty
// file.
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

  // Creates the file at `path` or empties it. "" or the platform's message.
  std::string Truncate(const std::string& path);

  // Makes `bytes` the content of the file at `path` in one step: Begin, Append and
  // Commit. "" or the platform's message; after a failure no temporary file is left and
  // `path` is unchanged.
  std::string Replace(const std::string& path, std::string_view bytes);

  // The same in pieces, for content that is produced while it is written: Begin
  // creates the temporary file beside `path`, Append adds to it, Commit moves it over
  // `path`. Each returns "" or the platform's message; after a failure the temporary
  // file is gone and later calls fail.
  std::string Begin(const std::string& path);
  std::string Append(std::string_view bytes);
  std::string Commit(const std::string& path);
  bool begun() const { return open_; }

 private:
  void Abandon();

  FileSystem& fs_;
  FileSystem::Handle handle_{};
  std::string temp_path_;
  bool open_ = false;
};

}  // namespace dtaus::detail

#endif  // DTAUS_FILE_FILE_WRITER_H_
