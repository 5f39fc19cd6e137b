// FileOutput: the bytes of a file on their way to disk, in chunks.
//
// A full DTAUS file is 25 MB. Assembling all of it in memory before writing costs 25 MB
// of fresh pages on every Generate, and the kernel then copies it once more out of
// memory that is long out of the cache. Instead the records are written into a buffer of
// a megabyte, which stays in the processor's cache, and each full buffer goes to the
// temporary file of the FileWriter; the file appears at its path only when Finish
// commits it. A small file never writes before Finish: it costs one write.
//
// Where the platform has threads, full buffers are written by a thread of their own
// while the next one fills: copying 25 MB into the operating system's file cache then
// runs beside the rendering of the records instead of after it. Only one thread ever
// uses the FileWriter at a time: the writer thread from the first full buffer until
// Finish or the destructor has waited for it, the caller before and after.
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
#include <utility>

#include "file/file_writer.h"

namespace dtaus::detail {

class FileOutput {
 public:
  static constexpr std::size_t kChunk = std::size_t{1} << 20;
  // Whether full buffers can be written by a thread of their own here.
  static const bool kBackgroundWrites;

  // `expected` is the size the file will have, if known: a smaller file gets a smaller
  // buffer. `background`: write full buffers on a thread of their own (where there are
  // threads), or in Room.
  FileOutput(FileWriter& writer, std::string path, std::size_t expected,
             bool background = kBackgroundWrites);
  // Waits for the writer thread; what was not committed is removed by the FileWriter.
  ~FileOutput();
  FileOutput(const FileOutput&) = delete;
  FileOutput& operator=(const FileOutput&) = delete;

  // Room for `n` bytes at the returned pointer. Hands what has been collected to the
  // file first when it would not fit; nullptr with the platform's message in `*error`
  // when writing failed (this buffer's or, with the writer thread, the one before).
  char* Room(std::size_t n, std::string* error);
  // Takes the bytes up to `end` (within the room just returned) into the file.
  void Advance(const char* end) { used_ = static_cast<std::size_t>(end - buffer_.data()); }

  // Writes the rest and moves the file to its path. "" or the platform's message.
  std::string Finish();

  // Bytes collected and not yet handed to the file.
  std::size_t Pending() const { return used_; }

 private:
  class Background;

  // An uninitialised buffer. Those of kChunk bytes are taken from and given back to a
  // process-wide cache of two (see file_output.cpp).
  class Buffer {
   public:
    Buffer() = default;
    explicit Buffer(std::size_t capacity);
    Buffer(Buffer&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)),
          capacity_(std::exchange(other.capacity_, 0)) {}
    Buffer& operator=(Buffer&& other) noexcept {
      std::swap(data_, other.data_);
      std::swap(capacity_, other.capacity_);
      return *this;
    }
    ~Buffer();

    char* data() const { return data_; }
    std::size_t capacity() const { return capacity_; }

   private:
    char* data_ = nullptr;
    std::size_t capacity_ = 0;
  };

  std::string Flush();

  FileWriter& writer_;
  std::string path_;
  bool background_wanted_;
  Buffer buffer_;
  std::size_t used_ = 0;
  Buffer spare_;  // the buffer the writer thread writes
  // Last: destroyed first, so that the thread is joined before the buffers go.
  std::unique_ptr<Background> background_;
};

}  // namespace dtaus::detail

#endif  // DTAUS_FILE_FILE_OUTPUT_H_
