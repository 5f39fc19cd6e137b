#include "file/file_system.h"

#include <atomic>
#include <string>

namespace dtaus::detail {
namespace {

std::atomic<FileSystem*> g_installed{nullptr};

}  // namespace

std::string TempPathBeside(const std::string& path, unsigned long process, unsigned n) {
#ifdef _WIN32
  // "C:\\dir\\file", "dir/file" and the drive-relative "C:file".
  std::size_t end = path.find_last_of("\\/");
  end = end != std::string::npos ? end + 1 : (path.size() > 1 && path[1] == ':' ? 2 : 0);
#else
  std::size_t end = path.rfind('/');
  end = end != std::string::npos ? end + 1 : 0;
#endif
  return path.substr(0, end) + ".dtaus-" + std::to_string(process) + "-" + std::to_string(n) +
         ".tmp";
}

FileSystem& CurrentFileSystem() {
  FileSystem* installed = g_installed.load(std::memory_order_relaxed);
  return installed ? *installed : PlatformFileSystem();
}

FileSystem* SetFileSystem(FileSystem* fs) { return g_installed.exchange(fs); }

}  // namespace dtaus::detail
