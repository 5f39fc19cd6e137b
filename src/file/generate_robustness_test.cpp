// Generate against a hostile world: real file-system failures and hostile host input.
//
// The injected faults of dtaus_datei_test.cpp and file_writer_test.cpp prove the error
// paths call by call; here the same promises are held against the operating system
// itself: a directory that refuses new files, a disk that runs full in the middle of the
// write, a file-size limit that cuts a write in half, a rename the kernel forbids, a
// read-only file system. Each case runs in a child process that first takes on the
// handicap (drops root, mounts a tiny tmpfs in its own mount namespace, lowers a limit),
// so nothing leaks into the test run and root cannot simply override a permission.
//
// Every failure must come back as "Sonstiger Fehler:" with the platform's description,
// and leave an empty file at the path (or the file as it was, when it could not even be
// opened), never a partial file and never a temporary file.
#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "dtaus/dtaus.h"
#include "dtaus/dtaus_reader.h"
#include "file/fault_file_system.h"
#include "records/test_support.h"

namespace dtaus::detail {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;
const std::string kStale = "stale content of an earlier run";

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// What a child saw: Generate's result, the file at the path and the directory's entries.
struct Outcome {
  std::string setup_error;  // set when the child could not take on its handicap
  std::string result;
  std::string file;  // the content, or "<absent>"
  std::vector<std::string> entries;
};

// Runs `prepare` and then `generate` in a child process and reports what it saw in `dir`.
Outcome InChild(const fs::path& dir, const fs::path& path,
                const std::function<std::string()>& prepare,
                const std::function<std::string()>& generate) {
  int fds[2];
  if (::pipe(fds) != 0) return {std::string("pipe: ") + std::strerror(errno), "", "", {}};
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    std::string report;
    if (std::string error = prepare(); !error.empty()) {
      report = "S" + error;
    } else {
      report = "R" + generate() + '\x1E';
      report += fs::exists(path) ? ReadAll(path) : "<absent>";
      for (const auto& e : fs::directory_iterator(dir)) report += '\x1E' + e.path().filename().string();
    }
    for (std::size_t done = 0; done < report.size();) {
      const ssize_t n = ::write(fds[1], report.data() + done, report.size() - done);
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    ::_exit(0);  // no destructors, no leak check: the parent owns the test run
  }
  ::close(fds[1]);
  std::string report;
  char buffer[4096];
  for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) report.append(buffer, n);
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  Outcome out;
  if (report.empty()) {
    out.setup_error = "the child died (status " + std::to_string(status) + ")";
  } else if (report[0] == 'S') {
    out.setup_error = report.substr(1);
  } else {
    std::vector<std::string> parts;
    std::size_t start = 1;
    for (std::size_t end; (end = report.find('\x1E', start)) != std::string::npos; start = end + 1) {
      parts.push_back(report.substr(start, end - start));
    }
    parts.push_back(report.substr(start));
    out.result = parts[0];
    out.file = parts[1];
    out.entries.assign(parts.begin() + 2, parts.end());
  }
  return out;
}

std::string Errno(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

// Gives up root, so that permissions apply. Without root there is nothing to give up.
std::string DropRoot() {
  if (::geteuid() != 0) return "";
  if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
    return Errno("dropping root");
  }
  return "";
}

