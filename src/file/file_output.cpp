#include "file/file_output.h"

#include <algorithm>
#include <atomic>
#include <string_view>
#include <utility>

#if DTAUS_HAVE_THREADS
#include <condition_variable>
#include <mutex>
#include <thread>
#endif

namespace dtaus::detail {
namespace {

// Writes one buffer: the temporary file is begun with the first.
std::string WriteBuffer(FileWriter& writer, const std::string& path, std::string_view bytes) {
  if (!writer.begun()) {
    if (std::string error = writer.Begin(path); !error.empty()) return error;
  }
  return writer.Append(bytes);
}

// Two full-size buffers outlive each file. A megabyte of fresh memory costs 256 page
// faults, and the kernel's zeroing of each page, the first time it is written; a file
// of 25 MB would pay that for both of its buffers on every Generate. Taken and given
// back with one atomic exchange each, so that files generated on several threads at
// once simply allocate more.
std::atomic<char*> g_chunk_cache[2];

char* TakeChunk() {
  for (auto& slot : g_chunk_cache) {
    if (char* chunk = slot.exchange(nullptr, std::memory_order_acquire)) return chunk;
  }
  return new char[FileOutput::kChunk];
}

void GiveChunk(char* chunk) {
  for (auto& slot : g_chunk_cache) {
    char* empty = nullptr;
    if (slot.compare_exchange_strong(empty, chunk, std::memory_order_release)) return;
  }
  delete[] chunk;
}

}  // namespace

FileOutput::Buffer::Buffer(std::size_t capacity)
    : data_(capacity == kChunk ? TakeChunk() : new char[capacity]), capacity_(capacity) {}

FileOutput::Buffer::~Buffer() {
  if (data_ == nullptr) return;
  if (capacity_ == kChunk) {
    GiveChunk(data_);
  } else {
    delete[] data_;
  }
}

#if DTAUS_HAVE_THREADS

const bool FileOutput::kBackgroundWrites = true;

// The writer thread: takes one buffer at a time and writes it. After a failure it writes
// nothing more and keeps the first error for the caller.
class FileOutput::Background {
 public:
  Background(FileWriter& writer, const std::string& path)
      : writer_(writer), path_(path), thread_([this] { Run(); }) {}
  ~Background() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }

  // Waits until the last buffer is written; "" or the first error.
  std::string Wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !busy_; });
    return error_;
  }

  // Hands over a buffer; the caller leaves it alone until Wait has returned.
  void Submit(std::string_view bytes) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      job_ = bytes;
      busy_ = true;
    }
    changed_.notify_all();
  }

 private:
  void Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      changed_.wait(lock, [this] { return busy_ || stop_; });
      if (!busy_) return;
      const std::string_view job = job_;
      const bool failed = !error_.empty();
      lock.unlock();
      std::string error;
      try {
        if (!failed) error = WriteBuffer(writer_, path_, job);
      } catch (...) {
        error = "Schreiben in die Datei fehlgeschlagen.";
      }
      lock.lock();
      if (error_.empty()) error_ = std::move(error);
      busy_ = false;
      changed_.notify_all();
    }
  }

  FileWriter& writer_;
  const std::string& path_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::string_view job_;
  bool busy_ = false;
  bool stop_ = false;
  std::string error_;
  std::thread thread_;  // last: starts when everything it uses is ready
};

#else

// No threads (the win32 flavour of mingw-w64): every full buffer is written in Room.
const bool FileOutput::kBackgroundWrites = false;

class FileOutput::Background {
 public:
  Background(FileWriter&, const std::string&) {}
  std::string Wait() { return {}; }
  void Submit(std::string_view) {}
};

#endif

FileOutput::FileOutput(FileWriter& writer, std::string path, std::size_t expected,
                       bool background)
    : writer_(writer),
      path_(std::move(path)),
      background_wanted_(background && kBackgroundWrites),
      // Uninitialised: every byte is written before it is used.
      buffer_(std::clamp<std::size_t>(expected, 1, kChunk)) {}

FileOutput::~FileOutput() = default;

char* FileOutput::Room(std::size_t n, std::string* error) {
  if (buffer_.capacity() - used_ < n) {
    if (std::string e = Flush(); !e.empty()) {
      *error = std::move(e);
      return nullptr;
    }
    if (buffer_.capacity() < n) {
      // More than a chunk at once (or a file larger than expected): a larger buffer.
      buffer_ = Buffer(std::max(n, std::min(2 * buffer_.capacity(), kChunk)));
    }
  }
  return buffer_.data() + used_;
}

std::string FileOutput::Flush() {
  if (used_ == 0) return {};
  const std::string_view bytes(buffer_.data(), used_);
  used_ = 0;
  if (!background_wanted_) return WriteBuffer(writer_, path_, bytes);
  if (!background_) {
    background_ = std::make_unique<Background>(writer_, path_);
  } else if (std::string error = background_->Wait(); !error.empty()) {
    return error;
  }
  // The thread writes this buffer while the other one fills.
  background_->Submit(bytes);
  if (spare_.capacity() < buffer_.capacity()) spare_ = Buffer(buffer_.capacity());
  std::swap(buffer_, spare_);
  return {};
}

std::string FileOutput::Finish() {
  if (background_) {
    std::string error = background_->Wait();
    background_.reset();
    if (!error.empty()) return error;
  }
  const std::string_view rest(buffer_.data(), used_);
  used_ = 0;
  if (std::string error = WriteBuffer(writer_, path_, rest); !error.empty()) return error;
  return writer_.Commit(path_);
}

}  // namespace dtaus::detail
