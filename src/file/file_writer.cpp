#include "file/file_writer.h"

namespace dtaus::detail {

std::string FileWriter::Truncate(const std::string& path) { return fs_.CreateEmpty(path); }

std::string FileWriter::Replace(const std::string& path, std::string_view bytes) {
  FileSystem::Handle handle{};
  std::string temp_path;
  std::string error = fs_.CreateTemp(path, &handle, &temp_path);
  if (!error.empty()) return error;

  while (!bytes.empty()) {
    std::size_t written = 0;
    error = fs_.Write(handle, bytes, &written);
    if (error.empty() && (written == 0 || written > bytes.size())) {
      error = "Schreiben in die Datei fehlgeschlagen.";
    }
    if (!error.empty()) {
      fs_.Close(handle);
      fs_.Remove(temp_path);
      return error;
    }
    bytes.remove_prefix(written);
  }
  error = fs_.Close(handle);
  if (error.empty()) error = fs_.Rename(temp_path, path);
  if (!error.empty()) fs_.Remove(temp_path);
  return error;
}

}  // namespace dtaus::detail