// A private mount namespace with a tmpfs of `options` at `dir`. Needs root (CAP_SYS_ADMIN),
// which this project's CI and development machines have.
std::string MountTmpfs(const fs::path& dir, const char* options) {
  if (::unshare(CLONE_NEWNS) != 0) {
    return Errno("unshare(CLONE_NEWNS): mounting a small file system needs root (CAP_SYS_ADMIN)");
  }
  if (::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return Errno("private /");
  if (::mount("tmpfs", dir.c_str(), "tmpfs", 0, options) != 0) return Errno("mount tmpfs");
  return "";
}

class GenerateRobustnessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // One directory per process: several builds of this checkout may run their tests at once.
    dir_ = fs::path(::testing::TempDir()) /
           ("robust_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    fs::permissions(dir_, fs::perms::all);  // reachable once root is dropped
    path_ = dir_ / "DTAUS0.TXT";
    datei_.Pfad(path_.string());
    FillValidHeader(*datei_.GetMeineInfo());
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(dir_, ignored);
  }

  void Stale() const {
    std::ofstream(path_, std::ios::binary) << kStale;
    fs::permissions(path_, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                               fs::perms::group_write | fs::perms::others_read |
                               fs::perms::others_write);
  }
  // A file big enough to overflow the small disks below: record A, 300 records C, record E.
  void AddPayments(int n) {
    auto g = ValidPayment();
    for (int i = 0; i < n; ++i) datei_.AddGeldTransfer(g);
  }
  std::function<std::string()> Generate() {
    return [this] { return datei_.Generate(); };
  }

  ScopedToday today_{2026, 3, 10};
  fs::path dir_;
  fs::path path_;
  DtausDatei datei_;
};

void ExpectNoTemporaryFile(const Outcome& o) {
  for (const std::string& e : o.entries) EXPECT_EQ(e, "DTAUS0.TXT") << "left behind";
}

TEST_F(GenerateRobustnessTest, ReadOnlyDirectoryRefusesTheFile) {
  AddPayments(1);
  fs::permissions(dir_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                            fs::perms::others_read | fs::perms::others_exec);
  const Outcome o = InChild(dir_, path_, DropRoot, Generate());
  ASSERT_EQ(o.setup_error, "");
  EXPECT_EQ(o.result, "Sonstiger Fehler:Permission denied");
  EXPECT_EQ(o.file, "<absent>");
  EXPECT_TRUE(o.entries.empty());
}

TEST_F(GenerateRobustnessTest, ReadOnlyDirectoryStillEmptiesAWritableStaleFile) {
  // The stale file can be emptied, but no temporary file can be made beside it: the file
  // stays empty rather than keeping the old payments.
  AddPayments(1);
  Stale();
  fs::permissions(dir_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                            fs::perms::others_read | fs::perms::others_exec);
  const Outcome o = InChild(dir_, path_, DropRoot, Generate());
  ASSERT_EQ(o.setup_error, "");
  EXPECT_EQ(o.result, "Sonstiger Fehler:Permission denied");
  EXPECT_EQ(o.file, "");
  ExpectNoTemporaryFile(o);
}

