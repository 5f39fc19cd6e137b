// FileWriter: how Generate puts a DTAUS file on disk, all or nothing.
//
// A bank that receives half a DTAUS file rejects it, or worse, books half of it. So the
// file at the path is never half written: Generate first empties it (Truncate), so a
// stale file from an earlier run cannot survive a failure, and then Replace writes the
// whole text to a temporary file in the same directory and renames it over the path in
// one step. If anything fails on the way the temporary file is removed and the path
// keeps its empty file.
#ifndef DTAUS_FILE_FILE_WRITER_H_
#define DTAUS_FILE_FILE_WRITER_H_

#include <string>
#include <string_view>

#include "file/file_system.h"

namespace dtaus::detail {

class FileWriter {
 public:
  explicit FileWriter(FileSystem& fs) : fs_(fs) {}

  // Creates the file at `path` or empties it. "" or the platform's message.
  std::string Truncate(const std::string& path);

  // Makes `bytes` the content of the file at `path` in one step. "" or the platform's
  // message; after a failure no temporary file is left and `path` is unchanged.
  std::string Replace(const std::string& path, std::string_view bytes);

 private:
  FileSystem& fs_;
};

}  // namespace dtaus::detail

#endif  // DTAUS_FILE_FILE_WRITER_H_
