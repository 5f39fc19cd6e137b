#include "file/file_output.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <utility>

namespace dtaus::detail {

FileOutput::FileOutput(FileWriter& writer, std::string path, std::size_t expected)
    : writer_(writer),
      path_(std::move(path)),
      // Uninitialised: every byte is written before it is used.
      buffer_(new char[std::clamp<std::size_t>(expected, 1, kChunk)]),
      capacity_(std::clamp<std::size_t>(expected, 1, kChunk)) {}

char* FileOutput::Room(std::size_t n, std::string* error) {
  if (capacity_ - used_ < n) {
    if (std::string e = Flush(); !e.empty()) {
      *error = std::move(e);
      return nullptr;
    }
    if (capacity_ < n) {
      // More than a chunk at once (or a file larger than expected): a larger buffer.
      capacity_ = std::max(n, std::min(2 * capacity_, kChunk));
      buffer_.reset(new char[capacity_]);
    }
  }
  return buffer_.get() + used_;
}

std::string FileOutput::Flush() {
  if (used_ == 0) return {};
  if (!writer_.begun()) {
    if (std::string error = writer_.Begin(path_); !error.empty()) return error;
  }
  std::string error = writer_.Append(std::string_view(buffer_.get(), used_));
  used_ = 0;
  return error;
}

std::string FileOutput::Finish() {
  if (!writer_.begun()) {
    if (std::string error = writer_.Begin(path_); !error.empty()) return error;
  }
  if (std::string error = Flush(); !error.empty()) return error;
  return writer_.Commit(path_);
}

}  // namespace dtaus::detail