TEST_F(GenerateRobustnessTest, ReadOnlyFileSystemLeavesTheStaleFileAsItWas) {
  AddPayments(1);
  const auto prepare = [this] {
    if (std::string e = MountTmpfs(dir_, "size=64k"); !e.empty()) return e;
    Stale();
    if (::mount(nullptr, dir_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
      return Errno("remount read-only");
    }
    return std::string();
  };
  const Outcome o = InChild(dir_, path_, prepare, Generate());
  ASSERT_EQ(o.setup_error, "");
  EXPECT_EQ(o.result, "Sonstiger Fehler:Read-only file system");
  EXPECT_EQ(o.file, kStale);  // it could not even be opened for writing
  ExpectNoTemporaryFile(o);
}

TEST_F(GenerateRobustnessTest, FullDiskInTheMiddleOfTheWrite) {
  AddPayments(300);  // 77,056 bytes for a disk of 64 KiB
  const auto prepare = [this] {
    if (std::string e = MountTmpfs(dir_, "size=64k"); !e.empty()) return e;
    Stale();
    return std::string();
  };
  const Outcome o = InChild(dir_, path_, prepare, Generate());
  ASSERT_EQ(o.setup_error, "");
  EXPECT_EQ(o.result, "Sonstiger Fehler:No space left on device");
  EXPECT_EQ(o.file, "");
  ExpectNoTemporaryFile(o);
}

TEST_F(GenerateRobustnessTest, FileSizeLimitCutsTheWriteInHalf) {
  // The kernel takes the first 10,000 bytes and refuses the rest: a real short write
  // followed by a failing one.
  AddPayments(300);
  Stale();
  const auto prepare = [] {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{10000, 10000};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return Errno("setrlimit");
    return std::string();
  };
  const Outcome o = InChild(dir_, path_, prepare, Generate());
  ASSERT_EQ(o.setup_error, "");
  EXPECT_EQ(o.result, "Sonstiger Fehler:File too large");
  EXPECT_EQ(o.file, "");
  ExpectNoTemporaryFile(o);
}

TEST_F(GenerateRobustnessTest, RenameForbiddenInAStickyDirectory) {
  // A shared directory like /tmp: anyone may create files, but only the owner of a file
  // may replace it. The stale file belongs to root and is writable by all, so another
  // user can empty it and write a temporary file, and only the rename fails.
  ASSERT_EQ(::geteuid(), 0u) << "this case needs root to own the file as another user";
  AddPayments(1);
  Stale();
  fs::permissions(dir_, fs::perms::all | fs::perms::sticky_bit);
  const Outcome o = InChild(dir_, path_, DropRoot, Generate());
  ASSERT_EQ(o.setup_error, "");
  EXPECT_EQ(o.result, "Sonstiger Fehler:Operation not permitted");
  EXPECT_EQ(o.file, "");
  ExpectNoTemporaryFile(o);
}

TEST_F(GenerateRobustnessTest, EveryInjectedFaultTransientOrPersistentOverManyPayments) {
  AddPayments(40);
  for (const bool persistent : {false, true}) {
    for (int n = 1;; ++n) {
      SCOPED_TRACE((persistent ? "persistent, call " : "transient, call ") + std::to_string(n));
      Stale();
      FaultFileSystem faults(PlatformFileSystem(), n, persistent);
      faults.set_short_writes(1000);  // the data goes out in many pieces
      FileSystem* previous = SetFileSystem(&faults);
      const std::string result = datei_.Generate();
      SetFileSystem(previous);
      if (!faults.fired()) {
        EXPECT_EQ(result, "");
        EXPECT_EQ(fs::file_size(path_), 256u + 40 * 256);
        break;
      }
      EXPECT_EQ(result, "Sonstiger Fehler:" + faults.message());
      EXPECT_EQ(ReadAll(path_), n == 1 ? kStale : "");
      EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), 1);
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
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), 0);
  }
  // One byte more and the platform refuses the file itself.
  datei_.Pfad((dir_ / (std::string(252, 'D') + ".TXT")).string());
  EXPECT_EQ(datei_.Generate(), "Sonstiger Fehler:File name too long");
}

// ---- Hostile host input ----

using PaymentSetter = void (GeldTransfer::*)(std::string_view);
struct TextField {
  const char* name;
  PaymentSetter setter;
};
// Every payment property whose text is written into record C as it is.
constexpr TextField kWrittenPaymentTexts[] = {
    {"Name", &GeldTransfer::Name},
    {"VerwendungsZweck", &GeldTransfer::VerwendungsZweck},
    {"Name2", &GeldTransfer::Name2},
    {"VerwendungsZweck2", &GeldTransfer::VerwendungsZweck2},
    {"VerwendungsZweck3", &GeldTransfer::VerwendungsZweck3},
    {"VerwendungsZweck4", &GeldTransfer::VerwendungsZweck4},
    {"VerwendungsZweck5", &GeldTransfer::VerwendungsZweck5},
    {"VerwendungsZweck6", &GeldTransfer::VerwendungsZweck6},
    {"VerwendungsZweck7", &GeldTransfer::VerwendungsZweck7},
    {"VerwendungsZweck8", &GeldTransfer::VerwendungsZweck8},
    {"VerwendungsZweck9", &GeldTransfer::VerwendungsZweck9},
    {"VerwendungsZweck10", &GeldTransfer::VerwendungsZweck10},
    {"VerwendungsZweck11", &GeldTransfer::VerwendungsZweck11},
    {"VerwendungsZweck12", &GeldTransfer::VerwendungsZweck12},
    {"VerwendungsZweck13", &GeldTransfer::VerwendungsZweck13},
    {"VerwendungsZweck14", &GeldTransfer::VerwendungsZweck14},
    {"MeineInfoName2", &GeldTransfer::MeineInfoName2},
};

