// GeldTransfer: one payment record C, its input rules and its rendering.
#include "dtaus/geld_transfer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "dtaus/meine_info.h"
#include "fields/broken_rules.h"
#include "fields/decimal_number.h"
#include "fields/dt_aus_field.h"
#include "fields/dtaus_error.h"
#include "fields/short_text.h"
#include "fields/text_codec.h"
#include "fields/value_checks.h"
#include "records/compiled_layout.h"
#include "records/geld_transfer_access.h"
#include "records/meine_info_access.h"
#include "records/notifier.h"
#include "records/opt_field.h"
#include "records/opt_field_slots.h"
#include "records/property_rules.h"
#include "records/record_geometry.h"
#include "records/record_layout.h"
#include "records/record_tables.h"
#include "records/slab_allocator.h"

namespace dtaus {
namespace {

using detail::OptField;
using detail::RuleText;

using detail::record_c::kBetrag;
using detail::record_c::kBlz;
using detail::record_c::kErgaenzung;
using detail::record_c::kErweiterungen;
using detail::record_c::kKonto;
using detail::record_c::kMeineInfoBlz;
using detail::record_c::kMeineInfoKonto;
using detail::record_c::kMeineInfoName;
using detail::record_c::kName;
using detail::record_c::kReferenz;
using detail::record_c::kSatzlaenge;
using detail::record_c::kSlotCount;
using detail::record_c::kTextSchluessel;
using detail::record_c::kZweck;

static_assert(OptField::kStreamWidth == detail::kPartWidth);

enum Rule : std::int16_t {
  kBlzMissing = 2060,
  kBlzInvalid = 2061,
  kBlzLength = 2062,
  kBlzFailure = 2063,
  kNameMissing = 2070,
  kNameLength = 2071,
  kNameFailure = 2072,
  kKontoMissing = 2080,
  kKontoInvalid = 2081,
  kKontoLength = 2082,
  kKontoFailure = 2083,
  kBetragMissing = 2090,
  kBetragInvalid = 2091,
  kBetragLength = 2092,
  kBetragFailure = 2093,
  kZweckLength = 2110,
  kZweckFailure = 2111,
  kReferenzInvalid = 2122,  // keys of our choice: no other rule of the payment uses them
  kReferenzFailure = 2123,
  kReferenzLength = 2124,
};

// The part slots, in the order in which their parts are written: the 01 part, the
// thirteen 02 parts, the 03 part.
enum Part {
  kName2,
  kZweck2,
  kZweck14 = kZweck2 + 12,
  kMeineInfoName2,
  kPartCount
};

using Checks = detail::PropertyRules;
constexpr Checks kBlzRules{{kBlzMissing, "Wert <BLZ> fehlt."},
                           {kBlzFailure, "Sonstiger Fehler bei <BLZ>."},
                           {kBlzLength, "Wert <BLZ> hat nicht genau 8 Stellen."},
                           {kBlzInvalid, "Ungültiger Wert in Feld <BLZ>."},
                           8, 8, true};
constexpr Checks kNameRules{{kNameMissing, "Wert <Name> fehlt."},
                            {kNameFailure, "Sonstiger Fehler bei <Name>."},
                            {kNameLength, "Wert hat nicht max. 27 Buchstaben in Feld <Name>."},
                            {},
                            0, 27, false};
constexpr Checks kKontoRules{{kKontoMissing, "Wert <Konto> fehlt."},
                             {kKontoFailure, "Sonstiger Fehler bei <Konto>."},
                             {kKontoLength, "Wert hat nicht max. 10 Stellen in Feld <Konto>."},
                             {kKontoInvalid, "Ungültiger Wert in Feld <Konto>."},
                             0, 10, true};
// Optional: no rule for a missing value, but the empty text is no number.
constexpr Checks kFreieReferenzRules{
    {},
    {kReferenzFailure, "Sonstiger Fehler bei <FreieReferenz>."},
    {kReferenzLength, "Wert hat nicht max. 13 Stellen in Feld <FreieReferenz>."},
    {kReferenzInvalid, "Ungültiger Wert in Feld <FreieReferenz>."},
    0, 13, true};
constexpr Checks kVerwendungsZweckRules{
    {},
    {kZweckFailure, "Sonstiger Fehler bei <VerwendungsZweck>."},
    {kZweckLength, "Wert hat nicht max. 27 Buchstaben in Feld <VerwendungsZweck>."},
    {},
    0, 27, false};

// A new payment misses its four required values.
constexpr std::array<detail::BrokenRules::Entry, 4> kNewPaymentRules = {
    detail::BrokenRules::Broken(kBlzMissing, kBlzRules.missing.message),
    detail::BrokenRules::Broken(kNameMissing, kNameRules.missing.message),
    detail::BrokenRules::Broken(kKontoMissing, kKontoRules.missing.message),
    detail::BrokenRules::Broken(kBetragMissing, "Wert <EuroBetrag> fehlt."),
};

struct Continuation {
  Rule length;
  Rule failure;
  RuleText length_text;
  RuleText failure_text;
};

// The continuation properties by part slot.
constexpr std::array<Continuation, kPartCount> kContinuations = {{
    {Rule{2150}, Rule{2151}, "Wert hat nicht max. 27 Buchstaben in Feld <Name2>.",
     "Sonstiger Fehler bei <Name2>."},
    {Rule{2120}, Rule{2121}, "Wert hat nicht max. 27 Buchstaben in Feld <VerwendungsZweck2>.",
     "Sonstiger Fehler bei <VerwendungsZweck2>."},
    {Rule{2130}, Rule{2131}, "Wert hat nicht max. 27 Buchstaben in Feld <VerwendungsZweck3>.",
     "Sonstiger Fehler bei <VerwendungsZweck3>."},
    {Rule{2140}, Rule{2141}, "Wert hat nicht max. 27 Buchstaben in Feld <VerwendungsZweck4>.",
     "Sonstiger Fehler bei <VerwendungsZweck4>."},
    {Rule{3150}, Rule{3151}, "Wert hat nicht max. 27 Buchstaben in Feld <VerwendungsZweck5>.",
     "Sonstiger Fehler bei <VerwendungsZweck5>."},
    {Rule{3160}, Rule{3161}, "Wert hat nicht max. 27 Buchstaben in Feld <VerwendungsZweck6>.",
     "Sonstiger Fehler bei <VerwendungsZweck6."},
    {Rule{3170}, Rule{3171}, "Wert hat nicht max. 27 Buchstaben in Feld <VerwendungsZweck7>.",
     "Sonstiger Fehler bei <VerwendungsZweck7>."},
    {Rule{3180}, Rule{3181}, "Wert hat nicht max. 27 Buchstaben in Feld <VerwendungsZweck8>.",
     "Sonstiger Fehler bei <VerwendungsZweck8>."},
    {Rule{3190}, Rule{3191}, "Wert hat nicht max. 27 Buchstaben in Feld <VerwendungsZweck9>.",
     "Sonstiger Fehler bei <VerwendungsZweck9>."},
    {Rule{3200}, Rule{3201}, "Wert hat nicht max. 27 Buchstaben in Feld <VerwendungsZweck10>.",
     "Sonstiger Fehler bei <VerwendungsZweck10>."},
    {Rule{3210}, Rule{3211}, "Wert hat nicht max. 27 Buchstaben in Feld <VerwendungsZweck11>.",
     "Sonstiger Fehler bei <VerwendungsZweck11>."},
    {Rule{3220}, Rule{3221}, "Wert hat nicht max. 27 Buchstaben in Feld <VerwendungsZweck12>.",
     "Sonstiger Fehler bei <VerwendungsZweck12>."},
    {Rule{3230}, Rule{3231}, "Wert hat nicht max. 27 Buchstaben in Feld <VerwendungsZweck13>.",
     "Sonstiger Fehler bei <VerwendungsZweck13>."},
    {Rule{3240}, Rule{3241}, "Wert hat nicht max. 27 Buchstaben in Feld <VerwendungsZweck14>.",
     "Sonstiger Fehler bei <VerwendungsZweck14>."},
    {Rule{2160}, Rule{2161}, "Wert hat nicht max. 27 Buchstaben in Feld <MeineInfoName2>.",
     "Sonstiger Fehler bei <MeineInfoName2>."},
}};

constexpr std::size_t kMaxCents = 11;

// The bytes `count` blank parts take (none when `count` is not positive).
std::size_t BlankPartsWidth(std::int64_t count) {
  return count > 0 ? static_cast<std::size_t>(count) * OptField::kStreamWidth : 0;
}

char* WriteBlanks(char* out, std::size_t n) {
  return detail::field_bytes::Fill(out, detail::field_bytes::kBlanks, n);
}

static_assert(kPartCount == detail::OptFieldSlots::kSlotCount);

// The type of the part in `slot`: "01" for Name2, "02" for the purpose lines, "03" for
// MeineInfoName2.
constexpr std::int32_t PartType(Part slot) {
  return slot == kName2 ? 0 : slot == kMeineInfoName2 ? 2 : 1;
}

}  // namespace

struct GeldTransfer::State {
  detail::BrokenRules rules{kNewPaymentRules};  // mInputFieldsErrors
  std::array<detail::ShortText, kSlotCount> values;
  // A part only where a continuation text was assigned; the record writes the ones that
  // were valid when it was last prepared, in slot order and without gaps.
  detail::OptFieldSlots parts;

