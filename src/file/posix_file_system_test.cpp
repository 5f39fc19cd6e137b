#include "file/posix_file_system.h"

#include <fcntl.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <filesystem>
#include <string>

#include "file/fault_file_system.h"
#include "file/file_writer.h"
#include "file/scratch_dir_test.h"

namespace dtaus::detail {
namespace {

namespace fs = std::filesystem;
using PosixFileSystemTest = ScratchDirTest;

#if defined(__x86_64__)
constexpr std::uint32_t kAuditArch = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
constexpr std::uint32_t kAuditArch = AUDIT_ARCH_AARCH64;
#else
constexpr std::uint32_t kAuditArch = 0;
#endif

// Makes every openat() with O_TMPFILE in this process fail with `error`, as a file system
// without unnamed files (or a kernel without them) answers. A seccomp filter: the kernel
// itself refuses, so the code under test takes its real path.
bool RefuseUnnamedFiles(int error) {
  constexpr std::uint32_t kTmpfileBit = O_TMPFILE & ~O_DIRECTORY;
  sock_filter filter[] = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, kAuditArch, 1, 0),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_openat, 1, 0),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
      // The flags, the third argument: its low word on these little-endian machines.
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, args[2])),
      BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, kTmpfileBit, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | static_cast<std::uint32_t>(error)),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  const sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
  return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
         ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

// Where the kernel refuses unnamed files in the ways that mean "not here" (EOPNOTSUPP from
// the file system, EISDIR or EINVAL from a kernel that does not know O_TMPFILE), the file
// is written through a named temporary file instead (no NameTemp in the journal); any
// other refusal is the failure it is.
TEST_F(PosixFileSystemTest, NamedTemporaryFileWhereUnnamedOnesAreRefused) {
  if (kAuditArch == 0) GTEST_SKIP() << "no seccomp filter written for this architecture";
  for (const int refusal : {EOPNOTSUPP, EISDIR, EINVAL, EACCES}) {
    SCOPED_TRACE(refusal);
    const std::string expected =
        refusal == EACCES
            ? "Permission denied | Inspect CreateEmpty CreateTemp"
            : " | Inspect CreateEmpty CreateTemp Write Sync Close Rename SyncDirectory";
    fs::remove(path_);
    EXPECT_EQ(InChild([&](std::ostream& out) {  // the child keeps the filter
                if (!RefuseUnnamedFiles(refusal)) {
                  out << "no seccomp filter: " << std::strerror(errno);
                  return;
                }
                PosixFileSystem posix;
                FaultFileSystem journal(posix, 0, false);
                FileWriter writer(journal);
                std::string target;
                std::string error = writer.Truncate(path_, &target);
                if (error.empty()) error = writer.Replace(target, "0123456789");
                out << error << " | " << journal.journal();
              }),
              expected);
    EXPECT_EQ(ReadFile(path_), refusal == EACCES ? "" : "0123456789");
    EXPECT_EQ(FilesInDir(), 1u) << "a temporary file was left behind";
  }
}

}  // namespace
}  // namespace dtaus::detail
