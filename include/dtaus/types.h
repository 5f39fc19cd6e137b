// File: dtaus/types.h
//
// The two enumerations of the DTAUS library. Both travel as 32-bit integers, also
// through the automation interface, so a host may hand over any 32-bit value with a
// static_cast; the setters that take them check the value and record a broken rule
// for anything outside the enumeration.
#ifndef DTAUS_TYPES_H_
#define DTAUS_TYPES_H_

#include <cstdint>

namespace dtaus {

// The data carrier the file is meant for. It decides the record length of the
// header and trailer records: 128 characters on a Diskette, 256 on a Kassette
// (magnetic tape), where records A and E are padded with 128 blanks.
enum class MediaTyp : std::int32_t { Diskette = 0, Kassette = 1 };

// What the file asks the bank to do: collect direct debits (Lastschrift, file kind
// "LK", transaction key 05) or pay out credit transfers (Gutschrift, "GK", key 51).
enum class TransferTyp : std::int32_t { Lastschrift = 0, Gutschrift = 1 };

}  // namespace dtaus

#endif  // DTAUS_TYPES_H_