  void Break(Rule rule, RuleText message) { rules.RuleBroken(rule, true, message); }
  void Clear(Rule rule) { rules.RuleBroken(rule, false); }

  // From slabs of huge pages (see SlabAllocator): a full file holds 32,767 of these.
  static void* operator new(std::size_t size);
  static void operator delete(void* p, std::size_t size) noexcept;
  static detail::SlabAllocator& Memory();

  void SetContinuation(Part part, std::string_view v);
  // Calls f(part) for the parts the record writes at positions from..to (1-based).
  template <typename F>
  void ForEachWritten(std::int64_t from, std::int64_t to, F f) const {
    std::int64_t position = 0;
    for (const OptField& part : parts.Chosen()) {
      ++position;
      if (position >= from && position <= to) f(part);
    }
  }
  // The amount text as a number, or nothing after breaking the rule that says why.
  std::optional<detail::DecimalNumber> ParseAmount(std::string_view v);
  void SetNetAmount(const detail::DecimalNumber& net);
  // The blocks after the fixed part of the record, written at `out` with room for
  // BlockBound(from, to) bytes (the first block: from 1 to 2); each returns the end.
  std::size_t BlockBound(std::int64_t from, std::int64_t to) const;
  char* WriteFirstBlock(char* out) const;
  char* WriteBlock(char* out, std::int64_t from, std::int64_t to) const;
  // The parts at positions from..to in UTF-8, and blanks for the positions without one.
  char* WriteParts(char* out, std::int64_t from, std::int64_t to) const;
  // The most bytes the blocks after the fixed part take: every part and at most 128
  // blanks for each block.
  std::size_t ExtensionBound() const;
  // getRecordAsStream appended to `out` without a temporary.
  void AppendRecord(std::string& out) const;
  // The whole record C in the file's bytes (see GeldTransferAccess::writeFileRecord).
  char* WriteFileRecord(char* out, const detail::CompiledLayout& layout,
                        char32_t* unmappable) const;
};

char* GeldTransfer::State::WriteParts(char* out, std::int64_t from, std::int64_t to) const {
  ForEachWritten(from, to, [&out](const OptField& part) { out = part.writeFieldAsStream(out); });
  return WriteBlanks(out, BlankPartsWidth(to - parts.ChosenCount()));
}

detail::SlabAllocator& GeldTransfer::State::Memory() {
  // Never destroyed: a payment that the host releases while the process ends still
  // returns its memory here.
  static detail::SlabAllocator* const slabs = new detail::SlabAllocator(sizeof(State));
  return *slabs;
}

void* GeldTransfer::State::operator new(std::size_t size) {
  // A full file holds 32,767 payments, and every byte of each is memory the system must
  // clear first: the extension parts live apart (see OptFieldSlots), so that a payment
  // with one purpose line takes some 550 bytes; fifteen parts inline would make it 1,256.
  static_assert(sizeof(State) <= 512, "a payment's state grew beyond its budget");
  if (size != sizeof(State)) return ::operator new(size);
  return Memory().Allocate();
}

void GeldTransfer::State::operator delete(void* p, std::size_t size) noexcept {
  if (size != sizeof(State)) {
    ::operator delete(p);
    return;
  }
  Memory().Deallocate(p);
}

GeldTransfer::GeldTransfer() : s_(std::make_unique<State>()) {}

GeldTransfer::~GeldTransfer() = default;

void GeldTransfer::BLZ(std::string_view v) {
  detail::AssignProperty(s_->rules, kBlzRules, v, s_->values[kBlz]);
}

std::string GeldTransfer::BLZ() const { return s_->values[kBlz].str(); }

void GeldTransfer::Name(std::string_view v) {
  detail::AssignProperty(s_->rules, kNameRules, v, s_->values[kName]);
}

void GeldTransfer::Konto(std::string_view v) {
  detail::AssignProperty(s_->rules, kKontoRules, v, s_->values[kKonto]);
}

std::string GeldTransfer::Konto() const { return s_->values[kKonto].str(); }

void GeldTransfer::FreieReferenz(std::string_view v) {
  detail::AssignProperty(s_->rules, kFreieReferenzRules, v, s_->values[kReferenz]);
}

std::optional<detail::DecimalNumber> GeldTransfer::State::ParseAmount(std::string_view v) {
  if (!detail::IsValidUtf8(v)) {
    Break(kBetragFailure, "Sonstiger Fehler bei <Euro Betrag>.");
    return std::nullopt;
  }
  auto amount = detail::DecimalNumber::Parse(v);
  if (!amount) Break(kBetragInvalid, "Ungültiger Wert in Feld <Euro Betrag>.");
  return amount;
}

void GeldTransfer::BetragEuro(std::string_view v) {
  s_->Clear(kBetragMissing);
  s_->Clear(kBetragFailure);
  try {
    if (const auto net = s_->ParseAmount(v)) s_->SetNetAmount(*net);
  } catch (...) {
    s_->Break(kBetragFailure, "Sonstiger Fehler bei <Euro Betrag>.");
  }
}

void GeldTransfer::BetragEuroNetto(std::string_view v) { BetragEuro(v); }

void GeldTransfer::BetragEuroBrutto(std::string_view v) {
  // Unlike the net path this clears nothing when the text is no usable number.
  try {
    const auto gross = s_->ParseAmount(v);
    if (!gross) return;
    if (std::isinf(gross->ToDouble())) {
      s_->Break(kBetragFailure, "Sonstiger Fehler bei <Euro Betrag>.");
      return;
    }
    // The gross amount goes the net amount's way: net = gross / 1.19, rounded to 15
    // significant digits, whose gross cents are then computed as for BetragEuro.
    const detail::DecimalNumber net = gross->NetFromGross();
    s_->Clear(kBetragMissing);
    s_->Clear(kBetragFailure);
    s_->SetNetAmount(net);
  } catch (...) {
    s_->Break(kBetragFailure, "Sonstiger Fehler bei <Euro Betrag>.");
  }
}

void GeldTransfer::State::SetNetAmount(const detail::DecimalNumber& net) {
  // The cents are computed exactly; double precision only marks the values that the
  // double arithmetic of the conversion, the product with 1.19 or the cents cannot
  // hold at all. Those are reported as a failure, not as too many digits.
  const double n = net.ToDouble();
  const double gross = n * 1.19;
  if (!std::isfinite(n) || !std::isfinite(gross) || !std::isfinite(gross * 100.0)) {
    Break(kBetragFailure, "Sonstiger Fehler bei <Euro Betrag>.");
    return;
  }
  const std::string cents = net.GrossCentsFromNet();
  // A negative amount has no place in a DTAUS record (its sign would land behind zero
  // fill): it is refused like any other invalid value, and zero stays valid.
  if (cents.front() == '-') {
    Break(kBetragInvalid, "Ungültiger Wert in Feld <Euro Betrag>.");
    return;
  }
  if (cents.size() > kMaxCents) {
    Break(kBetragLength, "Wert hat nicht max. 11 Stellen in Feld <Euro Betrag>.");
    return;
  }
  values[kBetrag] = cents;
  Clear(kBetragInvalid);
  Clear(kBetragLength);
}

std::string GeldTransfer::BetragEuroBrutto() const { return s_->values[kBetrag].str(); }

void GeldTransfer::VerwendungsZweck(std::string_view v) {
  detail::AssignProperty(s_->rules, kVerwendungsZweckRules, v, s_->values[kZweck]);
}

void GeldTransfer::State::SetContinuation(Part part, std::string_view v) {
  // Nothing is cleared first: a continuation's failure rule, once broken, stays. The
  // part's check is the property's check (27 characters of UTF-8), made once for both.
  const Continuation& c = kContinuations[part];
  switch (OptField::CheckValue(v)) {
    case OptField::TextCheck::kNotUtf8:
      Break(c.failure, c.failure_text);
      return;
    case OptField::TextCheck::kTooLong:
      Break(c.length, c.length_text);
      return;
    case OptField::TextCheck::kAccepted:
      break;
  }
  try {
    parts.Make(part, PartType(part)).AcceptValue(v);
    Clear(c.length);
  } catch (...) {
    Break(c.failure, c.failure_text);
  }
}

void GeldTransfer::VerwendungsZweck2(std::string_view v) { s_->SetContinuation(Part(kZweck2), v); }
void GeldTransfer::VerwendungsZweck3(std::string_view v) { s_->SetContinuation(Part(kZweck2 + 1), v); }
void GeldTransfer::VerwendungsZweck4(std::string_view v) { s_->SetContinuation(Part(kZweck2 + 2), v); }
void GeldTransfer::VerwendungsZweck5(std::string_view v) { s_->SetContinuation(Part(kZweck2 + 3), v); }
void GeldTransfer::VerwendungsZweck6(std::string_view v) { s_->SetContinuation(Part(kZweck2 + 4), v); }
void GeldTransfer::VerwendungsZweck7(std::string_view v) { s_->SetContinuation(Part(kZweck2 + 5), v); }
void GeldTransfer::VerwendungsZweck8(std::string_view v) { s_->SetContinuation(Part(kZweck2 + 6), v); }
void GeldTransfer::VerwendungsZweck9(std::string_view v) { s_->SetContinuation(Part(kZweck2 + 7), v); }
void GeldTransfer::VerwendungsZweck10(std::string_view v) { s_->SetContinuation(Part(kZweck2 + 8), v); }
void GeldTransfer::VerwendungsZweck11(std::string_view v) { s_->SetContinuation(Part(kZweck2 + 9), v); }
void GeldTransfer::VerwendungsZweck12(std::string_view v) { s_->SetContinuation(Part(kZweck2 + 10), v); }
void GeldTransfer::VerwendungsZweck13(std::string_view v) { s_->SetContinuation(Part(kZweck2 + 11), v); }
void GeldTransfer::VerwendungsZweck14(std::string_view v) { s_->SetContinuation(Part(kZweck14), v); }
void GeldTransfer::Name2(std::string_view v) { s_->SetContinuation(kName2, v); }
void GeldTransfer::MeineInfoName2(std::string_view v) { s_->SetContinuation(kMeineInfoName2, v); }

bool GeldTransfer::InputFieldsValid() const { return s_->rules.Count() == 0; }

std::string GeldTransfer::InputFieldsErrors() const {
  return s_->rules.Report("Fehler in GeldTransfer:", " - ");
}

// ---- Generation: called by the file object only ----

std::size_t GeldTransfer::State::BlockBound(std::int64_t from, std::int64_t to) const {
  std::size_t bound = std::max(detail::kSecondBlockReserveWidth, detail::kBlockReserveWidth) +
                      BlankPartsWidth(to - parts.ChosenCount());
  ForEachWritten(from, to, [&bound](const OptField& part) { bound += part.StreamBound(); });
  return bound;
}

char* GeldTransfer::State::WriteFirstBlock(char* out) const {
  // Positions 188-256: extension parts 1 and 2 (or blanks) and an 11-blank reserve.
  char* const start = out;
  try {
    return WriteBlanks(WriteParts(out, 1, detail::kPartsInSecondBlock),
                       detail::kSecondBlockReserveWidth);
  } catch (const std::exception& e) {
    detail::Notify(e.what());
    return start;
  }
}

char* GeldTransfer::State::WriteBlock(char* out, std::int64_t from, std::int64_t to) const {
  // A continuation block: four parts (or blanks) and a 12-blank reserve, 128 in all.
  return WriteBlanks(WriteParts(out, from, to), detail::kBlockReserveWidth);
}

std::size_t GeldTransfer::State::ExtensionBound() const {
  const std::size_t blocks = detail::PaymentRecordSize(parts.ChosenCount()) / detail::kBlockSize;
  std::size_t bound = (blocks - 1) * detail::kBlockSize;
  for (const OptField& part : parts.Chosen()) bound += part.StreamBound();
  return bound;
}

void GeldTransfer::State::AppendRecord(std::string& out) const {
  const std::size_t start = out.size();
  try {
    // Blocks 3 to 6 carry parts 3-6, 7-10, 11-14 and 15, as far as there are parts.
    const int n = parts.ChosenCount();
    // The whole record is written into room made once (see RawAppend).
    detail::RawAppend append(
        out, detail::LayoutBound(detail::record_c::kLayout, values) + ExtensionBound());
    append.cursor = detail::WriteLayout(append.cursor, detail::record_c::kLayout, values);
    append.cursor = WriteFirstBlock(append.cursor);
    for (int from = detail::kPartsInSecondBlock + 1; from <= n; from += detail::kPartsPerBlock) {
      append.cursor = WriteBlock(append.cursor, from, from + detail::kPartsPerBlock - 1);
    }
  } catch (...) {
    out.resize(start);
    out += "Fehler bei Generierung von GeldTransfer.";
  }
}

char* GeldTransfer::State::WriteFileRecord(char* out, const detail::CompiledLayout& layout,
                                           char32_t* unmappable) const {
  out = layout.Write(out, values, unmappable);
  if (out == nullptr) return nullptr;
  // The parts in order: two in block 2 before its 11-blank reserve, four in each later
  // block before its 12-blank reserve. The last block is filled up with blanks. Like the
  // fields, the parts and blanks are stored in whole words, up to kWordSlack bytes past
  // the end.
  const auto blanks = [](char* at, std::size_t n) {
    return detail::FillWords(at, detail::field_bytes::kBlanks, n);
  };
  int room = detail::kPartsInSecondBlock;  // places left in the current block
  std::size_t reserve = detail::kSecondBlockReserveWidth;
  for (const OptField& part : parts.Chosen()) {
    out = part.writeEncodedStream(out, unmappable);
    if (out == nullptr) return nullptr;
    if (--room == 0) {
      out = blanks(out, reserve);
      room = detail::kPartsPerBlock;
      reserve = detail::kBlockReserveWidth;
    }
  }
  if (room < detail::kPartsPerBlock) {  // always in block 2
    out = blanks(out, static_cast<std::size_t>(room) * detail::kPartWidth + reserve);
  }
  return out;
}

namespace detail {

void GeldTransferAccess::ReleaseSpareMemory() noexcept {
  GeldTransfer::State::Memory().ReleaseSpares();
  OptFieldSlots::ReleaseSpareMemory();
}

void GeldTransferAccess::MeineInfoBLZ(GeldTransfer& g, std::string_view v) {
  g.s_->values[kMeineInfoBlz] = v;
}
void GeldTransferAccess::MeineInfoKonto(GeldTransfer& g, std::string_view v) {
  g.s_->values[kMeineInfoKonto] = v;
}
void GeldTransferAccess::MeineInfoName(GeldTransfer& g, std::string_view v) {
  g.s_->values[kMeineInfoName] = v;
}
void GeldTransferAccess::TextSchluessel(GeldTransfer& g, std::string_view v) {
  g.s_->values[kTextSchluessel] = v;
}
void GeldTransferAccess::TextSchluesselErgaenzung(GeldTransfer& g, std::string_view v) {
  g.s_->values[kErgaenzung] = v;
}

void GeldTransferAccess::setMeineInfoFields(GeldTransfer& g, const MeineInfo& header) {
  // Exactly the slots of record_c::kHeaderSlots: what every record of the file shares.
  auto& values = g.s_->values;
  // Transaction key 05 collects a direct debit, 51 pays out a credit transfer.
  values[kTextSchluessel].AssignAscii(
      MeineInfoAccess::getGeldTransferTyp(header) == TransferTyp::Gutschrift ? "51" : "05");
  values[kErgaenzung].AssignAscii("000");
  values[kMeineInfoBlz] = MeineInfoAccess::getBLZ(header);
  values[kMeineInfoKonto] = MeineInfoAccess::getKonto(header);
  values[kMeineInfoName] = MeineInfoAccess::getName(header);
}

bool GeldTransferAccess::prepareStream(GeldTransfer& g) {
  GeldTransfer::State& s = *g.s_;
  try {
    // Every preparation chooses the parts afresh, so that generating twice, or a payment
    // added twice, writes the same record each time: every valid part, in slot order.
    // Record length "0187" to "0622" (logical: the fixed part plus 29 per part) and the
    // part count "00" to "15".
    const int n = s.parts.ChooseValid();
    const auto length = static_cast<int>(PaymentRecordLength(n));
    const char length_text[] = {'0', static_cast<char>('0' + length / 100),
                                static_cast<char>('0' + length / 10 % 10),
                                static_cast<char>('0' + length % 10)};
    const char count_text[] = {static_cast<char>('0' + n / 10), static_cast<char>('0' + n % 10)};
    s.values[kSatzlaenge].AssignAscii(std::string_view(length_text, sizeof length_text));
    s.values[kErweiterungen].AssignAscii(std::string_view(count_text, sizeof count_text));
    return true;
  } catch (...) {
    return false;
  }
}

std::string_view GeldTransferAccess::getBetragEuro(const GeldTransfer& g) {
  return g.s_->values[kBetrag].view();
}

std::string GeldTransferAccess::getOptFieldsFirstBlock(GeldTransfer& g) {
  std::string out;
  RawAppend append(out, g.s_->BlockBound(1, kPartsInSecondBlock));
  append.cursor = g.s_->WriteFirstBlock(append.cursor);
  return out;
}

std::string GeldTransferAccess::getOptFieldsBlock(const GeldTransfer& g, std::int16_t from,
                                                  std::int16_t to) {
  std::string out;
  RawAppend append(out, g.s_->BlockBound(from, to));
  append.cursor = g.s_->WriteBlock(append.cursor, from, to);
  return out;
}

std::string GeldTransferAccess::getRecordAsStream(GeldTransfer& g) {
  std::string record;
  record.reserve(kMaxPaymentRecordSize);
  g.s_->AppendRecord(record);
  return record;
}

bool GeldTransferAccess::compileFileRecord(const GeldTransfer& g, CompiledLayout& layout,
                                           char32_t* unmappable) {
  return layout.Compile(record_c::kLayout, g.s_->values, record_c::kOwnSlots, unmappable);
}

char* GeldTransferAccess::writeFileRecord(const GeldTransfer& g, char* out,
                                          const CompiledLayout& layout, char32_t* unmappable) {
  return g.s_->WriteFileRecord(out, layout, unmappable);
}

void GeldTransferAccess::prefetchState(const GeldTransfer& g) {
  Prefetch(g.s_.get(), sizeof(GeldTransfer::State));
}

std::string_view GeldTransferAccess::getBLZ(const GeldTransfer& g) {
  return g.s_->values[kBlz].view();
}
std::string_view GeldTransferAccess::getKonto(const GeldTransfer& g) {
  return g.s_->values[kKonto].view();
}

}  // namespace detail
}  // namespace dtaus
