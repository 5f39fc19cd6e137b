#include "child_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
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
constexpr char kSecondsLabel[] = "seconds ";
constexpr char kCpuLabel[] = "cpu_seconds ";

double Seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; }

// The number after `label` in the child's output; 0 when it is not there.
double Number(const std::string& output, const char* label, std::size_t label_size) {
  const std::size_t at = output.find(label);
  return at == std::string::npos ? 0 : std::atof(output.c_str() + at + label_size - 1);
}

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
  usage.cpu_seconds = Number(output, kCpuLabel, sizeof kCpuLabel);
  // A measuring copy times the program alone, without its own start.
  if (const double seconds = Number(output, kSecondsLabel, sizeof kSecondsLabel); seconds > 0) {
    usage.seconds = seconds;
  }
  return usage;
}

ChildUsage RunProgram(const std::vector<std::string>& argv) {
  std::vector<std::string> args = {std::string(kMeasureProgramFlag)};
  args.insert(args.end(), argv.begin(), argv.end());
  return RunSelf(args);
}

int MeasureProgram(int argc, char** args) {
  if (argc < 1) return 2;
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid < 0) return 2;
  if (pid == 0) {
    // The program's own output would mix with the report.
    const int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) ::dup2(null, STDOUT_FILENO);
    ::execv(args[0], args);
    ::_exit(127);
  }
  int status = 0;
  rusage used{};
  pid_t reaped;
  do {
    reaped = ::wait4(pid, &status, 0, &used);
  } while (reaped < 0 && errno == EINTR);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (reaped != pid || !WIFEXITED(status)) return 2;
  std::printf("%s%lld\n%s%.9f\n%s%.9f\n", kPeakLabel, static_cast<long long>(used.ru_maxrss) * 1024,
              kSecondsLabel, seconds, kCpuLabel, Seconds(used.ru_utime) + Seconds(used.ru_stime));
  std::fflush(stdout);
  return WEXITSTATUS(status);
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
