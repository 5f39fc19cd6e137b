// The layout of the three DTAUS record kinds, as data.
//
// Each record is declared once as a table of its fields in record order: the DTAUS
// field name (A4, C12, E8), what the field holds, its offset from the start of the
// record, its width, how the reader checks it, and the member of the parsed record that
// receives its value. The reader walks these tables; nothing else in the reader knows a
// field position. The static_asserts below make sure that the fields follow each other
// without gaps and fill their records exactly.
//
//   for (const auto& field : dtaus::detail::kHeaderFields)
//     std::cout << field.dtaus_field << " at " << field.offset << '\n';
#ifndef DTAUS_READER_RECORD_LAYOUT_H_
#define DTAUS_READER_RECORD_LAYOUT_H_

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "dtaus/dtaus_reader.h"
#include "records/record_geometry.h"

namespace dtaus::detail {

// The block geometry (kBlockSize, the part positions, the 187 + 29 n rule) is the
// writer's too: see records/record_geometry.h.

// How the reader checks a field.
enum class FieldKind {
  kRecordType,    // the letter A, C or E; recognised before the fields are read
  kNumber,        // zero-filled number: digits only
  kText,          // left-aligned text: DTAUS character set, trailing blanks dropped
  kReserve,       // unused: should be blank
  kCurrency,      // "1" for euro, the only currency banks still take (a blank meant DM)
  kDate,          // ddmmyy
  kOptionalDate,  // ddmmyyyy, or blank
  kFileKind,      // "GK" or "LK"
  kFree,          // not checked: the bank-internal field C8
};

template <typename Record>
struct FieldLayout {
  std::string_view dtaus_field;
  std::string_view label;
  std::size_t offset;
  std::size_t width;
  FieldKind kind;
  std::string Record::*target;  // nullptr when nothing is kept
};

// True when the fields follow each other without gaps and end at `length`.
template <typename Record, std::size_t N>
constexpr bool FieldsFill(const std::array<FieldLayout<Record>, N>& fields, std::size_t length) {
  std::size_t next = 0;
  for (const auto& field : fields) {
    if (field.offset != next || field.width == 0) return false;
    next += field.width;
  }
  return next == length;
}

// Record A: the header. A11 is split into a reserve, the execution date and a second
// reserve; the execution date was added to DTAUS later in the unused space.
inline constexpr std::array<FieldLayout<HeaderRecord>, 14> kHeaderFields = {{
    {"A1", "record length", 0, 4, FieldKind::kNumber, &HeaderRecord::record_length},
    {"A2", "record type", 4, 1, FieldKind::kRecordType, nullptr},
    {"A3", "file kind", 5, 2, FieldKind::kFileKind, &HeaderRecord::kind},
    {"A4", "bank code of the ordering party", 7, 8, FieldKind::kNumber, &HeaderRecord::BLZ},
    {"A5", "bank code of a sending bank", 15, 8, FieldKind::kNumber, &HeaderRecord::sender_blz},
    {"A6", "name of the ordering party", 23, 27, FieldKind::kText, &HeaderRecord::Name},
    {"A7", "creation date", 50, 6, FieldKind::kDate, &HeaderRecord::AktuellesDatum},
    {"A8", "reserve", 56, 4, FieldKind::kReserve, nullptr},
    {"A9", "account of the ordering party", 60, 10, FieldKind::kNumber, &HeaderRecord::Konto},
    {"A10", "reference number", 70, 10, FieldKind::kNumber, &HeaderRecord::FreieReferenz},
    {"A11a", "reserve", 80, 15, FieldKind::kReserve, nullptr},
    {"A11b", "execution date", 95, 8, FieldKind::kOptionalDate, &HeaderRecord::AusfuehrungsDatum},
    {"A11c", "reserve", 103, 24, FieldKind::kReserve, nullptr},
    {"A12", "currency code", 127, 1, FieldKind::kCurrency, &HeaderRecord::currency},
}};
static_assert(FieldsFill(kHeaderFields, kBlockSize), "record A fills one block");

// Record C up to and including the extension-part count C18. The extension parts that
// follow are laid out by PartOffset.
inline constexpr std::array<FieldLayout<PaymentRecord>, 21> kPaymentFields = {{
    {"C1", "record length", 0, 4, FieldKind::kNumber, &PaymentRecord::record_length},
    {"C2", "record type", 4, 1, FieldKind::kRecordType, nullptr},
    {"C3", "bank code of the first involved bank", 5, 8, FieldKind::kNumber,
     &PaymentRecord::first_blz},
    {"C4", "bank code of the payee or payer", 13, 8, FieldKind::kNumber, &PaymentRecord::BLZ},
    {"C5", "account of the payee or payer", 21, 10, FieldKind::kNumber, &PaymentRecord::Konto},
    {"C6", "internal customer number", 31, 13, FieldKind::kNumber, &PaymentRecord::FreieReferenz},
    {"C7a", "transaction key", 44, 2, FieldKind::kNumber, &PaymentRecord::TextSchluessel},
    {"C7b", "transaction key supplement", 46, 3, FieldKind::kNumber,
     &PaymentRecord::TextSchluesselErgaenzung},
    {"C8", "bank-internal field", 49, 1, FieldKind::kFree, nullptr},
    {"C9", "amount in the former national currency", 50, 11, FieldKind::kNumber,
     &PaymentRecord::betrag_dm},
    {"C10", "bank code of the ordering party", 61, 8, FieldKind::kNumber,
     &PaymentRecord::MeineInfoBLZ},
    {"C11", "account of the ordering party", 69, 10, FieldKind::kNumber,
     &PaymentRecord::MeineInfoKonto},
    {"C12", "amount in euro", 79, 11, FieldKind::kNumber, &PaymentRecord::BetragEuro},
    {"C13", "reserve", 90, 3, FieldKind::kReserve, nullptr},
    {"C14a", "name of the payee or payer", 93, 27, FieldKind::kText, &PaymentRecord::Name},
    {"C14b", "reserve", 120, 8, FieldKind::kReserve, nullptr},
    {"C15", "name of the ordering party", 128, 27, FieldKind::kText, &PaymentRecord::MeineInfoName},
    {"C16", "purpose", 155, 27, FieldKind::kText, &PaymentRecord::VerwendungsZweck},
    {"C17a", "currency code", 182, 1, FieldKind::kCurrency, &PaymentRecord::currency},
    {"C17b", "reserve", 183, 2, FieldKind::kReserve, nullptr},
    {"C18", "number of extension parts", 185, 2, FieldKind::kNumber, &PaymentRecord::part_count},
}};
static_assert(FieldsFill(kPaymentFields, kPaymentFixedLength), "record C: 187 fixed bytes");

// Record E: the trailer with the count and the control sums.
inline constexpr std::array<FieldLayout<TrailerRecord>, 9> kTrailerFields = {{
    {"E1", "record length", 0, 4, FieldKind::kNumber, &TrailerRecord::Satzlaenge},
    {"E2", "record type", 4, 1, FieldKind::kRecordType, nullptr},
    {"E3", "reserve", 5, 5, FieldKind::kReserve, nullptr},
    {"E4", "number of records C", 10, 7, FieldKind::kNumber, &TrailerRecord::TotalDatensatzItems},
    {"E5", "sum of the amounts in the former national currency", 17, 13, FieldKind::kNumber,
     &TrailerRecord::betrag_dm_sum},
    {"E6", "sum of the accounts", 30, 17, FieldKind::kNumber, &TrailerRecord::TotalPasivKonto},
    {"E7", "sum of the bank codes", 47, 17, FieldKind::kNumber, &TrailerRecord::TotalPasivBLZ},
    {"E8", "sum of the amounts in euro", 64, 13, FieldKind::kNumber, &TrailerRecord::TotalEuro},
    {"E9", "reserve", 77, 51, FieldKind::kReserve, nullptr},
}};
static_assert(FieldsFill(kTrailerFields, kBlockSize), "record E fills one block");

}  // namespace dtaus::detail

#endif  // DTAUS_READER_RECORD_LAYOUT_H_