TEST_F(GenerateRobustnessTest, CharacterOutsideWindows1252InEveryWrittenField) {
  // The header's name first, then each text of a payment, each with a stale file waiting.
  datei_.GetMeineInfo()->Name("\u0141\u00D3D\u0179 GMBH");
  Stale();
  EXPECT_EQ(datei_.Generate(),
            "Sonstiger Fehler:Das Zeichen U+0141 kann in Windows-1252 nicht geschrieben werden.");
  EXPECT_EQ(ReadAll(path_), "");
  datei_.GetMeineInfo()->Name("MUSTERMANN GMBH");

  for (const TextField& f : kWrittenPaymentTexts) {
    SCOPED_TRACE(f.name);
    DtausDatei datei;
    datei.Pfad(path_.string());
    FillValidHeader(*datei.GetMeineInfo());
    auto ok = ValidPayment();
    auto bad = ValidPayment();
    (bad.get()->*f.setter)("SEE \u2603 ZEICHEN");  // U+2603, a snowman: not in the code page
    datei.AddGeldTransfer(ok);
    datei.AddGeldTransfer(bad);
    Stale();
    EXPECT_EQ(datei.Generate(),
              "Sonstiger Fehler:Das Zeichen U+2603 kann in Windows-1252 nicht geschrieben werden.");
    EXPECT_EQ(ReadAll(path_), "");
  }
}

