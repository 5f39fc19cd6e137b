// MeineInfo: the header record A of a DTAUS file and the rules of its properties.
#include "dtaus/meine_info.h"

#include <array>
#include <cstdint>
#include <string>

#include "fields/broken_rules.h"
#include "fields/clock.h"
#include "fields/dtaus_error.h"
#include "fields/short_text.h"
#include "fields/text_codec.h"
#include "fields/value_checks.h"
#include "records/meine_info_access.h"
#include "records/property_rules.h"
#include "records/record_layout.h"
#include "records/record_tables.h"

namespace dtaus {
namespace {

using detail::RuleText;

using detail::record_a::kAusfuehrung;
using detail::record_a::kBlz;
using detail::record_a::kDatum;
using detail::record_a::kKennzeichen;
using detail::record_a::kKonto;
using detail::record_a::kName;
using detail::record_a::kReferenz;
using detail::record_a::kSatzlaenge;
using detail::record_a::kSlotCount;
using detail::record_a::Slot;

// Rules of the header. The numbers are the keys of the tracker; the host sees only the
// messages, in the order in which the rules were broken.
enum Rule : std::int16_t {
  kMediaMissing = 1010,
  kMediaInvalid = 1011,
  kTypMissing = 1020,
  kTypInvalid = 1021,
  kBlzMissing = 1030,
  kBlzLength = 1031,
  kBlzInvalid = 1032,
  kBlzFailure = 1033,
  kNameMissing = 1040,
  kNameLength = 1041,
  kNameFailure = 1042,
  kDatumInvalid = 1051,
  kDatumFailure = 1052,
  kKontoMissing = 1060,
  kKontoLength = 1061,
  kKontoInvalid = 1062,
  kKontoFailure = 1063,
  kReferenzLength = 1070,
  kReferenzInvalid = 1071,
  kReferenzFailure = 1072,
  kDatumForAusfuehrungMissing = 1080,
  kAusfuehrungInvalid = 1081,
  kAusfuehrungWindow = 1082,
  kAusfuehrungFailure = 1083,
};

using Checks = detail::PropertyRules;
constexpr Checks kBlzRules{{kBlzMissing, "Wert <BLZ> fehlt."},
                           {kBlzFailure, "Sonstiger Fehler bei <BLZ>."},
                           {kBlzLength, "Wert hat nicht genau 8 Stellen in Feld <BLZ>."},
                           {kBlzInvalid, "Ungültiger Wert in Feld <BLZ>."},
                           8, 8, true};
constexpr Checks kKontoRules{{kKontoMissing, "Wert <Konto> fehlt."},
                             {kKontoFailure, "Sonstiger Fehler bei <Konto>."},
                             {kKontoLength, "Wert hat nicht max. 10 Stellen in Feld <Konto>."},
                             {kKontoInvalid, "Ungültiger Wert in Feld <Konto>."},
                             0, 10, true};
constexpr Checks kReferenzRules{
    {},
    {kReferenzFailure, "Sonstiger Fehler bei <FreieReferenz>."},
    {kReferenzLength, "Wert hat nicht max. 10 Stellen in Feld <FreieReferenz>."},
    {kReferenzInvalid, "Ungültiger Wert in Feld <FreieReferenz>."},
    0, 10, true};

// Rule 1051 quotes the date check's description; the check has exactly these.
struct DateMessage {
  std::int32_t code;
  std::string_view description;
  RuleText message;
};
constexpr DateMessage kAktuellesDatumMessages[] = {
    {detail::kDateValueError, "Ungültiger Wert",
     "Ungültiger Wert in Feld <AktuellesDatum> (Ungültiger Wert )."},
    {detail::kDateFormatError, "Ungültiger Format",
     "Ungültiger Format für Feld <AktuellesDatum> (Ungültiger Format )."},
    {detail::kDateFormatError, "Tag: Ungültiger Wert",
     "Ungültiger Format für Feld <AktuellesDatum> (Tag: Ungültiger Wert )."},
    {detail::kDateFormatError, "Monat: Ungültiger Wert",
     "Ungültiger Format für Feld <AktuellesDatum> (Monat: Ungültiger Wert )."},
    {detail::kDateFormatError, "Jahr: Ungültiger Wert",
     "Ungültiger Format für Feld <AktuellesDatum> (Jahr: Ungültiger Wert )."},
};

// An execution date may lie 0 to 15 days after the creation date.
constexpr std::int64_t kMaxDaysAhead = 15;

std::string TwoDigits(int v) {
  return {static_cast<char>('0' + v / 10 % 10), static_cast<char>('0' + v % 10)};
}

// Days since 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's algorithm).
std::int64_t DaysFromCivil(std::int64_t y, std::int64_t m, std::int64_t d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

// getDateFromString: a stored compact date (ddmmyy or ddmmyyyy) as a day number.
// Days beyond the end of the month run into the next one (31.11. is 1 December), and a
// two-digit year reads 00-29 as 2000-2029 and 30-99 as 1930-1999.
std::int64_t getDateFromString(std::string_view s, bool four_digit_year) {
  const std::size_t length = four_digit_year ? 8 : 6;
  const auto fail = [] {
    throw detail::DtausError(detail::kDateValueError, "Das Format des Datums ist nicht korrekt.");
  };
  if (s.size() != length) fail();
  for (char c : s) {
    if (c < '0' || c > '9') fail();
  }
  auto number = [s](std::size_t at, std::size_t n) {
    int v = 0;
    for (std::size_t i = at; i < at + n; ++i) v = v * 10 + (s[i] - '0');
    return v;
  };
  const int day = number(0, 2);
  const int month = number(2, 2);
  int year = number(4, four_digit_year ? 4 : 2);
  if (!four_digit_year) year += year < 30 ? 2000 : 1900;
  const std::int64_t y = year + (month - 1) / 12;
  const std::int64_t m = (month - 1) % 12 + 1;
  if (month < 1 || y < 100 || y > 9999) fail();
  return DaysFromCivil(y, m, 1) + day - 1;
}

}  // namespace

struct MeineInfo::State {
  detail::BrokenRules rules;  // mBrokenRules
  std::array<detail::ShortText, kSlotCount> values;

