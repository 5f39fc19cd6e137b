// The reader harness: any bytes at all, read as a DTAUS file.
//
// Files reach the reader from other programs, from damaged disks and from people, so it
// must never crash, never read outside the bytes and always describe what it found in a
// form a program can rely on: findings in file order, inside the file, on one line each
// and in UTF-8, at most 1,000 listed and the rest counted; records inside the file and
// of a size DTAUS allows; no errors without a finding that says so, and for a file
// without errors a trailer whose count and sums match the records. The check alone
// (DtausReader::CheckOnly) must come to exactly what the full read finds.
#include <string>
#include <string_view>
#include <vector>

#include "dtaus/dtaus_reader.h"
#include "harness.h"
#include "reference.h"

namespace dtaus::fuzz {
namespace {

void CheckText(std::string_view text, const std::string& what) {
  DTAUS_FUZZ_CHECK(ref::DecodeUtf8(text).has_value(), what + " is not UTF-8");
}

bool IsRecordName(const std::string& record) {
  if (record.empty() || record == "A" || record == "E") return true;
  if (record.size() < 3 || record.compare(0, 2, "C ") != 0 || record[2] == '0') return false;
  for (std::size_t i = 2; i < record.size(); ++i) {
    if (record[i] < '0' || record[i] > '9') return false;
  }
  return true;
}

std::uint64_t Value(const std::string& digits) {
  std::uint64_t v = 0;
  for (char c : digits) v = v * 10 + static_cast<std::uint64_t>(c - '0');
  return v;
}

std::vector<const std::string*> TextsOf(const HeaderRecord& a) {
  return {&a.record_length,  &a.kind,  &a.BLZ,           &a.sender_blz,        &a.Name,
          &a.AktuellesDatum, &a.Konto, &a.FreieReferenz, &a.AusfuehrungsDatum, &a.currency};
}
std::vector<const std::string*> TextsOf(const PaymentRecord& c) {
  return {&c.record_length,
          &c.first_blz,
          &c.BLZ,
          &c.Konto,
          &c.FreieReferenz,
          &c.TextSchluessel,
          &c.TextSchluesselErgaenzung,
          &c.betrag_dm,
          &c.MeineInfoBLZ,
          &c.MeineInfoKonto,
          &c.BetragEuro,
          &c.Name,
          &c.MeineInfoName,
          &c.VerwendungsZweck,
          &c.currency,
          &c.part_count};
}
std::vector<const std::string*> TextsOf(const TrailerRecord& e) {
  return {&e.Satzlaenge,      &e.TotalDatensatzItems, &e.betrag_dm_sum,
          &e.TotalPasivKonto, &e.TotalPasivBLZ,       &e.TotalEuro};
}

template <typename Record>
bool SameTexts(const Record& a, const Record& b) {
  const auto as = TextsOf(a), bs = TextsOf(b);
  for (std::size_t i = 0; i < as.size(); ++i) {
    if (*as[i] != *bs[i]) return false;
  }
  return true;
}

// A record C handed over by the check alone against the one the full read keeps; without
// `texts` the names, the purpose and the parts' texts are empty.
bool SamePayment(const PaymentRecord& checked, PaymentRecord full, bool texts) {
  if (!texts) {
    full.Name.clear();
    full.MeineInfoName.clear();
    full.VerwendungsZweck.clear();
    for (ExtensionPart& part : full.parts) part.text.clear();
  }
  if (checked.offset != full.offset || checked.size != full.size || checked.cents != full.cents ||
      checked.parts.size() != full.parts.size() || !SameTexts(checked, full)) {
    return false;
  }
  for (std::size_t i = 0; i < full.parts.size(); ++i) {
    const ExtensionPart &c = checked.parts[i], &f = full.parts[i];
    if (c.offset != f.offset || c.type != f.type || c.text != f.text) return false;
  }
  return true;
}

// The check alone reads plain records C a quicker way than the full read; it must come
// to the same findings, counts, totals and records, and hand over the same records C.
void ExpectCheckOnlyAgrees(std::string_view bytes, const DtausReader& full) {
  for (const bool texts : {false, true}) {
    const std::string mode = texts ? " (check alone, with texts)" : " (check alone)";
    std::size_t next = 0;
    const DtausReader checked = DtausReader::CheckOnly(
        bytes,
        [&](const PaymentRecord& c) {
          const std::string where = "record C at " + std::to_string(c.offset) + mode;
          DTAUS_FUZZ_CHECK(next < full.Payments().size(), where + " is one too many");
          DTAUS_FUZZ_CHECK(SamePayment(c, full.Payments()[next++], texts), where + " differs");
        },
        texts);
    DTAUS_FUZZ_CHECK(next == full.Payments().size(), std::to_string(next) + " records C" + mode);
    DTAUS_FUZZ_CHECK(checked.Payments().empty(), "records C kept" + mode);
    DTAUS_FUZZ_CHECK(checked.Findings().size() == full.Findings().size() &&
                         checked.ErrorCount() == full.ErrorCount() &&
                         checked.WarningCount() == full.WarningCount(),
                     "other counts of findings" + mode);
    for (std::size_t i = 0; i < full.Findings().size(); ++i) {
      const Finding &c = checked.Findings()[i], &f = full.Findings()[i];
      DTAUS_FUZZ_CHECK(c.severity == f.severity && c.offset == f.offset && c.record == f.record &&
                           c.field == f.field && c.message == f.message,
                       "finding " + std::to_string(i) + " \"" + c.message + "\" instead of \"" +
                           f.message + "\"" + mode);
    }
    const DtausTotals &ct = checked.Totals(), &ft = full.Totals();
    DTAUS_FUZZ_CHECK(ct.count == ft.count && ct.konto_sum == ft.konto_sum &&
                         ct.blz_sum == ft.blz_sum && ct.euro_cents == ft.euro_cents,
                     "other totals" + mode);
    const auto& ca = checked.Header();
    const auto& fa = full.Header();
    DTAUS_FUZZ_CHECK(ca.has_value() == fa.has_value() &&
                         (!fa || (ca->offset == fa->offset && SameTexts(*ca, *fa))),
                     "another record A" + mode);
    const auto& ce = checked.Trailer();
    const auto& fe = full.Trailer();
    DTAUS_FUZZ_CHECK(ce.has_value() == fe.has_value() &&
                         (!fe || (ce->offset == fe->offset && SameTexts(*ce, *fe))),
                     "another record E" + mode);
  }
}

}  // namespace

void RunReaderBytes(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const DtausReader reader(bytes);
  DTAUS_FUZZ_CHECK(reader.FileSize() == size, std::to_string(reader.FileSize()));
  ExpectCheckOnlyAgrees(bytes, reader);

  DTAUS_FUZZ_CHECK(reader.Findings().size() <= DtausReader::kMaxFindings,
                   std::to_string(reader.Findings().size()) + " findings listed");
  std::size_t errors = 0;
  std::size_t previous_offset = 0;
  for (const Finding& f : reader.Findings()) {
    const std::string where = "finding at " + std::to_string(f.offset) + " \"" + f.message + "\"";
    DTAUS_FUZZ_CHECK(f.offset >= previous_offset, where + " is out of file order");
    DTAUS_FUZZ_CHECK(f.offset <= size, where + " lies beyond the file");
    DTAUS_FUZZ_CHECK(!f.message.empty(), where);
    DTAUS_FUZZ_CHECK(f.message.find_first_of("\r\n") == std::string::npos, where + " spans lines");
    DTAUS_FUZZ_CHECK(IsRecordName(f.record), where + ": record \"" + f.record + "\"");
    CheckText(f.message, where);
    CheckText(f.field, where + ": its field");
    previous_offset = f.offset;
    errors += f.severity == Severity::kError;
  }
  // The counts cover the listed findings and those left out.
  DTAUS_FUZZ_CHECK(reader.ErrorCount() >= errors &&
                       reader.ErrorCount() + reader.WarningCount() ==
                           reader.Findings().size() + reader.OmittedFindings() &&
                       (reader.OmittedFindings() > 0 || reader.ErrorCount() == errors),
                   "the counts disagree with the findings");
  DTAUS_FUZZ_CHECK(reader.HasErrors() == (reader.ErrorCount() > 0),
                   "HasErrors disagrees with the count of errors");
  if (size == 0) DTAUS_FUZZ_CHECK(reader.HasErrors(), "an empty file passed");

  if (const auto& a = reader.Header()) {
    DTAUS_FUZZ_CHECK(a->offset < size && (a->size == 128 || a->size == 256),
                     std::to_string(a->offset) + "+" + std::to_string(a->size));
    for (const std::string* s : TextsOf(*a)) CheckText(*s, "a field of record A");
  }
  std::size_t previous_end = 0;
  for (const PaymentRecord& c : reader.Payments()) {
    const std::string where = "record C at " + std::to_string(c.offset);
    DTAUS_FUZZ_CHECK(c.offset < size && c.offset >= previous_end, where);
    DTAUS_FUZZ_CHECK(c.size >= 256 && c.size <= 768 && c.size % 128 == 0,
                     where + " of size " + std::to_string(c.size));
    previous_end = c.offset + 5;  // at least the length and the type letter
    DTAUS_FUZZ_CHECK(c.parts.size() <= 18,
                     where + " has " + std::to_string(c.parts.size()) + " parts");
    DTAUS_FUZZ_CHECK(c.cents >= 0, where);
    for (const ExtensionPart& p : c.parts) {
      DTAUS_FUZZ_CHECK(
          p.offset >= c.offset + 187 && p.offset + 29 <= c.offset + c.size && p.offset + 29 <= size,
          where + ": part at " + std::to_string(p.offset));
      CheckText(p.type, where + ": part type");
      CheckText(p.text, where + ": part text");
    }
    for (const std::string* s : TextsOf(c)) CheckText(*s, where + ": a field");
  }
  DTAUS_FUZZ_CHECK(reader.Totals().count <= reader.Payments().size(),
                   std::to_string(reader.Totals().count));

  if (const auto& e = reader.Trailer()) {
    DTAUS_FUZZ_CHECK(e->offset < size && (e->size == 128 || e->size == 256),
                     std::to_string(e->offset) + "+" + std::to_string(e->size));
    for (const std::string* s : TextsOf(*e)) CheckText(*s, "a field of record E");
  }

  // A file without errors is one a bank takes: A first, E last, count and sums right.
  if (!reader.HasErrors()) {
    DTAUS_FUZZ_CHECK(reader.Header().has_value() && reader.Trailer().has_value(),
                     "an error-free file without record A or E");
    const TrailerRecord& e = *reader.Trailer();
    const DtausTotals& t = reader.Totals();
    DTAUS_FUZZ_CHECK(reader.Header()->offset == 0, "record A is not first");
    DTAUS_FUZZ_CHECK(e.offset + e.size == size, "record E is not last");
    DTAUS_FUZZ_CHECK(t.count == reader.Payments().size(), "records C outside the body");
    DTAUS_FUZZ_CHECK(Value(e.TotalDatensatzItems) == t.count, e.TotalDatensatzItems);
    DTAUS_FUZZ_CHECK(Value(e.TotalPasivKonto) == t.konto_sum, e.TotalPasivKonto);
    DTAUS_FUZZ_CHECK(Value(e.TotalPasivBLZ) == t.blz_sum, e.TotalPasivBLZ);
    DTAUS_FUZZ_CHECK(Value(e.TotalEuro) == t.euro_cents, e.TotalEuro);
  }
}

}  // namespace dtaus::fuzz
