// The file seam on Windows.
//
// Paths arrive as UTF-8 (the automation layer converts the host's UTF-16 text) and go
// to the wide-character Win32 functions, so a path with umlauts, a euro sign or any
// other character the ANSI code page lacks works. The ANSI functions would silently
// turn such characters into '?' and write to a different file.
//
// Failure descriptions are the system's own messages (FormatMessageW, in the user's
// language), converted to UTF-8 without the trailing line break that Windows appends,
// because Generate puts them straight after "Sonstiger Fehler:".
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

#include "file/file_system.h"

namespace dtaus::detail {
namespace {

std::string Utf8FromWide(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string result(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(),
                        size, nullptr, nullptr);
  return result;
}

// The system's message for `error`, e.g. "Das System kann den angegebenen Pfad nicht
// finden." on a German Windows.
std::string Describe(DWORD error) {
  wchar_t* buffer = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring_view text(buffer != nullptr ? buffer : L"", length);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
    text.remove_suffix(1);
  }
  std::string result = Utf8FromWide(text);
  if (buffer != nullptr) ::LocalFree(buffer);
  // Every error code has a message on a real system; this only guards against a
  // stripped-down one, so that Generate never reports "Sonstiger Fehler:" with nothing.
  if (result.empty()) result = "Windows-Fehler " + std::to_string(error) + ".";
  return result;
}

std::string DescribeLastError() { return Describe(::GetLastError()); }

// UTF-8 -> UTF-16 for a path. Refuses what cannot be a file name instead of guessing:
// malformed UTF-8 (which would otherwise become U+FFFD and name a different file) and
// an embedded NUL (the wide functions would stop there and write to a shorter path).
bool WidePath(const std::string& path, std::wstring* wide, std::string* error) {
  if (path.find('\0') != std::string::npos) {
    *error = Describe(ERROR_INVALID_NAME);
    return false;
  }
  wide->clear();
  if (path.empty()) return true;
  const int size = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(),
                                         static_cast<int>(path.size()), nullptr, 0);
  if (size <= 0) {
    *error = DescribeLastError();
    return false;
  }
  wide->resize(static_cast<std::size_t>(size));
  ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), static_cast<int>(path.size()),
                        wide->data(), size);
  return true;
}

HANDLE ToHandle(FileSystem::Handle handle) { return reinterpret_cast<HANDLE>(handle); }

