// The property-sequence harness: arbitrary calls on the public classes, then Generate.
//
// The input is a small program. Each instruction byte picks a call (a header property, a
// payment property, adding a payment, a new path, Generate, ...) and the bytes after it
// its arguments: texts from a dictionary of DTAUS values, raw bytes (invalid UTF-8
// included), texts of 27, 28, 32,767, 32,768 or 40,000 characters, dates around today.
//
// Beside the real objects the harness keeps a model of each: the broken rules and the
// stored values, updated by the documented rules in their plainest form (reference.h
// does the number and date checks). After every call the model must agree with the
// object's validity, its number of broken rules and its getters. Generate must return
// exactly the result the model predicts and leave the file in the state that result
// promises: on success a file that the reader takes without a single error and whose
// every field, count and control sum equals the objects' values; on any other result a
// file that is empty or was never touched; never a temporary file left behind; never an
// exception towards the host.
#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <locale>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "dtaus/dtaus.h"
#include "dtaus/dtaus_reader.h"
#include "fields/clock.h"
#include "file/fault_file_system.h"
#include "records/test_support.h"
#include "file/file_system.h"
#include "harness.h"
#include "reference.h"

namespace dtaus::fuzz {
namespace {

using namespace std::string_view_literals;
namespace fs = std::filesystem;

// ---- Input ----

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool empty() const { return pos_ >= size_; }
  std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  std::string Bytes(std::size_t n) {
    n = std::min(n, size_ - std::min(pos_, size_));
    std::string out(reinterpret_cast<const char*>(data_ + pos_), n);
    pos_ += n;
    return out;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

// Values a host might send, the boundaries of every rule, and what no host should send.
constexpr std::string_view kDictionary[] = {
    ""sv, "0"sv, "00000000"sv, "12345678"sv, "87654321"sv, "1234567"sv, "123456789"sv,
    "1234567890"sv, "12345678901"sv, "1234567890123"sv, "12345678901234"sv, "-5"sv, "+5"sv,
    " 42 "sv, "1.5"sv, "1,5"sv, "0,00"sv, "0.0"sv, "12a"sv, "1234567X"sv,
    "\uFF11\uFF12\uFF13\uFF14\uFF15\uFF16\uFF17\uFF18"sv,  // fullwidth digits: not ASCII
    "100"sv, "1"sv, "0.01"sv, "12.34"sv, "12,34"sv, "1.234,56"sv, "1,234.56"sv,
    "999999999.99"sv, "840336134.44"sv, "840336134.45"sv, "-1"sv, "-0.001"sv, "0.004"sv,
    "0.005"sv, "1e5"sv, "inf"sv, "nan"sv, "0x10"sv, "$5"sv, "10"sv, "119"sv, "\t7\t"sv,
    "0.0000000000000000000000000001"sv, "1.19"sv, "99999999999"sv, "8403361344.5378"sv,
    "MUSTERMANN GMBH"sv, "ERIKA MUSTERMANN"sv, "M\u00DCLLER & S\u00D6HNE"sv,
    "J\u00DCRGEN GRO\u00DF"sv, "BEITRAG 10 \u20AC"sv, "\u0141\u00D3D\u0179"sv, "\u03A9"sv,
    "\u0081 STEUERZEICHEN"sv, "STRA\u1E9EE"sv, "\U0001F600"sv, "AB\0CD"sv, "A\r\nB"sv,
    "XXXXXXXXXXXXXXXXXXXXXXXXXXX"sv, "XXXXXXXXXXXXXXXXXXXXXXXXXXXX"sv, "NAME   "sv, "   "sv,
    "\u0178\u0152\u0160\u017D\u0192\u02C6\u02DC\u2122"sv, "\u00FF\u0100"sv,
    "05.12.26"sv, "051226"sv, "31.11.26"sv, "310226"sv, "001226"sv, "321226"sv, "051326"sv,
    "0512xx"sv, "5.12.26"sv, "010130"sv, "311299"sv, "+11226"sv, "05122026"sv,
    "\xC3\x28"sv, "\xFF"sv, "\xED\xA0\x80"sv, "\xC0\xAF"sv, "\xF4\x90\x80\x80"sv, "1\xC3("sv,
    "12\xFF" "45678"sv, "\xE2\x82"sv,
};

// Repeated units for the long texts; lengths count characters.
constexpr std::string_view kUnits[] = {"A"sv, "9"sv, "\u00C4"sv, "\u20AC"sv, "\u0141"sv,
                                       "\xFF"sv, " "sv, "\0"sv, "\U0001F600"sv};
// Mostly the boundary of the text fields; now and then beyond the 16-bit length of a field.
constexpr std::size_t kLengths[] = {26, 27, 28, 26, 27, 28, 26, 27, 28, 26, 27, 28, 0, 32767, 32768, 40000};

std::string Repeat(std::string_view unit, std::size_t n) {
  std::string out;
  out.reserve(unit.size() * n);
  for (std::size_t i = 0; i < n; ++i) out += unit;
  return out;
}

ref::Today g_today{2026, 3, 10};
detail::CivilDate PinnedToday() { return {g_today.year, g_today.month, g_today.day}; }

std::string Text(Input& in) {
  const std::uint8_t kind = in.Byte();
  switch (kind % 5) {
    case 0:
      return in.Bytes(in.Byte());
    case 1:
      return std::string(kDictionary[in.Byte() % std::size(kDictionary)]);
    case 2: {
      const std::string_view unit = kUnits[in.Byte() % std::size(kUnits)];
      return Repeat(unit, kLengths[in.Byte() % std::size(kLengths)]);
    }
    case 3: {
      // A date some days from today, in one of the forms the header accepts or nearly so.
      const int offset = static_cast<std::int8_t>(in.Byte()) % 40;
      static constexpr std::string_view kSeparators[] = {""sv, "."sv, "/"sv, "\u00E4"sv, "-"sv};
      const std::uint8_t form = in.Byte();
      return ref::DateText(g_today, offset, form & 1, kSeparators[(form >> 1) % 5]);
    }
    default: {
      // A dictionary value with a few bytes inserted somewhere.
      std::string base(kDictionary[in.Byte() % std::size(kDictionary)]);
      const std::size_t at = base.empty() ? 0 : in.Byte() % (base.size() + 1);
      base.insert(at, in.Bytes(in.Byte() % 4));
      return base;
    }
  }
}

// ---- The model ----

struct Separators {
  char decimal_point = '.';
  char thousands_sep = ',';
};
Separators g_separators;

std::optional<std::size_t> Length(std::string_view text) {
  const auto chars = ref::DecodeUtf8(text);
  if (!chars) return std::nullopt;
  return chars->size();
}

bool Digits(std::string_view text) { return ref::IsDigitNumber(text); }

// What the header and payment models share: the set of broken rules, and the checks
// of a numeric DTAUS field (failure, length and invalid-value rules).
struct ModelRules {
  std::set<int> rules;

  void Break(int r) { rules.insert(r); }
  void Clear(int r) { rules.erase(r); }
  void Number(std::string_view v, std::size_t width, int failure, int length, int invalid,
              std::string& target) {
    Clear(failure);
    const auto n = Length(v);
    if (!n) return Break(failure);
    if (*n > width) return Break(length);
    Clear(length);
    if (!Digits(v)) return Break(invalid);
    target = v;
    Clear(invalid);
  }
};

struct HeaderModel : ModelRules {
  HeaderModel() { rules = {1010, 1020, 1030, 1040, 1060}; }
  std::string satz, kenn, blz, name, konto, referenz;
  std::string datum = ref::DateText(g_today, 0, false, "");
  std::string ausfuehrung = ref::DateText(g_today, 0, true, "");

  void Media(std::int32_t m) {
    Clear(1010);
    if (m == 0 || m == 1) {
      satz = m == 0 ? "0128" : "0256";
      Clear(1011);
    } else {
      Break(1011);
    }
  }
  void Typ(std::int32_t t) {
    Clear(1020);
    if (t == 0 || t == 1) {
      kenn = t == 0 ? "LK" : "GK";
      Clear(1021);
    } else {
      Break(1021);
    }
  }
  void Blz(std::string_view v) {
    Clear(1033), Clear(1030);
    const auto n = Length(v);
    if (!n) return Break(1033);
    if (*n != 8) return Break(1031);
    Clear(1031);
    if (!Digits(v)) return Break(1032);
    Clear(1032);
    blz = v;
  }
  void Name(std::string_view v) {
    Clear(1042), Clear(1040);
    const auto n = Length(v);
    if (!n) return Break(1042);
    if (*n > 27) {
      Break(1041);
    } else {
      Clear(1041);
    }
    name = v;
  }

  void Konto(std::string_view v) {
    Clear(1060);
    Number(v, 10, 1063, 1061, 1062, konto);
  }
  void Referenz(std::string_view v) { Number(v, 10, 1072, 1070, 1071, referenz); }
  void Datum(std::string_view v) {
    Clear(1052);
    if (!Length(v)) return Break(1052);
    const ref::DateResult r = ref::FormatDate(v, false, g_today);
    if (!r.error.empty()) {
      datum.clear();
      return Break(1051);
    }
    datum = r.compact;
    Clear(1051);
  }
  void Ausfuehrung(std::string_view v) {
    Clear(1083);
    if (!Length(v)) return Break(1083);
    if (v.empty()) {
      ausfuehrung.clear();
      return;
    }
    if (datum.empty()) return Break(1080);
    Clear(1080);
    const ref::DateResult r = ref::FormatDate(v, true, g_today);
    if (!r.error.empty()) return Break(1081);
    ausfuehrung = r.compact;
    Clear(1081);
    const std::int64_t days = ref::DaysBetween(datum, ausfuehrung);
    // The day count is a 16-bit number: beyond it the assignment fails unexpectedly.
    if (days < -32768 || days > 32767) return Break(1083);
    if (days < 0 || days > 15) {
      Break(1082);
    } else {
      Clear(1082);
    }
  }
};

constexpr int kParts = 15;

struct PaymentModel : ModelRules {
  PaymentModel() { rules = {2060, 2070, 2080, 2090}; }
  std::string blz, konto, referenz, cents, name, zweck;
  std::array<std::optional<std::string>, kParts> parts;  // 01, 02 x 13, 03

  void Blz(std::string_view v) {
    Clear(2060), Clear(2063);
    const auto n = Length(v);
    if (!n) return Break(2063);
    if (*n != 8) return Break(2062);
    Clear(2062);
    if (!Digits(v)) return Break(2061);
    blz = v;
    Clear(2061);
  }
  void Text27(std::string_view v, int failure, int length, std::string& target) {
    Clear(failure);
    const auto n = Length(v);
    if (!n) return Break(failure);
    if (*n > 27) return Break(length);
    target = v;
    Clear(length);
  }
  void Name(std::string_view v) {
    Clear(2070);
    Text27(v, 2072, 2071, name);
  }
  void Zweck(std::string_view v) { Text27(v, 2111, 2110, zweck); }

  void Konto(std::string_view v) {
    Clear(2080);
    Number(v, 10, 2083, 2082, 2081, konto);
  }
  void Referenz(std::string_view v) { Number(v, 13, 2123, 2124, 2122, referenz); }

  void SetNet(const ref::Decimal& net) {
    const double n = ref::ToDouble(net);
    const double gross = n * 1.19;
    if (!std::isfinite(n) || !std::isfinite(gross) || !std::isfinite(gross * 100.0)) {
      return Break(2093);
    }
    const std::string c = ref::GrossCents(net);
    if (c[0] == '-') return Break(2091);  // no negative amounts in a DTAUS record
    if (c.size() > 11) return Break(2092);
    cents = c;
    Clear(2091), Clear(2092);
  }
  void Netto(std::string_view v) {
    Clear(2090), Clear(2093);
    if (!Length(v)) return Break(2093);
    const auto net = ref::ParseNumber(v, g_separators.decimal_point, g_separators.thousands_sep);
    if (!net) return Break(2091);
    SetNet(*net);
  }
  void Brutto(std::string_view v) {
    if (!Length(v)) return Break(2093);
    const auto gross = ref::ParseNumber(v, g_separators.decimal_point, g_separators.thousands_sep);
    if (!gross) return Break(2091);
    if (std::isinf(ref::ToDouble(*gross))) return Break(2093);
    const ref::Decimal net = ref::NetFromGross(*gross);
    Clear(2090), Clear(2093);
    SetNet(net);
  }
  void Part(int slot, std::string_view v) {
    // Name2 2150/2151, VerwendungsZweck2-4 2120-2140, 5-14 3150-3240, MeineInfoName2 2160.
    int length;
    if (slot == 0) {
      length = 2150;
    } else if (slot <= 3) {
      length = 2110 + 10 * slot;
    } else if (slot <= 13) {
      length = 3110 + 10 * slot;
    } else {
      length = 2160;
    }
    // Nothing is cleared first: a continuation's failure rule, once broken, stays.
    const auto n = Length(v);
    if (!n) return Break(length + 1);
    if (*n > 27) return Break(length);
    parts[static_cast<std::size_t>(slot)] = std::string(v);
    Clear(length);
  }
};

// ---- The objects under test, each with its model ----

struct Payment {
  std::shared_ptr<GeldTransfer> object;
  PaymentModel model;
};

enum class PathMode {
  kNone,
  kNormal,
  kUmlaut,
  kMissingDir,
  kDirectory,
  kInvalidUtf8,
  kNul,
  kLongName,  // a file name of 255 bytes, the most the file system allows
};
constexpr int kPathModes = 8;

struct File {
  std::unique_ptr<DtausDatei> object = std::make_unique<DtausDatei>();
  std::shared_ptr<MeineInfo> header = object->GetMeineInfo();
  HeaderModel model;
  std::vector<int> payments;  // indices into the payment objects; -1 for a null payment
  PathMode path = PathMode::kNone;
};

// Every call into the library goes through here: nothing may throw towards the host.
template <typename F>
auto Host(const char* what, F&& f) {
  try {
    return f();
  } catch (const std::exception& e) {
    Fail(__FILE__, __LINE__, what, std::string("exception reached the host: ") + e.what());
  } catch (...) {
    Fail(__FILE__, __LINE__, what, "a non-standard exception reached the host");
  }
}

int ReportedRules(const std::string& report) {
  int carriage_returns = 0;
  for (char c : report) carriage_returns += c == '\r';
  return carriage_returns - 2;
}

void CheckHeader(const File& f) {
  const bool valid = Host("MeineInfoIsValid", [&] { return f.header->MeineInfoIsValid(); });
  const std::string errors = Host("MeineInfoErrors", [&] { return f.header->MeineInfoErrors(); });
  DTAUS_FUZZ_CHECK(valid == f.model.rules.empty(), errors);
  DTAUS_FUZZ_CHECK(ReportedRules(errors) == static_cast<int>(f.model.rules.size()), errors);
  DTAUS_FUZZ_CHECK(Host("AktuellesDatum", [&] { return f.header->AktuellesDatum(); }) == f.model.datum,
                   f.model.datum);
}

void CheckPayment(const Payment& p) {
  const GeldTransfer& g = *p.object;
  const bool valid = Host("InputFieldsValid", [&] { return g.InputFieldsValid(); });
  const std::string errors = Host("InputFieldsErrors", [&] { return g.InputFieldsErrors(); });
  DTAUS_FUZZ_CHECK(valid == p.model.rules.empty(), errors);
  DTAUS_FUZZ_CHECK(ReportedRules(errors) == static_cast<int>(p.model.rules.size()), errors);
  DTAUS_FUZZ_CHECK(Host("BLZ", [&] { return g.BLZ(); }) == p.model.blz, p.model.blz);
  DTAUS_FUZZ_CHECK(Host("Konto", [&] { return g.Konto(); }) == p.model.konto, p.model.konto);
  DTAUS_FUZZ_CHECK(Host("BetragEuroBrutto", [&] { return g.BetragEuroBrutto(); }) == p.model.cents,
                   p.model.cents);
}

// ---- Header and payment calls ----

void HeaderText(File& f, int property, const std::string& v) {
  MeineInfo& h = *f.header;
  HeaderModel& m = f.model;
  Host("MeineInfo setter", [&] {
    switch (property) {
      case 0: h.BLZ(v), m.Blz(v); break;
      case 1: h.Name(v), m.Name(v); break;
      case 2: h.AktuellesDatum(v), m.Datum(v); break;
      case 3: h.Konto(v), m.Konto(v); break;
      case 4: h.FreieReferenz(v), m.Referenz(v); break;
      default: h.AusfuehrungsDatum(v), m.Ausfuehrung(v); break;
    }
  });
}

using detail::kContinuations;
static_assert(std::size(kContinuations) == kParts);
constexpr int kPaymentProperties = 8 + kParts;

void PaymentText(Payment& p, int property, const std::string& v) {
  GeldTransfer& g = *p.object;
  PaymentModel& m = p.model;
  Host("GeldTransfer setter", [&] {
    switch (property) {
      case 0: g.BLZ(v), m.Blz(v); break;
      case 1: g.Name(v), m.Name(v); break;
      case 2: g.Konto(v), m.Konto(v); break;
      case 3: g.FreieReferenz(v), m.Referenz(v); break;
      case 4: g.BetragEuro(v), m.Netto(v); break;
      case 5: g.BetragEuroNetto(v), m.Netto(v); break;
      case 6: g.BetragEuroBrutto(v), m.Brutto(v); break;
      case 7: g.VerwendungsZweck(v), m.Zweck(v); break;
      default: {
        const int slot = property - 8;
        (g.*kContinuations[slot])(v);
        m.Part(slot, v);
      }
    }
  });
}

// ---- Files on disk ----

const std::string& WorkDir() {
  static const std::string dir = [] {
    // Memory-backed /dev/shm where there is one: the fuzzer creates, renames and removes
    // files thousands of times a second, and a disk file system would write them back.
    const char* base = std::getenv("TMPDIR");
    std::string root = base && *base ? base : "/tmp";
    if (::access("/dev/shm", W_OK | X_OK) == 0) root = "/dev/shm";
    std::string templ = root + "/dtaus_fuzz_XXXXXX";
    if (::mkdtemp(templ.data()) == nullptr) {
      Fail(__FILE__, __LINE__, "mkdtemp", std::strerror(errno));
    }
    return templ;
  }();
  static const struct Cleanup {
    ~Cleanup() {
      std::error_code ignored;
      fs::remove_all(dir, ignored);
    }
  } cleanup;
  return dir;
}

const std::string kNormalName = "DTAUS0.TXT";
const std::string kUmlautName = "\u00DCberweisung.txt";
const std::string kLongName = std::string(251, 'D') + ".TXT";

std::string PathFor(PathMode mode) {
  const std::string& dir = WorkDir();
  switch (mode) {
    case PathMode::kNone: return "";
    case PathMode::kNormal: return dir + "/" + kNormalName;
    case PathMode::kUmlaut: return dir + "/" + kUmlautName;
    case PathMode::kMissingDir: return dir + "/fehlt/" + kNormalName;
    case PathMode::kDirectory: return dir;
    case PathMode::kInvalidUtf8: return dir + "/a\xFF.txt";
    case PathMode::kNul: return dir + "/" + kNormalName + std::string(1, '\0') + "x";
    case PathMode::kLongName: return dir + "/" + kLongName;
  }
  return "";
}

// The content of a file, or nothing when there is none.
std::optional<std::string> Snapshot(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string content;
  char buffer[65536];
  for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) {
    content.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return content;
}

std::vector<std::string> DirEntries() {
  std::vector<std::string> names;
  DIR* d = ::opendir(WorkDir().c_str());
  DTAUS_FUZZ_CHECK(d != nullptr, WorkDir());
  while (const dirent* e = ::readdir(d)) {
    const std::string name = e->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(d);
  return names;
}

void CleanDir() {
  for (const std::string& name : DirEntries()) ::unlink((WorkDir() + "/" + name).c_str());
}

// ---- Generate: prediction and check ----

std::string CodePoint(char32_t c) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(c));
  return buffer;
}

// The first character of `text` that Windows-1252 cannot write.
std::optional<char32_t> Unmappable(std::string_view text) {
  const std::u32string chars = ref::DecodeUtf8(text).value();
  for (char32_t c : chars) {
    if (!ref::Windows1252Byte(c)) return c;
  }
  return std::nullopt;
}

std::string UnmappableMessage(char32_t c) {
  return "Sonstiger Fehler:Das Zeichen " + CodePoint(c) +
         " kann in Windows-1252 nicht geschrieben werden.";
}

struct Fault {
  int fail_at = 0;  // 0: no fault
  bool persistent = false;
};

enum class Outcome { kUntouched, kEmptied, kWritten };

struct Prediction {
  std::string result;
  Outcome outcome;
};

std::vector<const PaymentModel*> ListedPayments(const File& f, const std::vector<Payment>& all) {
  std::vector<const PaymentModel*> out;
  for (int i : f.payments) out.push_back(i < 0 ? nullptr : &all[static_cast<std::size_t>(i)].model);
  return out;
}

Prediction Predict(const File& f, const std::vector<Payment>& all, Fault fault) {
  switch (f.path) {
    case PathMode::kNone: return {"Bitte vorher den Pfad festlegen.", Outcome::kUntouched};
    case PathMode::kInvalidUtf8:
    case PathMode::kNul:
      return {"Sonstiger Fehler:Der Pfad ist kein g\u00FCltiger Dateiname.", Outcome::kUntouched};
    default: break;
  }
  // Call 1 looks at what the path names, call 2 creates (or empties) the file; 3 to 8
  // write the new one: create a temporary file, write, sync, name it (an unnamed one),
  // close, rename; 9 syncs the directory.
  if (fault.fail_at == 1) return {"Sonstiger Fehler:Injected failure at call 1", Outcome::kUntouched};
  if (f.path == PathMode::kDirectory) {
    return {"Sonstiger Fehler:Das Ziel ist ein Verzeichnis, keine Datei.", Outcome::kUntouched};
  }
  if (fault.fail_at == 2) {
    return {"Sonstiger Fehler:Injected failure at call 2", Outcome::kUntouched};
  }
  if (f.path == PathMode::kMissingDir) {
    return {"Sonstiger Fehler:No such file or directory", Outcome::kUntouched};
  }

  const HeaderModel& h = f.model;
  if (!h.rules.empty()) return {"Das MeineInfo-Objekt enth\u00E4lt Fehler.", Outcome::kEmptied};
  if (auto c = Unmappable(h.name)) return {UnmappableMessage(*c), Outcome::kEmptied};
  std::uint64_t euro = 0;
  std::size_t count = 0;
  for (const PaymentModel* p : ListedPayments(f, all)) {
    if (p == nullptr) {
      return {"Sonstiger Fehler:Objektvariable nicht festgelegt (kein GeldTransfer-Objekt).",
              Outcome::kEmptied};
    }
    if (!p->rules.empty()) return {"Das Geldtransfer-Objekt enth\u00E4lt Fehler.", Outcome::kEmptied};
    // Record C in field order: name, the ordering party's name (checked with record A),
    // purpose, then the extension parts.
    std::vector<std::string_view> texts = {p->name, p->zweck};
    for (const auto& part : p->parts) {
      if (part) texts.push_back(*part);
    }
    for (std::string_view t : texts) {
      if (auto c = Unmappable(t)) return {UnmappableMessage(*c), Outcome::kEmptied};
    }
    if (++count > 32767) {
      return {"Sonstiger Fehler:\u00DCberlauf: eine Datei fasst h\u00F6chstens 32767 Zahlungen.",
              Outcome::kEmptied};
    }
    euro += std::stoull(p->cents);
  }
  if (euro >= 10'000'000'000'000ull) return {"Sonstiger Fehler.", Outcome::kEmptied};
  if (fault.fail_at >= 3) {
    return {"Sonstiger Fehler:Injected failure at call " + std::to_string(fault.fail_at),
            Outcome::kEmptied};
  }
  return {"", Outcome::kWritten};
}

std::string Pad(const std::string& digits, std::size_t width) {
  return std::string(width - std::min(width, digits.size()), '0') + digits;
}

std::string DropTrailingBlanks(std::string_view text) {
  const std::size_t end = text.find_last_not_of(' ');
  return std::string(end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1));
}

// The written file, read back, must carry exactly the objects' values.
void CheckWrittenFile(const std::string& bytes, const File& f, const std::vector<Payment>& all) {
  const DtausReader reader(bytes);
  std::string findings;
  for (const Finding& x : reader.Findings()) {
    if (x.severity == Severity::kError) findings += x.record + " " + x.field + ": " + x.message + "\n";
  }
  const HeaderModel& h = f.model;
  // The library checks the execution date when it is assigned; a creation date assigned
  // after it can leave it outside the 15 days, which the reader then reports.
  const std::int64_t days = h.ausfuehrung.empty() ? 0 : ref::DaysBetween(h.datum, h.ausfuehrung);
  const bool outside = days < 0 || days > 15;
  DTAUS_FUZZ_CHECK(reader.ErrorCount() == (outside ? 1u : 0u), findings);
  if (outside) DTAUS_FUZZ_CHECK(findings.rfind("A A11b execution date: ", 0) == 0, findings);

  const bool kassette = h.satz == "0256";
  DTAUS_FUZZ_CHECK(reader.Header().has_value(), "no record A");
  const HeaderRecord& a = *reader.Header();
  DTAUS_FUZZ_CHECK(a.size == (kassette ? 256u : 128u), std::to_string(a.size));
  DTAUS_FUZZ_CHECK(a.record_length == h.satz, a.record_length);
  DTAUS_FUZZ_CHECK(a.kind == h.kenn, a.kind);
  DTAUS_FUZZ_CHECK(a.BLZ == h.blz, a.BLZ);
  DTAUS_FUZZ_CHECK(a.sender_blz == "00000000", a.sender_blz);
  DTAUS_FUZZ_CHECK(a.Name == DropTrailingBlanks(h.name), a.Name);
  DTAUS_FUZZ_CHECK(a.AktuellesDatum == h.datum, a.AktuellesDatum);
  DTAUS_FUZZ_CHECK(a.Konto == Pad(h.konto, 10), a.Konto);
  DTAUS_FUZZ_CHECK(a.FreieReferenz == Pad(h.referenz, 10), a.FreieReferenz);
  DTAUS_FUZZ_CHECK(a.AusfuehrungsDatum == h.ausfuehrung, a.AusfuehrungsDatum);
  DTAUS_FUZZ_CHECK(a.currency == "1", a.currency);

  const std::vector<const PaymentModel*> listed = ListedPayments(f, all);
  DTAUS_FUZZ_CHECK(reader.Payments().size() == listed.size(),
                   std::to_string(reader.Payments().size()));
  std::uint64_t konto_sum = 0, blz_sum = 0, euro_sum = 0;
  std::size_t expected_size = 2 * a.size;
  for (std::size_t i = 0; i < listed.size(); ++i) {
    const PaymentModel& p = *listed[i];
    const PaymentRecord& c = reader.Payments()[i];
    std::vector<std::pair<std::string, std::string>> parts;
    for (int slot = 0; slot < kParts; ++slot) {
      const auto& text = p.parts[static_cast<std::size_t>(slot)];
      if (text) parts.emplace_back(slot == 0 ? "01" : slot == 14 ? "03" : "02", *text);
    }
    const std::size_t n = parts.size();
    const std::size_t size = 256 + 128 * ((n > 2 ? n - 2 + 3 : 0) / 4);
    expected_size += size;
    const std::string where = "record C " + std::to_string(i + 1) + ": ";
    DTAUS_FUZZ_CHECK(c.size == size, where + std::to_string(c.size));
    DTAUS_FUZZ_CHECK(c.record_length == "0" + std::to_string(187 + 29 * n), where + c.record_length);
    DTAUS_FUZZ_CHECK(c.first_blz == h.blz, where + c.first_blz);
    DTAUS_FUZZ_CHECK(c.BLZ == p.blz, where + c.BLZ);
    DTAUS_FUZZ_CHECK(c.Konto == Pad(p.konto, 10), where + c.Konto);
    DTAUS_FUZZ_CHECK(c.FreieReferenz == Pad(p.referenz, 13), where + c.FreieReferenz);
    DTAUS_FUZZ_CHECK(c.TextSchluessel == (h.kenn == "GK" ? "51" : "05"), where + c.TextSchluessel);
    DTAUS_FUZZ_CHECK(c.TextSchluesselErgaenzung == "000", where + c.TextSchluesselErgaenzung);
    DTAUS_FUZZ_CHECK(c.betrag_dm == std::string(11, '0'), where + c.betrag_dm);
    DTAUS_FUZZ_CHECK(c.MeineInfoBLZ == h.blz, where + c.MeineInfoBLZ);
    DTAUS_FUZZ_CHECK(c.MeineInfoKonto == Pad(h.konto, 10), where + c.MeineInfoKonto);
    DTAUS_FUZZ_CHECK(c.BetragEuro == Pad(p.cents, 11), where + c.BetragEuro);
    DTAUS_FUZZ_CHECK(c.Name == DropTrailingBlanks(p.name), where + c.Name);
    DTAUS_FUZZ_CHECK(c.MeineInfoName == DropTrailingBlanks(h.name), where + c.MeineInfoName);
    DTAUS_FUZZ_CHECK(c.VerwendungsZweck == DropTrailingBlanks(p.zweck), where + c.VerwendungsZweck);
    DTAUS_FUZZ_CHECK(c.currency == "1", where + c.currency);
    DTAUS_FUZZ_CHECK(c.part_count == (n < 10 ? "0" : "") + std::to_string(n), where + c.part_count);
    DTAUS_FUZZ_CHECK(c.parts.size() == n, where + std::to_string(c.parts.size()));
    for (std::size_t k = 0; k < n; ++k) {
      DTAUS_FUZZ_CHECK(c.parts[k].type == parts[k].first, where + c.parts[k].type);
      DTAUS_FUZZ_CHECK(c.parts[k].text == DropTrailingBlanks(parts[k].second),
                       where + c.parts[k].text);
    }
    konto_sum += std::stoull(p.konto);
    blz_sum += std::stoull(p.blz);
    euro_sum += std::stoull(p.cents);
  }
  DTAUS_FUZZ_CHECK(bytes.size() == expected_size, std::to_string(bytes.size()));

  DTAUS_FUZZ_CHECK(reader.Trailer().has_value(), "no record E");
  const TrailerRecord& e = *reader.Trailer();
  DTAUS_FUZZ_CHECK(e.size == a.size, std::to_string(e.size));
  DTAUS_FUZZ_CHECK(e.Satzlaenge == h.satz, e.Satzlaenge);
  DTAUS_FUZZ_CHECK(e.TotalDatensatzItems == Pad(std::to_string(listed.size()), 7),
                   e.TotalDatensatzItems);
  DTAUS_FUZZ_CHECK(e.betrag_dm_sum == std::string(13, '0'), e.betrag_dm_sum);
  DTAUS_FUZZ_CHECK(e.TotalPasivKonto == Pad(std::to_string(konto_sum), 17), e.TotalPasivKonto);
  DTAUS_FUZZ_CHECK(e.TotalPasivBLZ == Pad(std::to_string(blz_sum), 17), e.TotalPasivBLZ);
  DTAUS_FUZZ_CHECK(e.TotalEuro == Pad(std::to_string(euro_sum), 13), e.TotalEuro);
}

void GenerateAndCheck(File& f, const std::vector<Payment>& all, Fault fault) {
  // The file at the path (or, for the paths that name no file, DTAUS0.TXT beside them).
  const bool named = f.path == PathMode::kNormal || f.path == PathMode::kUmlaut ||
                     f.path == PathMode::kLongName;
  const std::string target = PathFor(named ? f.path : PathMode::kNormal);
  const auto before = Snapshot(target);
  const Prediction expected = Predict(f, all, fault);

  detail::FaultFileSystem faults(detail::PlatformFileSystem(), fault.fail_at, fault.persistent);
  detail::FileSystem* previous = detail::SetFileSystem(fault.fail_at > 0 ? &faults : nullptr);
  const std::string result = Host("Generate", [&] { return f.object->Generate(); });
  detail::SetFileSystem(previous);
  // DTAUS_FUZZ_TRACE=1 shows what the inputs reach, e.g. when writing seeds.
  static const bool trace = std::getenv("DTAUS_FUZZ_TRACE") != nullptr;
  if (trace) std::fprintf(stderr, "Generate: \"%s\"\n", result.c_str());
  DTAUS_FUZZ_CHECK(result == expected.result,
                   "got \"" + result + "\", expected \"" + expected.result + "\"");

  // Every payment was checked again; nothing in Generate may change what a host sees.
  CheckHeader(f);
  for (int i : f.payments) {
    if (i >= 0) CheckPayment(all[static_cast<std::size_t>(i)]);
  }

  const auto after = Snapshot(target);
  switch (named ? expected.outcome : Outcome::kUntouched) {
    case Outcome::kUntouched:
      DTAUS_FUZZ_CHECK(after == before, "the file changed although Generate could not create it");
      break;
    case Outcome::kEmptied:
      DTAUS_FUZZ_CHECK(after.has_value() && after->empty(),
                       "after \"" + result + "\" the file holds " +
                           std::to_string(after ? after->size() : 0) + " bytes");
      break;
    case Outcome::kWritten:
      DTAUS_FUZZ_CHECK(after.has_value(), "no file after success");
      CheckWrittenFile(*after, f, all);
      break;
  }
  // Only the target files may exist: no temporary file is ever left behind.
  for (const std::string& name : DirEntries()) {
    DTAUS_FUZZ_CHECK(name == kNormalName || name == kUmlautName || name == kLongName,
                     "left behind: " + name);
  }
}

// ---- The program ----

struct GermanPunct : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
  char do_thousands_sep() const override { return '.'; }
};

