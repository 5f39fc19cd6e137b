// FileOutput: the bytes of a file on their way to disk, in chunks.
//
// A full DTAUS file is 25 MB. Assembling all of it in memory before writing costs 25 MB
// of fresh pages on every Generate, and the kernel then copies it once more out of
// memory that is long out of the cache. Instead the records are written into a buffer
// of a quarter megabyte, which stays in the processor's cache, and each full buffer goes
// to the temporary file of the FileWriter; the file appears at its path only when
// Finish commits it. A small file never writes before Finish: it costs one write.
//
//   FileOutput output(writer, path, expected_size);
//   char* room = output.Room(bound, &error);     // write at most `bound` bytes at room
//   output.Advance(end);                          // end: one past the last byte written
//   error = output.Finish();
#ifndef DTAUS_FILE_FILE_OUTPUT_H_
#define DTAUS_FILE_FILE_OUTPUT_H_

#include <cstddef>
#include <memory>
#include <string>

#include "file/file_writer.h"

namespace dtaus::detail {

class FileOutput {
 public:
  static constexpr std::size_t kChunk = std::size_t{1024} << 10;

  // `expected` is the size the file will have, if known: a smaller file gets a smaller
  // buffer.
  FileOutput(FileWriter& writer, std::string path, std::size_t expected);

  // Room for `n` bytes at the returned pointer. Writes what has been collected first
  // when it would not fit; nullptr with the platform's message in `*error` when that
  // fails.
  char* Room(std::size_t n, std::string* error);
  // Takes the bytes up to `end` (within the room just returned) into the file.
  void Advance(const char* end) { used_ = static_cast<std::size_t>(end - buffer_.get()); }

  // Writes the rest and moves the file to its path. "" or the platform's message.
  std::string Finish();

  // Bytes collected and not yet written.
  std::size_t pending() const { return used_; }

 private:
  std::string Flush();

  FileWriter& writer_;
  std::string path_;
  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_;
  std::size_t used_ = 0;
};

}  // namespace dtaus::detail

#endif  // DTAUS_FILE_FILE_OUTPUT_H_