  void Break(Rule rule, RuleText message) { rules.RuleBroken(rule, true, message); }
  void Clear(Rule rule) { rules.RuleBroken(rule, false); }
  // DateiMedia and GeldTransferTyp: 0 or 1 picks one of two codes for the record.
  void SetChoice(std::int32_t value, Rule missing, Rule invalid, RuleText invalid_text, Slot slot,
                 std::string_view code0, std::string_view code1);
};

MeineInfo::MeineInfo() : s_(std::make_unique<State>()) {
  const detail::CivilDate today = detail::Today();
  const std::string ddmm = TwoDigits(today.day) + TwoDigits(today.month);
  s_->values[kDatum] = ddmm + TwoDigits(today.year % 100);
  s_->values[kAusfuehrung] = ddmm + std::to_string(today.year);
  s_->Break(kMediaMissing, "Wert <DateiMedia> fehlt.");
  s_->Break(kTypMissing, "Wert <GeldTransferTyp> fehlt.");
  s_->Break(kBlzMissing, kBlzRules.missing.message);
  s_->Break(kNameMissing, "Wert <Name> fehlt.");
  s_->Break(kKontoMissing, kKontoRules.missing.message);
}

MeineInfo::~MeineInfo() = default;

void MeineInfo::State::SetChoice(std::int32_t value, Rule missing, Rule invalid,
                                 RuleText invalid_text, Slot slot, std::string_view code0,
                                 std::string_view code1) {
  Clear(missing);
  if (value != 0 && value != 1) {
    Break(invalid, invalid_text);
    return;
  }
  values[slot] = value == 0 ? code0 : code1;
  Clear(invalid);
}

void MeineInfo::DateiMedia(MediaTyp media) {
  // The record length of records A and E: 128 on a diskette, 256 on a tape.
  s_->SetChoice(static_cast<std::int32_t>(media), kMediaMissing, kMediaInvalid,
                "Ungültiger Wert in Feld <DateiMedia>.", kSatzlaenge, "0128", "0256");
}

void MeineInfo::GeldTransferTyp(TransferTyp typ) {
  // The file kind: LK collects direct debits, GK pays out credit transfers.
  s_->SetChoice(static_cast<std::int32_t>(typ), kTypMissing, kTypInvalid,
                "Ungültiger Wert in Feld <GeldTransferTyp>.", kKennzeichen, "LK", "GK");
}

void MeineInfo::BLZ(std::string_view v) {
  detail::AssignProperty(s_->rules, kBlzRules, v, s_->values[kBlz]);
}

void MeineInfo::Name(std::string_view v) {
  s_->Clear(kNameFailure);
  s_->Clear(kNameMissing);
  try {
    if (!detail::IsValidUtf8(v)) {
      s_->Break(kNameFailure, "Sonstiger Fehler bei <Name>.");
      return;
    }
    // An over-long name is stored all the same; the broken rule keeps the header
    // from being written until a shorter one is assigned.
    if (detail::CountCodePoints(v) > 27) {
      s_->Break(kNameLength, "Wert hat nicht max. 27 Buchstaben in Feld <Name>.");
    } else {
      s_->Clear(kNameLength);
    }
    s_->values[kName] = v;
  } catch (...) {
    s_->Break(kNameFailure, "Sonstiger Fehler bei <Name>.");
  }
}

void MeineInfo::Konto(std::string_view v) {
  detail::AssignProperty(s_->rules, kKontoRules, v, s_->values[kKonto]);
}

// A reference, once given, cannot be removed again: the empty text is no number.
void MeineInfo::FreieReferenz(std::string_view v) {
  detail::AssignProperty(s_->rules, kReferenzRules, v, s_->values[kReferenz]);
}

void MeineInfo::AktuellesDatum(std::string_view v) {
  s_->Clear(kDatumFailure);
  try {
    if (!detail::IsValidUtf8(v)) {
      s_->Break(kDatumFailure, "Sonstiger Fehler bei <AktuellesDatum>.");
      return;
    }
    std::string compact;
    try {
      compact = detail::FormatDtausDate(v, false);
    } catch (const detail::DtausError& e) {
      // A rejected creation date empties A7, so that no execution date can be checked
      // against a date the host did not mean.
      s_->values[kDatum] = std::string_view();
      for (const DateMessage& m : kAktuellesDatumMessages) {
        if (m.code == e.code() && m.description == e.what()) {
          s_->Break(kDatumInvalid, m.message);
          return;
        }
      }
      throw;
    }
    s_->values[kDatum] = compact;
    s_->Clear(kDatumInvalid);
  } catch (...) {
    s_->values[kDatum] = std::string_view();
    s_->Break(kDatumFailure, "Sonstiger Fehler bei <AktuellesDatum>.");
  }
}

std::string MeineInfo::AktuellesDatum() const { return s_->values[kDatum].str(); }

void MeineInfo::AusfuehrungsDatum(std::string_view v) {
  s_->Clear(kAusfuehrungFailure);
  try {
    if (!detail::IsValidUtf8(v)) {
      s_->Break(kAusfuehrungFailure, "Sonstiger Fehler bei <AusfuehrungsDatum>.");
      return;
    }
    if (v.empty()) {
      s_->values[kAusfuehrung] = v;
      return;
    }
    if (s_->values[kDatum].empty()) {
      s_->Break(kDatumForAusfuehrungMissing, "Wert für <AktuellesDatum> fehlt.");
      return;
    }
    s_->Clear(kDatumForAusfuehrungMissing);
    try {
      s_->values[kAusfuehrung] = detail::FormatDtausDate(v, true);
      s_->Clear(kAusfuehrungInvalid);
      const std::int64_t days = getDateFromString(s_->values[kAusfuehrung].view(), true) -
                                getDateFromString(s_->values[kDatum].view(), false);
      // The difference is a 16-bit count: a creation date some ninety years back
      // overflows it, which is an unexpected failure rather than a window violation.
      if (days < INT16_MIN || days > INT16_MAX) throw std::overflow_error("Überlauf");
      if (days < 0 || days > kMaxDaysAhead) {
        s_->Break(kAusfuehrungWindow, "Datum der Ausführung liegt zu weit vom Tagesdatum entfernt.");
      } else {
        s_->Clear(kAusfuehrungWindow);
      }
    } catch (const detail::DtausError& e) {
      if (e.code() == detail::kDateValueError) {
        s_->Break(kAusfuehrungInvalid, "Ungültiger Wert in Feld <AusfuehrungsDatum>.");
      } else if (e.code() == detail::kDateFormatError) {
        s_->Break(kAusfuehrungInvalid, "Ungültiger Format für Feld <AusfuehrungsDatum>.");
      } else {
        throw;
      }
    }
  } catch (...) {
    s_->Break(kAusfuehrungFailure, "Sonstiger Fehler bei <AusfuehrungsDatum>.");
  }
}

bool MeineInfo::MeineInfoIsValid() const { return s_->rules.Count() == 0; }

std::string MeineInfo::MeineInfoErrors() const {
  return s_->rules.Report("Fehler in MeineInfo:", " - ");
}

namespace detail {

MediaTyp MeineInfoAccess::getDateiMedia(const MeineInfo& m) {
  return m.s_->values[kSatzlaenge] == "0128" ? MediaTyp::Diskette : MediaTyp::Kassette;
}

TransferTyp MeineInfoAccess::getGeldTransferTyp(const MeineInfo& m) {
  return m.s_->values[kKennzeichen] == "GK" ? TransferTyp::Gutschrift : TransferTyp::Lastschrift;
}

const ShortText& MeineInfoAccess::getBLZ(const MeineInfo& m) { return m.s_->values[kBlz]; }
const ShortText& MeineInfoAccess::getName(const MeineInfo& m) { return m.s_->values[kName]; }
const ShortText& MeineInfoAccess::getKonto(const MeineInfo& m) { return m.s_->values[kKonto]; }

std::string MeineInfoAccess::getHeaderAsStream(const MeineInfo& m) {
  if (!m.MeineInfoIsValid()) return "ERROR: Header contains invalid fields";
  try {
    std::string record;
    record.reserve(kKassetteRecordSize);
    AppendLayout(record, record_a::kLayout, m.s_->values);
    // On tape (Kassette) records A and E fill two blocks, the second blank.
    if (m.s_->values[kSatzlaenge] == "0256") record.append(kBlockSize, ' ');
    return record;
  } catch (...) {
    return "FEHLER: Sonstiger Fehler streaming <MeineInfo> Felder.";
  }
}

}  // namespace detail
}  // namespace dtaus
