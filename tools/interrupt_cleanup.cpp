#include "tools/interrupt_cleanup.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "file/file_system.h"

namespace dtaus::tool {
namespace {

// Only async-signal-safe calls: a lock-free atomic load, unlink and raise.
extern "C" void RemoveTempFileAndStop(int signal_number) {
  const int saved_errno = errno;
  if (const char* temp = detail::NamedTempInProgress()) ::unlink(temp);
  // SA_RESETHAND has put the default action back, and the signal is blocked while this
  // handler runs: the raised one ends the process as soon as the handler returns.
  ::raise(signal_number);
  errno = saved_errno;
}

}  // namespace

void InstallInterruptCleanup() {
  struct sigaction action {};
  action.sa_handler = RemoveTempFileAndStop;
  action.sa_flags = SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  // One handler at a time: a SIGTERM while the SIGINT one runs waits for it.
  sigaddset(&action.sa_mask, SIGINT);
  sigaddset(&action.sa_mask, SIGTERM);
  for (const int signal_number : {SIGINT, SIGTERM}) {
    struct sigaction current {};
    if (::sigaction(signal_number, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) {
      continue;
    }
    ::sigaction(signal_number, &action, nullptr);
  }
}

}  // namespace dtaus::tool
