// Generate against a hostile world: real file-system failures and hostile host input.
//
// The injected faults prove the error paths call by call; here the same promises are held
// against the operating system itself: a directory that refuses new files, a disk that
// runs full in the middle of the write, a file-size limit that cuts a write in half, a
// rename the kernel forbids, a read-only file system. Each case runs in a child process
// that first takes on the handicap (drops root, mounts a tiny tmpfs in its own mount
// namespace, lowers a limit), so nothing leaks into the test run and root cannot simply
// override a permission. A case whose handicap the machine does not grant (no mount
// namespace in a container, no other user to become without root) is skipped, and the test
// reports the skip with its reason, rather than failing for the machine's sake.
//
// Every failure must come back as "Sonstiger Fehler:" with the platform's description,
// and leave an empty file at the path (or the file as it was, when it could not even be
// opened), never a partial file and never a temporary file. Targets that are no file
// (a directory, FIFO, socket, device) are made for real and must come through untouched;
// links are followed to the file they name.
#include <grp.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "dtaus/dtaus.h"
#include "dtaus/dtaus_reader.h"
#include "file/fault_file_system.h"
#include "file/scratch_dir_test.h"
#include "records/test_support.h"

namespace dtaus::detail {
namespace {

namespace fs = std::filesystem;

std::string Errno(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

// How a child reports a handicap the machine does not grant.
constexpr std::string_view kSkipped = "skipped: ";

// kNoRoot: the permissions bind (root drops to nobody). kAnotherUser: besides, the stale file
// belongs to another user, which only root can arrange.
enum class Handicap { kNoRoot, kAnotherUser, kReadOnlyFileSystem, kSmallDisk, kFileSizeLimit };

bool WriteProcFile(const char* path, const std::string& text) {
  std::ofstream out(path);
  return static_cast<bool>(out << text << std::flush);
}

// A mount namespace of the calling process's own, whose mounts nobody else sees: root's
// (CAP_SYS_ADMIN), or, for anyone where the kernel allows unprivileged user namespaces, one
// owned by a user namespace in which the caller is root. Returns "" or why there is none.
std::string PrivateMountNamespace() {
  if (::unshare(CLONE_NEWNS) != 0) {
    const int refused = errno;  // the privilege missing, the reason worth reporting
    const std::string uid = std::to_string(::geteuid());
    const std::string gid = std::to_string(::getegid());
    if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0 ||
        !WriteProcFile("/proc/self/setgroups", "deny") ||
        !WriteProcFile("/proc/self/uid_map", "0 " + uid + " 1") ||
        !WriteProcFile("/proc/self/gid_map", "0 " + gid + " 1")) {
      errno = refused;
      return Errno("no mount namespace of its own (needs CAP_SYS_ADMIN or user namespaces)");
    }
  }
  // Without this a mount would also appear wherever the file system is shared to. In a
  // chroot "/" is no mount point, and the mount the directory lies on is out of reach.
  if (::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
    return Errno("mounts of its own cannot be made private (\"/\" is no mount point in a chroot)");
  }
  return "";
}

class GenerateRobustnessTest : public ScratchDirTest {
 protected:
  void SetUp() override {
    ScratchDirTest::SetUp();
    fs::permissions(dir_, fs::perms::all);  // reachable once root is dropped
    datei_.Pfad(path_);
    FillValidHeader(*datei_.GetMeineInfo());
  }

  void AddPayments(int n) {
    auto g = ValidPayment();
    for (int i = 0; i < n; ++i) datei_.AddGeldTransfer(g);
  }

