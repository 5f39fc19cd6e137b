#include "tools/interrupt_cleanup.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "file/file_writer.h"
#include "file/posix_file_system.h"
#include "file/scratch_dir_test.h"

namespace dtaus::tool {
namespace {

using detail::FileWriter;
using detail::PosixFileSystem;
using InterruptCleanupTest = detail::ScratchDirTest;

// A child stops in the middle of writing the file (its temporary file begun and written
// to, not committed), tells the parent through a pipe, and waits to be killed: no race
// with the clock. Whatever kind its temporary file is, none survives the signal, the
// output stays empty, and the child dies of the signal itself.
TEST_F(InterruptCleanupTest, SignalMidWriteLeavesNoTemporaryFile) {
  for (const bool unnamed : {false, true}) {
    for (const int signal_number : {SIGTERM, SIGINT}) {
      SCOPED_TRACE(std::string(unnamed ? "unnamed" : "named") + " temporary file, signal " +
                   std::to_string(signal_number));
      Stale();
      int ready[2];
      ASSERT_EQ(::pipe(ready), 0);
      const pid_t pid = ::fork();
      ASSERT_GE(pid, 0);
      if (pid == 0) {
        ::close(ready[0]);
        InstallInterruptCleanup();
        PosixFileSystem real(unnamed);
        FileWriter writer(real);
        std::string target;
        const bool begun = writer.Truncate(path_, &target).empty() &&
                           writer.Begin(target).empty() && writer.Append(kStale).empty();
        const char state = begun ? '1' : '0';
        if (::write(ready[1], &state, 1) != 1) ::_exit(1);
        for (;;) ::pause();
      }
      ::close(ready[1]);
      char state = 0;
      EXPECT_EQ(::read(ready[0], &state, 1), 1);
      ::close(ready[0]);
      EXPECT_EQ(state, '1');
      // The emptied output, and the named temporary file beside it.
      EXPECT_EQ(FilesInDir(), unnamed ? 1u : 2u);
      ::kill(pid, signal_number);
      int status = 0;
      ::waitpid(pid, &status, 0);
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal_number) << status;
      EXPECT_EQ(FilesInDir(), 1u) << "a temporary file survived the signal";
      EXPECT_EQ(ReadFile(path_), "");
    }
  }
}

}  // namespace
}  // namespace dtaus::tool