TEST_F(GenerateRobustnessTest, CodePageBoundaries) {
  const struct {
    const char* text;
    const char* unmappable;  // nullptr: written
  } cases[] = {
      {"\u00FF", nullptr},       {"\u0100", "U+0100"},     {"\u20AC", nullptr},
      {"\u0081", nullptr},       {"\u0080", "U+0080"},     {"\u2122", nullptr},
      {"\uFFFD", "U+FFFD"},      {"\U0001F600", "U+1F600"}, {"\U0010FFFF", "U+10FFFF"},
      {"\u017E\u0178", nullptr}, {"A\u00A0B", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    DtausDatei datei;
    datei.Pfad(path_.string());
    FillValidHeader(*datei.GetMeineInfo());
    auto g = ValidPayment();
    g->VerwendungsZweck(c.text);
    datei.AddGeldTransfer(g);
    const std::string result = datei.Generate();
    if (c.unmappable == nullptr) {
      EXPECT_EQ(result, "");
      const DtausReader reader(ReadAll(path_));
      ASSERT_EQ(reader.Payments().size(), 1u);
      EXPECT_EQ(reader.Payments()[0].VerwendungsZweck, c.text);
    } else {
      EXPECT_EQ(result, std::string("Sonstiger Fehler:Das Zeichen ") + c.unmappable +
                            " kann in Windows-1252 nicht geschrieben werden.");
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
  g->BLZ("8765432\0"s);
  g->Konto("123\0"s);
  g->FreieReferenz("\0"s);
  g->BetragEuro("1\0"s);
  EXPECT_EQ(g->InputFieldsErrors(),
            "Fehler in GeldTransfer:\r\r - Ungültiger Wert in Feld <BLZ>.\r"
            " - Ungültiger Wert in Feld <Konto>.\r - Ungültiger Wert in Feld <FreieReferenz>.\r"
            " - Ungültiger Wert in Feld <Euro Betrag>.\r");
  EXPECT_EQ(g->BLZ(), "87654321");
  g->BLZ("87654321");
  g->Konto("1234567");
  g->FreieReferenz("1");
  g->BetragEuro("100");
  datei_.AddGeldTransfer(g);
  ASSERT_EQ(datei_.Generate(), "");
  const DtausReader reader(ReadAll(path_));
  EXPECT_FALSE(reader.HasErrors());
  ASSERT_EQ(reader.Payments().size(), 1u);
  const PaymentRecord& c = reader.Payments()[0];
  EXPECT_EQ(c.Name, "ERIKA\0MUSTERMANN"s);
  EXPECT_EQ(c.VerwendungsZweck, "\0"s);
  ASSERT_EQ(c.parts.size(), 1u);
  EXPECT_EQ(c.parts[0].text, "ZWECK\0\0ENDE"s);
}

TEST_F(GenerateRobustnessTest, TextsBeyondTheSixteenBitLengthOfAField) {
  // Field lengths are 16-bit counts: 32,767 characters is the most a field could ever
  // render. Longer texts must be refused by their rules, never reach a record, and never
  // take the library down.
  for (const std::size_t n : {std::size_t{32767}, std::size_t{32768}, std::size_t{40000}}) {
    for (const char* unit : {"A", "\u00C4", "9"}) {
      SCOPED_TRACE(std::to_string(n) + " x " + unit);
      std::string text;
      for (std::size_t i = 0; i < n; ++i) text += unit;

      MeineInfo header;
      FillValidHeader(header);
      header.Name(text);  // stored all the same, and the header stays unwritable
      header.BLZ(text);
      header.Konto(text);
      header.FreieReferenz(text);
      header.AktuellesDatum(text);
      EXPECT_EQ(header.MeineInfoErrors(),
                "Fehler in MeineInfo:\r\r"
                " - Wert hat nicht max. 27 Buchstaben in Feld <Name>.\r"
                " - Wert hat nicht genau 8 Stellen in Feld <BLZ>.\r"
                " - Wert hat nicht max. 10 Stellen in Feld <Konto>.\r"
                " - Wert hat nicht max. 10 Stellen in Feld <FreieReferenz>.\r"
                " - Ungültiger Format für Feld <AktuellesDatum> (Ungültiger Format ).\r");
      EXPECT_EQ(MeineInfoPeer::Header(header), "ERROR: Header contains invalid fields");

      GeldTransfer g;
      for (const TextField& f : kWrittenPaymentTexts) (g.*f.setter)(text);
      g.BLZ(text);
      g.Konto(text);
      g.FreieReferenz(text);
      EXPECT_FALSE(g.InputFieldsValid());
      EXPECT_EQ(g.BLZ(), "");
      EXPECT_EQ(g.Konto(), "");
    }
  }
  // Amounts of thousands of digits: beyond the double range a failure, below it too many
  // cents; a long fraction of zeros is just zero.
  const struct {
    std::string text;
    const char* stored;
    const char* message;
  } amounts[] = {
      {std::string(40000, '9'), "", " - Sonstiger Fehler bei <Euro Betrag>.\r"},
      {std::string(300, '9'), "", " - Wert hat nicht max. 11 Stellen in Feld <Euro Betrag>.\r"},
      {"0." + std::string(40000, '0') + "1", "0", ""},
  };
  for (const auto& a : amounts) {
    SCOPED_TRACE(a.text.substr(0, 12));
    GeldTransfer g;
    g.BLZ("87654321");
    g.Name("N");
    g.Konto("1");
    g.BetragEuro(a.text);
    EXPECT_EQ(g.BetragEuroBrutto(), a.stored);
    EXPECT_EQ(g.InputFieldsErrors(), std::string("Fehler in GeldTransfer:\r\r") + a.message);
  }
}

}  // namespace
}  // namespace dtaus::detail
