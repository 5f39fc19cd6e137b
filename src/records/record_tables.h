// The three DTAUS records as the writer lays them out.
//
// Each record is one table of its fixed-width fields (see FieldSpec) and one enumeration
// of its stored values, the slots the table's fields show. MeineInfo renders record A,
// GeldTransfer record C and Footer record E from these; the reader keeps its own tables
// of the same fields (reader/record_layout.h), which a test holds against these
// position by position.
#ifndef DTAUS_RECORDS_RECORD_TABLES_H_
#define DTAUS_RECORDS_RECORD_TABLES_H_

#include <cstdint>

#include "fields/dt_aus_field.h"
#include "records/record_geometry.h"
#include "records/record_layout.h"

namespace dtaus::detail {

// Record A: the header.
namespace record_a {

// The stored values of record A; everything else in the record is constant.
enum Slot {
  kSatzlaenge,   // A1: "0128" (Diskette) or "0256" (Kassette)
  kKennzeichen,  // A3: "LK" (Lastschrift) or "GK" (Gutschrift)
  kBlz,          // A4
  kName,         // A6
  kDatum,        // A7: ddmmyy
  kKonto,        // A9
  kReferenz,     // A10
  kAusfuehrung,  // A11b: ddmmyyyy, or empty
  kSlotCount
};

// A11 was one reserve; the execution date was added to DTAUS later in its middle.
inline constexpr FieldSpec kLayout[] = {
    {"A1 record length", 4, false, kFillBlank, kSatzlaenge, {}},
    {"A2 record type", 1, false, kFillBlank, FieldSpec::kConstant, "A"},
    {"A3 file kind", 2, false, kFillBlank, kKennzeichen, {}},
    {"A4 bank code of the ordering party", 8, false, kFillBlank, kBlz, {}},
    {"A5 bank code of a sending bank", 8, false, kFillZero, FieldSpec::kConstant, {}},
    {"A6 name of the ordering party", 27, true, kFillBlank, kName, {}},
    {"A7 creation date", 6, false, kFillBlank, kDatum, {}},
    {"A8 reserve", 4, false, kFillBlank, FieldSpec::kConstant, {}},
    {"A9 account of the ordering party", 10, false, kFillZero, kKonto, {}},
    {"A10 reference number", 10, false, kFillZero, kReferenz, {}},
    {"A11a reserve", 15, false, kFillBlank, FieldSpec::kConstant, {}},
    {"A11b execution date", 8, false, kFillBlank, kAusfuehrung, {}},
    {"A11c reserve", 24, false, kFillBlank, FieldSpec::kConstant, {}},
    {"A12 currency code (1 = euro)", 1, false, kFillBlank, FieldSpec::kConstant, "1"},
};
static_assert(TotalWidth(kLayout) == kBlockSize);

}  // namespace record_a

// Record C: one payment. Positions 1-187 are its fixed part; the blocks with the
// extension parts follow (see record_geometry.h).
namespace record_c {

// The stored values of record C; everything else in the record is constant.
enum Slot {
  kSatzlaenge,      // C1: logical record length, 187 + 29 per extension part
  kMeineInfoBlz,    // C3 and C10: the ordering party's bank code, from the header
  kBlz,             // C4
  kKonto,           // C5
  kReferenz,        // C6
  kTextSchluessel,  // C7a: 05 direct debit, 51 credit transfer
  kErgaenzung,      // C7b: 000
  kMeineInfoKonto,  // C11
  kBetrag,          // C12: gross amount in cents
  kName,            // C14a
  kMeineInfoName,   // C15
  kZweck,           // C16
  kErweiterungen,   // C18: number of extension parts, "00" to "15"
  kSlotCount
};

inline constexpr FieldSpec kLayout[] = {
    {"C1 record length", 4, false, kFillBlank, kSatzlaenge, {}},
    {"C2 record type", 1, false, kFillBlank, FieldSpec::kConstant, "C"},
    {"C3 bank code of the first involved bank", 8, false, kFillBlank, kMeineInfoBlz, {}},
    {"C4 bank code of the payee or payer", 8, false, kFillBlank, kBlz, {}},
    {"C5 account of the payee or payer", 10, false, kFillZero, kKonto, {}},
    {"C6 internal customer number", 13, false, kFillZero, kReferenz, {}},
    {"C7a transaction key", 2, false, kFillBlank, kTextSchluessel, {}},
    {"C7b transaction key supplement", 3, false, kFillBlank, kErgaenzung, {}},
    {"C8 bank-internal field", 1, false, kFillBlank, FieldSpec::kConstant, {}},
    {"C9 amount in the former national currency", 11, false, kFillZero, FieldSpec::kConstant, {}},
    {"C10 bank code of the ordering party", 8, false, kFillBlank, kMeineInfoBlz, {}},
    {"C11 account of the ordering party", 10, false, kFillZero, kMeineInfoKonto, {}},
    {"C12 amount in euro cents", 11, false, kFillZero, kBetrag, {}},
    {"C13 reserve", 3, false, kFillBlank, FieldSpec::kConstant, {}},
    {"C14a name of the payee or payer", 27, true, kFillBlank, kName, {}},
    {"C14b reserve", 8, false, kFillBlank, FieldSpec::kConstant, {}},
    {"C15 name of the ordering party", 27, true, kFillBlank, kMeineInfoName, {}},
    {"C16 purpose", 27, true, kFillBlank, kZweck, {}},
    {"C17a currency code (1 = euro)", 1, false, kFillBlank, FieldSpec::kConstant, "1"},
    {"C17b reserve", 2, false, kFillBlank, FieldSpec::kConstant, {}},
    {"C18 number of extension parts", 2, false, kFillBlank, kErweiterungen, {}},
};
static_assert(TotalWidth(kLayout) == kPaymentFixedLength);

// The slots that setMeineInfoFields fills from the header: the same in every record of
// a file, so Generate renders them once (see CompiledLayout). Every other slot is the
// payment's own and is rendered for each record; a slot added later is the payment's own
// unless it is listed here, so that no record can carry another payment's value.
inline constexpr std::uint64_t kHeaderSlots = SlotBit(kMeineInfoBlz) | SlotBit(kTextSchluessel) |
                                              SlotBit(kErgaenzung) | SlotBit(kMeineInfoKonto) |
                                              SlotBit(kMeineInfoName);
static_assert(kSlotCount < 64, "the slot sets are 64-bit masks");
inline constexpr std::uint64_t kOwnSlots = (SlotBit(kSlotCount) - 1) & ~kHeaderSlots;

}  // namespace record_c

// Record E: the trailer with the count and the control sums.
namespace record_e {

enum Slot {
  kSatzlaenge,  // E1: "0128" or "0256", as record A
  kItems,       // E4: the number of records C
  kKonto,       // E6: the sum of the accounts C5
  kBlz,         // E7: the sum of the bank codes C4
  kEuro,        // E8: the sum of the amounts C12 in cents
  kSlotCount
};

inline constexpr FieldSpec kLayout[] = {
    {"E1 record length", 4, false, kFillBlank, kSatzlaenge, {}},
    {"E2 record type", 1, false, kFillBlank, FieldSpec::kConstant, "E"},
    {"E3 reserve", 5, false, kFillBlank, FieldSpec::kConstant, {}},
    {"E4 number of records C", 7, false, kFillZero, kItems, {}},
    {"E5 sum in the former national currency", 13, false, kFillZero, FieldSpec::kConstant, {}},
    {"E6 sum of account numbers", 17, false, kFillZero, kKonto, {}},
    {"E7 sum of bank codes", 17, false, kFillZero, kBlz, {}},
    {"E8 sum of euro amounts in cents", 13, false, kFillZero, kEuro, {}},
    {"E9 reserve", 51, false, kFillBlank, FieldSpec::kConstant, {}},
};
static_assert(TotalWidth(kLayout) == kBlockSize);

}  // namespace record_e

}  // namespace dtaus::detail

#endif  // DTAUS_RECORDS_RECORD_TABLES_H_
