// A file system for tests that fails on purpose.
//
// It passes every call through to a real file system and fails call number `fail_at`
// (counting every operation), once or from then on, as a disk that is full, removed or
// read-only would. Tests raise `fail_at` from 1 until no call fails any more, so every
// failure point of a Generate is visited. The best-effort clean-ups (Remove, Empty) are
// passed through and never fail, as the callers cannot act on their failure anyway.
//
// It also keeps a journal of the operations in the order they came ("Inspect CreateEmpty
// CreateTemp Write Sync ..."), so that a test can check the order of a commit.
#ifndef DTAUS_FILE_FAULT_FILE_SYSTEM_H_
#define DTAUS_FILE_FAULT_FILE_SYSTEM_H_

#include <string>

#include "file/file_system.h"

namespace dtaus::detail {

class FaultFileSystem final : public FileSystem {
 public:
  // `fail_at` 0: nothing fails.
  FaultFileSystem(FileSystem& real, int fail_at, bool persistent)
      : real_(real), fail_at_(fail_at), persistent_(persistent) {}

  // Every write passes at most `n` bytes through (0: no limit).
  void set_short_writes(std::size_t n) { short_writes_ = n; }
  bool fired() const { return fired_; }
  std::string Message() const { return "Injected failure at call " + std::to_string(fail_at_); }
  // The operations so far, separated by blanks.
  const std::string& journal() const { return journal_; }

  std::string Inspect(const std::string& path, std::string* resolved, TargetKind* kind) override {
    return Fail("Inspect") ? Message() : real_.Inspect(path, resolved, kind);
  }
  std::string CreateEmpty(const std::string& path) override {
    return Fail("CreateEmpty") ? Message() : real_.CreateEmpty(path);
  }
  std::string CreateTemp(const std::string& path, Handle* handle, std::string* temp_path) override {
    return Fail("CreateTemp") ? Message() : real_.CreateTemp(path, handle, temp_path);
  }
  std::string Write(Handle handle, std::string_view data, std::size_t* written) override {
    if (Fail("Write")) {
      // A failing write may still have put half of its data on disk.
      std::size_t ignored = 0;
      real_.Write(handle, data.substr(0, data.size() / 2), &ignored);
      return Message();
    }
    if (short_writes_ > 0 && data.size() > short_writes_) data = data.substr(0, short_writes_);
    return real_.Write(handle, data, written);
  }
  std::string Sync(Handle handle) override { return Fail("Sync") ? Message() : real_.Sync(handle); }
  std::string NameTemp(Handle handle, const std::string& path, std::string* temp_path) override {
    return Fail("NameTemp") ? Message() : real_.NameTemp(handle, path, temp_path);
  }
  std::string Close(Handle handle) override {
    const std::string error = real_.Close(handle);  // the descriptor goes either way
    return Fail("Close") ? Message() : error;
  }
  std::string Rename(const std::string& from, const std::string& to) override {
    return Fail("Rename") ? Message() : real_.Rename(from, to);
  }
  std::string SyncDirectory(const std::string& path) override {
    return Fail("SyncDirectory") ? Message() : real_.SyncDirectory(path);
  }
  void Remove(const std::string& path) override { real_.Remove(path); }
  void Empty(const std::string& path) override { real_.Empty(path); }

 private:
  bool Fail(const char* operation) {
    ++calls_;
    if (!journal_.empty()) journal_ += ' ';
    journal_ += operation;
    if (calls_ == fail_at_ || (persistent_ && fail_at_ > 0 && calls_ > fail_at_)) {
      fired_ = true;
      return true;
    }
    return false;
  }

  FileSystem& real_;
  int fail_at_;
  bool persistent_;
  int calls_ = 0;
  bool fired_ = false;
  std::size_t short_writes_ = 0;
  std::string journal_;
};

}  // namespace dtaus::detail

#endif  // DTAUS_FILE_FAULT_FILE_SYSTEM_H_