TargetKind KindOf(HANDLE file) {
  switch (::GetFileType(file)) {
    case FILE_TYPE_CHAR:
      return TargetKind::kDevice;  // NUL, CON, COM1 ...
    case FILE_TYPE_PIPE:
      return TargetKind::kFifo;
    case FILE_TYPE_DISK: {
      BY_HANDLE_FILE_INFORMATION info;
      if (::GetFileInformationByHandle(file, &info) &&
          (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return TargetKind::kDirectory;
      }
      return TargetKind::kRegular;
    }
    default:
      return TargetKind::kOther;
  }
}

class Win32FileSystem final : public FileSystem {
 public:
  std::string Inspect(const std::string& path, std::string* resolved, TargetKind* kind) override {
    std::wstring wide;
    std::string error;
    if (!WidePath(path, &wide, &error)) return error;
    *resolved = path;
    // No access rights asked for: this follows links to what they name and touches
    // nothing. FILE_FLAG_BACKUP_SEMANTICS lets it open a directory as well.
    const HANDLE file =
        ::CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      const DWORD last_error = ::GetLastError();
      if (last_error != ERROR_FILE_NOT_FOUND && last_error != ERROR_PATH_NOT_FOUND) {
        return Describe(last_error);
      }
      *kind = TargetKind::kMissing;  // a missing folder is reported by CreateEmpty
      return {};
    }
    *kind = KindOf(file);
    // A symbolic link: the file it names is replaced, so that the link stays a link.
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (*kind == TargetKind::kRegular && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
      std::wstring final_path(32768, L'\0');
      const DWORD n = ::GetFinalPathNameByHandleW(file, final_path.data(),
                                                  static_cast<DWORD>(final_path.size()),
                                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
      if (n > 0 && n < final_path.size()) {
        *resolved = Utf8FromWide(std::wstring_view(final_path.data(), n));
      }
    }
    ::CloseHandle(file);
    return {};
  }

  std::string CreateEmpty(const std::string& path) override {
    std::wstring wide;
    std::string error;
    if (!WidePath(path, &wide, &error)) return error;
    const HANDLE file = ::CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return DescribeLastError();
    return Close(reinterpret_cast<Handle>(file));
  }

  // The temporary file lives next to the target, so that Rename stays on one volume and
  // MoveFileExW can replace the target in one step.
  std::string CreateTemp(const std::string& path, Handle* handle,
                         std::string* temp_path) override {
    static std::atomic<unsigned> counter{0};
    DWORD last_error = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < 100; ++attempt) {
      *temp_path = TempPathBeside(path, ::GetCurrentProcessId(), counter.fetch_add(1));
      std::wstring wide;
      std::string error;
      if (!WidePath(*temp_path, &wide, &error)) return error;
      // CREATE_NEW: never open a file that someone else created under the same name.
      const HANDLE file = ::CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file != INVALID_HANDLE_VALUE) {
        *handle = reinterpret_cast<Handle>(file);
        TrackNamedTemp(*temp_path);
        return {};
      }
      last_error = ::GetLastError();
      if (last_error != ERROR_FILE_EXISTS && last_error != ERROR_ALREADY_EXISTS) break;
    }
    return Describe(last_error);
  }

  std::string Write(Handle handle, std::string_view data, std::size_t* written) override {
    // WriteFile takes a 32-bit count; the caller loops over what is left.
    constexpr std::size_t kMaxChunk = std::size_t{1} << 30;
    const DWORD chunk = static_cast<DWORD>(std::min(data.size(), kMaxChunk));
    DWORD done = 0;
    if (!::WriteFile(ToHandle(handle), data.data(), chunk, &done, nullptr)) {
      return DescribeLastError();
    }
    *written = done;
    return {};
  }

  std::string Sync(Handle handle) override {
    if (!::FlushFileBuffers(ToHandle(handle))) return DescribeLastError();
    return {};
  }

  // CreateTemp always names its file here.
  std::string NameTemp(Handle, const std::string&, std::string*) override {
    return Describe(ERROR_NOT_SUPPORTED);
  }

  std::string Close(Handle handle) override {
    if (!::CloseHandle(ToHandle(handle))) return DescribeLastError();
    return {};
  }

  std::string Rename(const std::string& from, const std::string& to) override {
    std::wstring wide_from;
    std::wstring wide_to;
    std::string error;
    if (!WidePath(from, &wide_from, &error) || !WidePath(to, &wide_to, &error)) return error;
    // MOVEFILE_WRITE_THROUGH: returns only once the new directory entry is on the disk.
    if (!::MoveFileExW(wide_from.c_str(), wide_to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return DescribeLastError();
    }
    UntrackNamedTemp(from);
    return {};
  }

  // Rename wrote the directory entry through already.
  std::string SyncDirectory(const std::string&) override { return {}; }

  void Remove(const std::string& path) override {
    std::wstring wide;
    std::string error;
    if (WidePath(path, &wide, &error)) ::DeleteFileW(wide.c_str());
    UntrackNamedTemp(path);
  }

  void Empty(const std::string& path) override {
    std::wstring wide;
    std::string error;
    if (!WidePath(path, &wide, &error)) return;
    const HANDLE file = ::CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    ::FlushFileBuffers(file);
    ::CloseHandle(file);
  }
};

}  // namespace

FileSystem& PlatformFileSystem() {
  static Win32FileSystem fs;
  return fs;
}

}  // namespace dtaus::detail
