#include "file/file_system.h"

#include <atomic>

namespace dtaus::detail {
namespace {

std::atomic<FileSystem*> g_installed{nullptr};

}  // namespace

FileSystem& CurrentFileSystem() {
  FileSystem* installed = g_installed.load(std::memory_order_relaxed);
  return installed ? *installed : PlatformFileSystem();
}

FileSystem* SetFileSystem(FileSystem* fs) { return g_installed.exchange(fs); }

}  // namespace dtaus::detail
