// Generate against a hostile world: real file-system failures and hostile host input.
//
// The injected faults prove the error paths call by call; here the same promises are held
// against the operating system itself: a directory that refuses new files, a disk that
// runs full in the middle of the write, a file-size limit that cuts a write in half, a
// rename the kernel forbids, a read-only file system. Each case runs in a child process
// that first takes on the handicap (drops root, mounts a tiny tmpfs in its own mount
// namespace, lowers a limit), so nothing leaks into the test run and root cannot simply
// override a permission.
//
// Every failure must come back as "Sonstiger Fehler:" with the platform's description,
// and leave an empty file at the path (or the file as it was, when it could not even be
// opened), never a partial file and never a temporary file.
#include <grp.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
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

enum class Handicap { kNoRoot, kReadOnlyFileSystem, kSmallDisk, kFileSizeLimit };

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

  // In the child, as root: a tmpfs of 64 KiB in a private mount namespace where the
  // handicap wants one, the stale file, the directory's permissions, then the handicap.
  std::string TakeOn(Handicap handicap, bool stale, fs::perms dir) {
    if (handicap == Handicap::kReadOnlyFileSystem || handicap == Handicap::kSmallDisk) {
      if (::unshare(CLONE_NEWNS) != 0 ||
          ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
          ::mount("tmpfs", dir_.c_str(), "tmpfs", 0, "size=64k") != 0) {
        return Errno("a tmpfs in a mount namespace of its own (needs CAP_SYS_ADMIN)");
      }
    }
    if (stale) Stale();
    fs::permissions(dir_, dir);
    if (handicap == Handicap::kReadOnlyFileSystem &&
        ::mount(nullptr, dir_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
      return Errno("remount read-only");
    }
    // Only root can become another user, whom the permissions then bind.
    constexpr uid_t kNobody = 65534;
    if (handicap == Handicap::kNoRoot && (::geteuid() != 0 || ::setgroups(0, nullptr) != 0 ||
                                          ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
      return Errno("dropping root (the test needs root)");
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
  const fs::perms read_only_dir = fs::perms{0755};
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
      {"rename forbidden in a sticky directory", Handicap::kNoRoot, 1, true,
       fs::perms::all | fs::perms::sticky_bit,
       "Sonstiger Fehler:Operation not permitted | \"\" | DTAUS0.TXT"},
  };
  // The child reports "<Generate's result> | <the file> | <the directory's entries>" into
  // a file beside the directory, which it may mount over; opened while it is still root.
  const fs::path report = dir_.string() + ".report";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::permissions(dir_, fs::perms::all);
    fs::remove(path_);
    fs::remove(report);
    int status = 0;
    if (const pid_t pid = ::fork(); pid == 0) {
      std::ofstream out(report, std::ios::binary);
      if (std::string e = TakeOn(c.handicap, c.stale, c.dir); !e.empty()) {
        out << e;
      } else {
        AddPayments(c.payments);
        out << datei_.Generate() << " | ";
        out << (fs::exists(path_) ? '"' + ReadFile(path_) + "\" |" : "no file |");
        for (const auto& entry : fs::directory_iterator(dir_)) {
          out << " " << entry.path().filename().string();
        }
      }
      out.close();
      ::_exit(0);  // no destructors, no leak check: the parent owns the test run
    } else {
      ::waitpid(pid, &status, 0);
    }
    EXPECT_EQ(ReadFile(report), c.expected) << "the child's status: " << status;
  }
  fs::remove(report);
}

// Every call to the file system failing in turn, once or from then on, while the file goes
// out in many short writes: the path keeps its stale file only when emptying it failed.
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
      EXPECT_EQ(result, "Sonstiger Fehler:" + faults.message());
      EXPECT_EQ(ReadFile(path_), n == 1 ? kStale : "");
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
