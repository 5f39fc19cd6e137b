#include "file/file_system.h"

#include <atomic>
#include <cstring>
#include <string>

namespace dtaus::detail {
namespace {

std::atomic<FileSystem*> g_installed{nullptr};

// The tracked temporary file's name lives in a fixed buffer, because a signal handler
// may neither allocate nor take a lock. `g_claimed` keeps a second writer out of the
// buffer while the first one's name is in it; `g_published` is what the handler reads.
char g_temp_name[4096];
std::atomic<bool> g_claimed{false};
std::atomic<const char*> g_published{nullptr};
static_assert(std::atomic<const char*>::is_always_lock_free,
              "a signal handler may read only a lock-free atomic");

}  // namespace

std::string RefusedTarget(TargetKind kind) {
  switch (kind) {
    case TargetKind::kMissing:
    case TargetKind::kRegular:
      return {};
    case TargetKind::kDirectory:
      return "Das Ziel ist ein Verzeichnis, keine Datei.";
    case TargetKind::kFifo:
      return "Das Ziel ist eine benannte Pipe (FIFO), keine Datei.";
    case TargetKind::kSocket:
      return "Das Ziel ist ein Socket, keine Datei.";
    case TargetKind::kDevice:
      return "Das Ziel ist ein Gerät, keine Datei.";
    case TargetKind::kOther:
      break;
  }
  return "Das Ziel ist keine gewöhnliche Datei.";
}

std::string DirectoryOf(const std::string& path) {
#ifdef _WIN32
  // "C:\\dir\\file", "dir/file" and the drive-relative "C:file".
  std::size_t end = path.find_last_of("\\/");
  end = end != std::string::npos ? end + 1 : (path.size() > 1 && path[1] == ':' ? 2 : 0);
#else
  std::size_t end = path.rfind('/');
  end = end != std::string::npos ? end + 1 : 0;
#endif
  return path.substr(0, end);
}

std::string TempPathBeside(const std::string& path, unsigned long process, unsigned n) {
  return DirectoryOf(path) + ".dtaus-" + std::to_string(process) + "-" + std::to_string(n) + ".tmp";
}

const char* NamedTempInProgress() { return g_published.load(); }

void TrackNamedTemp(const std::string& path) {
  if (path.size() >= sizeof g_temp_name) return;
  bool free = false;
  if (!g_claimed.compare_exchange_strong(free, true)) return;
  std::memcpy(g_temp_name, path.c_str(), path.size() + 1);
  g_published.store(g_temp_name);
}

void UntrackNamedTemp(const std::string& path) {
  // Only the writer whose name is in the buffer may clear it; nobody else changes the
  // buffer while it is published.
  if (g_published.load() == nullptr || path != g_temp_name) return;
  g_published.store(nullptr);
  g_claimed.store(false);
}

FileSystem& CurrentFileSystem() {
  FileSystem* installed = g_installed.load(std::memory_order_relaxed);
  return installed ? *installed : PlatformFileSystem();
}

FileSystem* SetFileSystem(FileSystem* fs) { return g_installed.exchange(fs); }

}  // namespace dtaus::detail
