#include "file/file_writer.h"

#include <utility>

namespace dtaus::detail {
namespace {

constexpr const char* kNotOpen = "Die temporäre Datei ist nicht geöffnet.";

}  // namespace

std::string FileWriter::Truncate(const std::string& path, std::string* target) {
  TargetKind kind = TargetKind::kMissing;
  if (std::string error = fs_.Inspect(path, target, &kind); !error.empty()) return error;
  if (std::string refused = RefusedTarget(kind); !refused.empty()) return refused;
  return fs_.CreateEmpty(*target);
}

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
  std::string error = fs_.Sync(handle_);
  if (error.empty() && temp_path_.empty()) error = fs_.NameTemp(handle_, path, &temp_path_);
  std::string closed = fs_.Close(handle_);
  if (error.empty()) error = std::move(closed);
  if (error.empty()) error = fs_.Rename(temp_path_, path);
  if (!error.empty()) {
    if (!temp_path_.empty()) fs_.Remove(temp_path_);
    return error;
  }
  temp_path_.clear();
  // The new file is in place but its name may not survive a power cut. A failure is
  // reported as one, so the file must not stay behind either: it is emptied, as any
  // other failure leaves it.
  error = fs_.SyncDirectory(path);
  if (!error.empty()) fs_.Empty(path);
  return error;
}

void FileWriter::Abandon() {
  if (!open_) return;
  open_ = false;
  fs_.Close(handle_);
  // An unnamed temporary file goes with its handle.
  if (!temp_path_.empty()) fs_.Remove(temp_path_);
}

}  // namespace dtaus::detail