  // In the child: a tmpfs of 64 KiB in a private mount namespace where the handicap
  // wants one, the stale file, the directory's permissions, then the handicap. Returns
  // what went wrong, kSkipped and the reason for what the machine does not grant.
  std::string TakeOn(Handicap handicap, bool stale, fs::perms dir) {
    if (handicap == Handicap::kReadOnlyFileSystem || handicap == Handicap::kSmallDisk) {
      if (std::string refused = PrivateMountNamespace(); !refused.empty()) {
        return std::string(kSkipped) + refused;
      }
      if (::mount("tmpfs", dir_.c_str(), "tmpfs", 0, "size=64k") != 0) {
        return Errno("a 64 KiB tmpfs");
      }
    }
    if (handicap == Handicap::kAnotherUser && ::geteuid() != 0) {
      return std::string(kSkipped) + "a file of another user (needs root)";
    }
    if (stale) Stale();
    fs::permissions(dir_, dir);
    if (handicap == Handicap::kReadOnlyFileSystem &&
        ::mount(nullptr, dir_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
      return Errno("remount read-only");
    }
    // Root becomes another user, whom the permissions then bind; anyone else is bound
    // already.
    constexpr uid_t kNobody = 65534;
    if ((handicap == Handicap::kNoRoot || handicap == Handicap::kAnotherUser) && ::geteuid() == 0 &&
        (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
      return std::string(kSkipped) + Errno("becoming user nobody");
    }
    const rlimit limit{10000, 10000};
    if (handicap == Handicap::kFileSizeLimit &&
        (::signal(SIGXFSZ, SIG_IGN) == SIG_ERR || ::setrlimit(RLIMIT_FSIZE, &limit) != 0)) {
      return Errno("file-size limit");
    }
    return "";
  }

  // Generate over a stale file, of two payments: the second with `text` in `setter`.
  std::string GenerateWith(Setter setter, std::string_view text) {
    DtausDatei datei;
    datei.Pfad(path_);
    FillValidHeader(*datei.GetMeineInfo());
    auto g = ValidPayment();
    ((*g).*setter)(text);
    datei.AddGeldTransfer(ValidPayment());
    datei.AddGeldTransfer(g);
    Stale();
    return datei.Generate();
  }

  ScopedToday today_{2026, 3, 10};
  DtausDatei datei_;
};

TEST_F(GenerateRobustnessTest, RealFileSystemFailures) {
  const std::string stale = std::string("\"") + kStale + "\"";
  // No one may write, the owner included: the test may run as the directory's owner.
  const fs::perms read_only_dir = fs::perms{0555};
  const struct {
    const char* name;
    Handicap handicap;
    int payments;  // 300: 77,056 bytes, more than the small disk holds
    bool stale;
    fs::perms dir;
    std::string expected;
  } cases[] = {
      {"read-only directory", Handicap::kNoRoot, 1, false, read_only_dir,
       "Sonstiger Fehler:Permission denied | no file |"},
      // The stale file can be emptied but no temporary file made beside it: the file stays
      // empty rather than keeping the old payments.
      {"read-only directory, writable stale file", Handicap::kNoRoot, 1, true, read_only_dir,
       "Sonstiger Fehler:Permission denied | \"\" | DTAUS0.TXT"},
      // The stale file cannot even be opened for writing.
      {"read-only file system", Handicap::kReadOnlyFileSystem, 1, true, fs::perms::all,
       "Sonstiger Fehler:Read-only file system | " + stale + " | DTAUS0.TXT"},
      {"disk full in the middle of the write", Handicap::kSmallDisk, 300, true, fs::perms::all,
       "Sonstiger Fehler:No space left on device | \"\" | DTAUS0.TXT"},
      // The kernel takes the first 10,000 bytes and refuses the rest: a real short write
      // followed by a failing one.
      {"file-size limit", Handicap::kFileSizeLimit, 300, true, fs::perms::all,
       "Sonstiger Fehler:File too large | \"\" | DTAUS0.TXT"},
      // A shared directory like /tmp: anyone may create files, but only the owner of a file
      // may replace it. The stale file belongs to root and is writable by all, so another
      // user can empty it and write a temporary file, and only the rename fails.
      {"rename forbidden in a sticky directory", Handicap::kAnotherUser, 1, true,
       fs::perms::all | fs::perms::sticky_bit,
       "Sonstiger Fehler:Operation not permitted | \"\" | DTAUS0.TXT"},
  };
  std::string skipped;
  int skips = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::permissions(dir_, fs::perms::all);
    fs::remove(path_);
    // "<Generate's result> | <the file> | <the directory's entries>"
    const std::string result = InChild([&](std::ostream& out) {
      if (std::string e = TakeOn(c.handicap, c.stale, c.dir); !e.empty()) {
        out << e;
        return;
      }
      AddPayments(c.payments);
      out << datei_.Generate() << " | ";
      out << (fs::exists(path_) ? '"' + ReadFile(path_) + "\" |" : "no file |");
      for (const auto& entry : fs::directory_iterator(dir_)) {
        out << " " << entry.path().filename().string();
      }
    });
    if (result.starts_with(kSkipped)) {
      skipped +=
          std::string(skips++ == 0 ? "" : "; ") + c.name + ": " + result.substr(kSkipped.size());
      continue;
    }
    EXPECT_EQ(result, c.expected);
  }
  if (skips > 0) {
    GTEST_SKIP() << skips << " of " << std::size(cases)
                 << " cases need what this machine does not grant: " << skipped;
  }
}

// Every call to the file system failing in turn, once or from then on, while the file goes
// out in many short writes: the path keeps its stale file only when looking at it or
// emptying it failed.
TEST_F(GenerateRobustnessTest, EveryInjectedFaultTransientOrPersistentOverManyPayments) {
  AddPayments(40);
  for (const bool persistent : {false, true}) {
    for (int n = 1;; ++n) {
      SCOPED_TRACE((persistent ? "persistent, call " : "transient, call ") + std::to_string(n));
      Stale();
      FaultFileSystem faults(PlatformFileSystem(), n, persistent);
      faults.set_short_writes(1000);
      FileSystem* previous = SetFileSystem(&faults);
      const std::string result = datei_.Generate();
      SetFileSystem(previous);
      if (!faults.fired()) {
        EXPECT_EQ(result, "");
        EXPECT_EQ(fs::file_size(path_), 256u + 40 * 256);
        break;
      }
      EXPECT_EQ(result, "Sonstiger Fehler:" + faults.Message());
      EXPECT_EQ(ReadFile(path_), n <= 2 ? kStale : "");
      EXPECT_EQ(FilesInDir(), 1u) << "a temporary file was left behind";
    }
  }
}

TEST_F(GenerateRobustnessTest, LongestFileNameTheFileSystemAllows) {
  // 255 bytes is the most a file name may have. The file itself can be made, so the
  // temporary file beside it must not need a longer name (regression: it was named
  // after the target plus a suffix, and every Generate to such a path failed with
  // "File name too long" after emptying the file).
  AddPayments(1);
  for (const std::size_t length : {std::size_t{200}, std::size_t{245}, std::size_t{255}}) {
    SCOPED_TRACE(length);
    const fs::path path = dir_ / (std::string(length - 4, 'D') + ".TXT");
    datei_.Pfad(path.string());
    EXPECT_EQ(datei_.Generate(), "");
    EXPECT_EQ(fs::file_size(path), 512u);
    fs::remove(path);
    EXPECT_EQ(FilesInDir(), 0u);
  }
  // One byte more and the platform refuses the file itself.
  datei_.Pfad((dir_ / (std::string(252, 'D') + ".TXT")).string());
  EXPECT_EQ(datei_.Generate(), "Sonstiger Fehler:File name too long");
}

// A drop box: a directory one may write into but not list (mode 0333). Its entry cannot be
// opened to be synced, and that must not fail Generate: the file is written, and its name
// is as durable as the file system makes it by itself. Root, whom no permission binds,
// tries it as another user.
TEST_F(GenerateRobustnessTest, WriteOnlyDirectoryTakesTheFile) {
  AddPayments(1);
  EXPECT_EQ(InChild([&](std::ostream& out) {
              if (std::string e = TakeOn(Handicap::kNoRoot, false, fs::perms{0333}); !e.empty()) {
                out << e;
                return;
              }
              std::error_code ec;
              out << datei_.Generate() << " | " << fs::file_size(path_, ec);
            }),
            " | 512");
}

// ---- Odd targets ----

// A bound Unix socket at `path`; false where the path is too long for one.
bool MakeSocket(const fs::path& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.string().size() >= sizeof address.sun_path) return false;
  std::strcpy(address.sun_path, path.c_str());
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  const bool bound =
      fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  if (fd >= 0) ::close(fd);  // the socket file stays
  return bound;
}

// No temporary file anywhere below the directory.
std::vector<std::string> TempFilesBelow(const fs::path& dir) {
  std::vector<std::string> found;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    if (entry.path().filename().string().starts_with(".dtaus-")) found.push_back(entry.path());
  }
  return found;
}

// What is not a regular file is refused before anything is touched; a symbolic link is
// followed, in chains and with relative targets, to the file that is then replaced in its
// own directory, while the link stays a link. Other hard links to the file keep the old
// content: the new file is a new file.
TEST_F(GenerateRobustnessTest, OddTargetsAreRefusedAndLinksFollowed) {
  AddPayments(1);
  const fs::path sub = dir_ / "sub";
  const fs::path real = sub / "real.txt";
  auto stale_at = [](const fs::path& p) { std::ofstream(p, std::ios::binary) << kStale; };
  auto written = [&](const fs::path& p) {
    return fs::file_size(p) == 512 && ReadFile(p) != kStale;
  };
  const std::string refused = "Sonstiger Fehler:Das Ziel ist ";
  const struct {
    const char* name;
    std::function<void()> make;  // builds the target at path_ and whatever it points to
    std::string expected;
    std::function<bool()> after;
  } cases[] = {
      {"a directory", [&] { fs::create_directory(path_); },
       refused + "ein Verzeichnis, keine Datei.",
       [&] { return fs::is_directory(path_) && fs::is_empty(path_); }},
      // Opening a FIFO for writing would wait for a reader for ever.
      {"a FIFO", [&] { ASSERT_EQ(::mkfifo(path_.c_str(), 0666), 0); },
       refused + "eine benannte Pipe (FIFO), keine Datei.", [&] { return fs::is_fifo(path_); }},
      {"a socket", [&] { ASSERT_TRUE(MakeSocket(path_)); }, refused + "ein Socket, keine Datei.",
       [&] { return fs::is_socket(path_); }},
      {"a link to a directory", [&] { fs::create_directory_symlink("sub", path_); },
       refused + "ein Verzeichnis, keine Datei.",
       [&] { return fs::is_symlink(path_) && fs::is_empty(sub); }},
      {"a link to a file",
       [&] {
         stale_at(real);
         fs::create_symlink("sub/real.txt", path_);
       },
       "",
       [&] { return fs::read_symlink(path_) == "sub/real.txt" && written(real); }},
      // DTAUS0.TXT -> /abs/hop (absolute) -> sub/link (relative) -> ../sub/real.txt, which
      // counts from sub/, where the second link is.
      {"a chain of links, relative and absolute",
       [&] {
         stale_at(real);
         fs::create_symlink("../sub/real.txt", sub / "link");
         fs::create_symlink("sub/link", dir_ / "hop");
         fs::create_symlink(dir_ / "hop", path_);
       },
       "",
       [&] {
         return fs::is_symlink(path_) && fs::is_symlink(dir_ / "hop") &&
                fs::is_symlink(sub / "link") && written(real);
       }},
      // As a shell's "> link" does: the file the link names is created.
      {"a dangling link", [&] { fs::create_symlink("sub/real.txt", path_); }, "",
       [&] { return fs::is_symlink(path_) && written(real); }},
      {"a loop of links",
       [&] {
         fs::create_symlink("DTAUS0.TXT", dir_ / "loop");
         fs::create_symlink("loop", path_);
       },
       "Sonstiger Fehler:Too many levels of symbolic links",
       [&] { return fs::is_symlink(path_) && fs::is_empty(sub); }},
      {"a file with a second hard link",
       [&] {
         stale_at(path_);
         fs::create_hard_link(path_, real);
       },
       "", [&] { return written(path_) && ReadFile(real) == kStale; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(dir_);
    fs::create_directories(sub);
    c.make();
    EXPECT_EQ(datei_.Generate(), c.expected);
    EXPECT_TRUE(c.after());
    EXPECT_EQ(TempFilesBelow(dir_), std::vector<std::string>{});
  }
}

// A device is refused as the other odd targets are. /dev/null itself is tried only
// without root (who could not replace it even if the refusal failed); root tries a null
// device of its own in the scratch directory.
TEST_F(GenerateRobustnessTest, DeviceIsRefusedAndStaysADevice) {
  AddPayments(1);
  std::string device = "/dev/null";
  if (::geteuid() == 0) {
    device = path_;
    if (::mknod(device.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) != 0) {
      GTEST_SKIP() << "cannot make a device node to try (" << std::strerror(errno)
                   << "), and /dev/null is not tried as root";
    }
  }
  datei_.Pfad(device);
  EXPECT_EQ(datei_.Generate(), "Sonstiger Fehler:Das Ziel ist ein Gerät, keine Datei.");
  EXPECT_TRUE(fs::is_character_file(device));
}

// ---- Hostile host input ----

// Every payment property whose text is written into record C as it is.
std::vector<Setter> WrittenTexts() {
  std::vector<Setter> texts = {&GeldTransfer::Name, &GeldTransfer::VerwendungsZweck};
  texts.insert(texts.end(), std::begin(kContinuations), std::end(kContinuations));
  return texts;
}

// Characters at the edges of Windows-1252 in every text of a payment that record C holds:
// written and read back as they were, or refused with the character named and a stale
// file emptied. In the header's name likewise, where the first of several is named.
TEST_F(GenerateRobustnessTest, CodePageBoundariesInEveryWrittenField) {
  const std::string refused = " kann in Windows-1252 nicht geschrieben werden.";
  datei_.GetMeineInfo()->Name("\u0141\u00D3D\u0179 GMBH");
  Stale();
  EXPECT_EQ(datei_.Generate(), "Sonstiger Fehler:Das Zeichen U+0141" + refused);
  EXPECT_EQ(ReadFile(path_), "");
  const struct {
    const char* text;
    const char* unmappable;  // nullptr: written
  } cases[] = {
      {"\u00FF", nullptr},       {"\u0100", "U+0100"},     {"\u20AC", nullptr},
      {"\u0081", nullptr},       {"\u0080", "U+0080"},     {"\u2122", nullptr},
      {"\uFFFD", "U+FFFD"},      {"\U0001F600", "U+1F600"}, {"\U0010FFFF", "U+10FFFF"},
      {"\u017E\u0178", nullptr}, {"A\u00A0B", nullptr},    {"SEE \u2603 ZEICHEN", "U+2603"},
  };
  const std::vector<Setter> texts = WrittenTexts();
  for (const auto& c : cases) {
    for (std::size_t i = 0; i < texts.size(); ++i) {
      // Name, VerwendungsZweck, then the continuations in part order
      SCOPED_TRACE(std::string(c.text) + " in text " + std::to_string(i));
      const std::string result = GenerateWith(texts[i], c.text);
      if (c.unmappable != nullptr) {
        EXPECT_EQ(result, "Sonstiger Fehler:Das Zeichen " + (c.unmappable + refused));
        EXPECT_EQ(ReadFile(path_), "");
        continue;
      }
      ASSERT_EQ(result, "");
      const DtausReader reader(ReadFile(path_));
      ASSERT_EQ(reader.Payments().size(), 2u);
      const PaymentRecord& p = reader.Payments()[1];
      EXPECT_EQ(i == 0 ? p.Name : i == 1 ? p.VerwendungsZweck : p.parts.at(0).text, c.text);
    }
  }
}

TEST_F(GenerateRobustnessTest, EmbeddedNulIsACharacterLikeAnyOther) {
  using namespace std::string_literals;
  auto g = ValidPayment();
  g->Name("ERIKA\0MUSTERMANN"s);
  g->VerwendungsZweck("\0"s);
  g->VerwendungsZweck2("ZWECK\0\0ENDE"s);
  // In numbers a NUL is no digit: the value is refused and the last one stays.
  const std::pair<Setter, std::string> numbers[] = {{&GeldTransfer::BLZ, "87654321"},
                                                    {&GeldTransfer::Konto, "1234567"},
                                                    {&GeldTransfer::FreieReferenz, "1"},
                                                    {&GeldTransfer::BetragEuro, "100"}};
  for (const auto& [setter, value] : numbers) {
    ((*g).*setter)(value.substr(0, value.size() - 1) + '\0');  // its last digit a NUL
  }
  EXPECT_EQ(g->InputFieldsErrors(),
            "Fehler in GeldTransfer:\r\r - Ungültiger Wert in Feld <BLZ>.\r"
            " - Ungültiger Wert in Feld <Konto>.\r - Ungültiger Wert in Feld <FreieReferenz>.\r"
            " - Ungültiger Wert in Feld <Euro Betrag>.\r");
  EXPECT_EQ(g->BLZ(), "87654321");
  for (const auto& [setter, value] : numbers) ((*g).*setter)(value);
  datei_.AddGeldTransfer(g);
  ASSERT_EQ(datei_.Generate(), "");
  const DtausReader reader(ReadFile(path_));
  EXPECT_FALSE(reader.HasErrors());
  ASSERT_EQ(reader.Payments().size(), 1u);
  const PaymentRecord& c = reader.Payments()[0];
  ASSERT_EQ(c.parts.size(), 1u);
  EXPECT_EQ((std::vector<std::string>{c.Name, c.VerwendungsZweck, c.parts[0].text}),
            (std::vector<std::string>{"ERIKA\0MUSTERMANN"s, "\0"s, "ZWECK\0\0ENDE"s}));
}

TEST_F(GenerateRobustnessTest, TextsBeyondTheSixteenBitLengthOfAField) {
  // Field lengths are 16-bit counts: 32,767 characters is the most a field could ever
  // render. Longer texts must be refused by their rules, never reach a record, and never
  // take the library down.
  const Setter numbers[] = {&GeldTransfer::BLZ, &GeldTransfer::Konto, &GeldTransfer::FreieReferenz};
  for (const std::size_t n : {std::size_t{32767}, std::size_t{32768}, std::size_t{40000}}) {
    for (const char* unit : {"A", "\u00C4", "9"}) {
      SCOPED_TRACE(std::to_string(n) + " x " + unit);
      const std::string text = Repeat(unit, n);
      MeineInfo header;
      FillValidHeader(header);
      for (const auto setter : {&MeineInfo::Name, &MeineInfo::BLZ, &MeineInfo::Konto,
                                &MeineInfo::FreieReferenz, &MeineInfo::AktuellesDatum}) {
        (header.*setter)(text);  // the name is stored all the same: the header stays unwritable
      }
      EXPECT_EQ(header.MeineInfoErrors(),
                "Fehler in MeineInfo:\r\r"
                " - Wert hat nicht max. 27 Buchstaben in Feld <Name>.\r"
                " - Wert hat nicht genau 8 Stellen in Feld <BLZ>.\r"
                " - Wert hat nicht max. 10 Stellen in Feld <Konto>.\r"
                " - Wert hat nicht max. 10 Stellen in Feld <FreieReferenz>.\r"
                " - Ungültiger Format für Feld <AktuellesDatum> (Ungültiger Format ).\r");
      EXPECT_EQ(MeineInfoAccess::getHeaderAsStream(header),
                "ERROR: Header contains invalid fields");

      GeldTransfer g;
      for (const Setter setter : WrittenTexts()) (g.*setter)(text);
      for (const Setter setter : numbers) (g.*setter)(text);
      EXPECT_FALSE(g.InputFieldsValid());
      EXPECT_EQ(g.BLZ() + g.Konto(), "");
    }
  }
  // Amounts of thousands of digits: beyond the double range a failure (the amount before
  // stays); a long fraction of zeros is just zero.
  auto huge = ValidPayment();
  huge->BetragEuro(std::string(40000, '9'));
  EXPECT_EQ(huge->InputFieldsErrors(),
            "Fehler in GeldTransfer:\r\r - Sonstiger Fehler bei <Euro Betrag>.\r");
  EXPECT_EQ(huge->BetragEuroBrutto(), "11900");
  auto tiny = ValidPayment();
  tiny->BetragEuro("0." + std::string(40000, '0') + "1");
  EXPECT_EQ(tiny->BetragEuroBrutto(), "0");
  EXPECT_TRUE(tiny->InputFieldsValid());
}

}  // namespace
}  // namespace dtaus::detail
