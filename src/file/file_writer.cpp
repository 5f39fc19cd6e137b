#include "file/file_writer.h"

namespace dtaus::detail {
namespace {

constexpr const char* kNotOpen = "Die temporäre Datei ist nicht geöffnet.";

}  // namespace

std::string FileWriter::Truncate(const std::string& path) { return fs_.CreateEmpty(path); }

std::string FileWriter::Replace(const std::string& path, std::string_view bytes) {
  std::string error = Begin(path);
  if (error.empty()) error = Append(bytes);
  if (error.empty()) error = Commit(path);
  return error;
}

std::string FileWriter::Begin(const std::string& path) {
  Abandon();
  std::string error = fs_.CreateTemp(path, &handle_, &temp_path_);
  open_ = error.empty();
  return error;
}

std::string FileWriter::Append(std::string_view bytes) {
  if (!open_) return kNotOpen;
  while (!bytes.empty()) {
    std::size_t written = 0;
    std::string error = fs_.Write(handle_, bytes, &written);
    if (error.empty() && (written == 0 || written > bytes.size())) {
      error = "Schreiben in die Datei fehlgeschlagen.";
    }
    if (!error.empty()) {
      Abandon();
      return error;
    }
    bytes.remove_prefix(written);
  }
  return {};
}

std::string FileWriter::Commit(const std::string& path) {
  if (!open_) return kNotOpen;
  open_ = false;
  std::string error = fs_.Close(handle_);
  if (error.empty()) error = fs_.Rename(temp_path_, path);
  if (!error.empty()) fs_.Remove(temp_path_);
  return error;
}

void FileWriter::Abandon() {
  if (!open_) return;
  open_ = false;
  fs_.Close(handle_);
  fs_.Remove(temp_path_);
}

}  // namespace dtaus::detail