constexpr ref::Today kTodays[] = {
    {2026, 3, 10}, {2026, 12, 28}, {2026, 12, 31}, {2027, 1, 1}, {2028, 2, 29}, {2026, 2, 15},
};

constexpr std::size_t kMaxPayments = 8;
constexpr std::size_t kMaxListed = 300;
constexpr int kMaxGenerates = 4;

enum Op {
  kHeaderMedia,
  kHeaderTyp,
  kHeaderText,
  kPaymentText,
  kAdd,
  kAddMany,
  kAddNull,
  kGenerate,
  kNewPayment,
  kNewFile,
  kValidHeader,
  kValidPayment,
  kPath,
  kStale,
  kLocale,
  kOpCount
};

std::int32_t EnumValue(Input& in) {
  static constexpr std::int32_t kValues[] = {0, 1, 2, -1, INT32_MIN, INT32_MAX};
  const std::uint8_t b = in.Byte();
  return b < 2 * std::size(kValues) ? kValues[b % std::size(kValues)] : b;
}

void Run(Input& in) {
  g_today = kTodays[in.Byte() % std::size(kTodays)];
  const detail::TodayFunction previous_today = detail::SetToday(&PinnedToday);
  const std::locale previous_locale = std::locale::global(std::locale::classic());
  g_separators = {};
  CleanDir();

  File file;
  std::vector<Payment> payments;
  payments.push_back({std::make_shared<GeldTransfer>(), {}});
  int generates = 0;

  auto payment_index = [&](std::uint8_t b) { return static_cast<std::size_t>(b) % payments.size(); };

  while (!in.empty()) {
    const int op = in.Byte() % kOpCount;
    switch (op) {
      case kHeaderMedia: {
        const std::int32_t v = EnumValue(in);
        Host("DateiMedia", [&] { file.header->DateiMedia(static_cast<MediaTyp>(v)); });
        file.model.Media(v);
        CheckHeader(file);
        break;
      }
      case kHeaderTyp: {
        const std::int32_t v = EnumValue(in);
        Host("GeldTransferTyp", [&] { file.header->GeldTransferTyp(static_cast<TransferTyp>(v)); });
        file.model.Typ(v);
        CheckHeader(file);
        break;
      }
      case kHeaderText: {
        const int property = in.Byte() % 6;
        HeaderText(file, property, Text(in));
        CheckHeader(file);
        break;
      }
      case kPaymentText: {
        Payment& p = payments[payment_index(in.Byte())];
        const int property = in.Byte() % kPaymentProperties;
        PaymentText(p, property, Text(in));
        CheckPayment(p);
        break;
      }
      case kAdd:
      case kAddMany: {
        // The same payment may be added any number of times; each time it is written.
        const std::size_t i = payment_index(in.Byte());
        std::size_t n = op == kAddMany ? in.Byte() : 1;
        n = std::min(n, kMaxListed - std::min(kMaxListed, file.payments.size()));
        for (std::size_t k = 0; k < n; ++k) {
          Host("AddGeldTransfer", [&] { file.object->AddGeldTransfer(payments[i].object); });
          file.payments.push_back(static_cast<int>(i));
        }
        break;
      }
      case kAddNull:
        if (file.payments.size() < kMaxListed) {
          Host("AddGeldTransfer(nullptr)", [&] { file.object->AddGeldTransfer(nullptr); });
          file.payments.push_back(-1);
        }
        break;
      case kGenerate: {
        const std::uint8_t b = in.Byte();
        Fault fault;
        if (b & 0x0F) fault = {1 + (b & 0x07), (b & 0x80) != 0};
        if (generates++ < kMaxGenerates) GenerateAndCheck(file, payments, fault);
        break;
      }
      case kNewPayment:
        if (payments.size() < kMaxPayments) payments.push_back({std::make_shared<GeldTransfer>(), {}});
        break;
      case kNewFile:
        file = File();
        break;
      case kValidHeader:
        Host("valid header", [&] {
          file.header->DateiMedia(MediaTyp::Diskette);
          file.header->GeldTransferTyp(TransferTyp::Gutschrift);
        });
        file.model.Media(0);
        file.model.Typ(1);
        HeaderText(file, 0, "12345678");
        HeaderText(file, 1, "MUSTERMANN GMBH");
        HeaderText(file, 3, "1234567890");
        CheckHeader(file);
        break;
      case kValidPayment: {
        Payment& p = payments[payment_index(in.Byte())];
        PaymentText(p, 0, "87654321");
        PaymentText(p, 1, "ERIKA MUSTERMANN");
        PaymentText(p, 2, "1234567");
        PaymentText(p, 4, "100");
        CheckPayment(p);
        break;
      }
      case kPath: {
        file.path = static_cast<PathMode>(in.Byte() % kPathModes);
        const std::string path = PathFor(file.path);
        Host("Pfad", [&] { file.object->Pfad(path); });
        break;
      }
      case kStale: {
        // A file from an earlier run at one of the two target paths.
        const std::string path = PathFor(in.Byte() % 2 ? PathMode::kUmlaut : PathMode::kNormal);
        std::ofstream(path, std::ios::binary) << "stale content of an earlier run";
        break;
      }
      case kLocale:
        if (in.Byte() % 2) {
          std::locale::global(std::locale(std::locale::classic(), new GermanPunct));
          g_separators = {',', '.'};
        } else {
          std::locale::global(std::locale::classic());
          g_separators = {};
        }
        break;
    }
  }
  // Every program ends with a Generate, so that every input reaches the file.
  GenerateAndCheck(file, payments, {});

  std::locale::global(previous_locale);
  detail::SetToday(previous_today);
}

}  // namespace

void RunGenerateSequence(const std::uint8_t* data, std::size_t size) {
  Input in(data, size);
  Run(in);
}

}  // namespace dtaus::fuzz
