#include "sequence_check.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <utility>

#include "dtaus/dtaus_reader.h"
#include "file/fault_file_system.h"
#include "file/file_system.h"
#include "reference.h"

namespace dtaus::fuzz::sequence {
namespace {

int ReportedRules(const std::string& report) {
  int carriage_returns = 0;
  for (char c : report) carriage_returns += c == '\r';
  return carriage_returns - 2;
}

}  // namespace

void CheckHeader(const File& f) {
  const bool valid = Host("MeineInfoIsValid", [&] { return f.header->MeineInfoIsValid(); });
  const std::string errors = Host("MeineInfoErrors", [&] { return f.header->MeineInfoErrors(); });
  DTAUS_FUZZ_CHECK(valid == f.model.rules.empty(), errors);
  DTAUS_FUZZ_CHECK(ReportedRules(errors) == static_cast<int>(f.model.rules.size()), errors);
  DTAUS_FUZZ_CHECK(
      Host("AktuellesDatum", [&] { return f.header->AktuellesDatum(); }) == f.model.datum,
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

// ---- Generate: prediction and check ----

namespace {

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
    case PathMode::kNone:
      return {"Bitte vorher den Pfad festlegen.", Outcome::kUntouched};
    case PathMode::kInvalidUtf8:
    case PathMode::kNul:
      return {"Sonstiger Fehler:Der Pfad ist kein g\u00FCltiger Dateiname.", Outcome::kUntouched};
    default:
      break;
  }
  // Call 1 looks at what the path names, call 2 creates (or empties) the file; 3 to 8
  // write the new one: create a temporary file, write, sync, name it (an unnamed one),
  // close, rename; 9 syncs the directory.
  if (fault.fail_at == 1) {
    return {"Sonstiger Fehler:Injected failure at call 1", Outcome::kUntouched};
  }
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
    if (!p->rules.empty()) {
      return {"Das Geldtransfer-Objekt enth\u00E4lt Fehler.", Outcome::kEmptied};
    }
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
    if (x.severity == Severity::kError) {
      findings += x.record + " " + x.field + ": " + x.message + "\n";
    }
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
    DTAUS_FUZZ_CHECK(c.record_length == Pad(std::to_string(187 + 29 * n), 4),
                     where + c.record_length);
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
    DTAUS_FUZZ_CHECK(c.part_count == Pad(std::to_string(n), 2), where + c.part_count);
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

}  // namespace

void GenerateAndCheck(File& f, const std::vector<Payment>& all, Fault fault) {
  // The file at the path (or, for the paths that name no file, DTAUS0.TXT beside them).
  const bool named =
      f.path == PathMode::kNormal || f.path == PathMode::kUmlaut || f.path == PathMode::kLongName;
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

}  // namespace dtaus::fuzz::sequence
