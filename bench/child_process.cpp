#include "child_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace dtaus::bench {
namespace {

constexpr char kPeakLabel[] = "peak_rss_bytes ";

// The child's whole standard output: one short line.
std::string ReadAll(int fd) {
  std::string text;
  char buffer[256];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) {
      text.append(buffer, static_cast<std::size_t>(n));
    } else if (n == 0 || errno != EINTR) {
      return text;
    }
  }
}

}  // namespace

ChildUsage RunSelf(const std::vector<std::string>& args) {
  ChildUsage usage;
  static char kSelf[] = "/proc/self/exe";
  std::vector<std::string> storage = args;
  std::vector<char*> argv;
  argv.push_back(kSelf);
  for (std::string& arg : storage) argv.push_back(arg.data());
  argv.push_back(nullptr);

  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) return usage;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);

  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, kSelf, &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  if (spawned != 0) {
    ::close(out[0]);
    return usage;
  }
  const std::string output = ReadAll(out[0]);
  ::close(out[0]);
  int status = 0;
  pid_t reaped;
  do {
    reaped = ::waitpid(pid, &status, 0);
  } while (reaped < 0 && errno == EINTR);
  usage.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (reaped != pid || !WIFEXITED(status)) return usage;
  usage.exit_code = WEXITSTATUS(status);
  if (const std::size_t at = output.find(kPeakLabel); at != std::string::npos) {
    usage.peak_rss_bytes = std::atoll(output.c_str() + at + sizeof kPeakLabel - 1);
  }
  return usage;
}

bool ReportPeakMemory() {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (status == nullptr) return false;
  char line[256];
  long long kib = -1;
  while (std::fgets(line, sizeof line, status) != nullptr) {
    if (std::strncmp(line, "VmHWM:", 6) == 0) kib = std::atoll(line + 6);
  }
  std::fclose(status);
  if (kib < 0) return false;
  std::printf("%s%lld\n", kPeakLabel, kib * 1024);
  return std::fflush(stdout) == 0;
}

}  // namespace dtaus::bench
