// Shared helpers for the white-box tests of the records and the file object.
#ifndef DTAUS_RECORDS_TEST_SUPPORT_H_
#define DTAUS_RECORDS_TEST_SUPPORT_H_

#include <memory>
#include <string>

#include "dtaus/dtaus.h"
#include "fields/clock.h"
#include "records/geld_transfer_access.h"
#include "records/meine_info_access.h"

namespace dtaus::detail {

// A payment's setters by pointer.
using Setter = void (GeldTransfer::*)(std::string_view);

// The continuation properties in the order in which their parts are written.
inline constexpr Setter kContinuations[] = {
    &GeldTransfer::Name2,              &GeldTransfer::VerwendungsZweck2,
    &GeldTransfer::VerwendungsZweck3,  &GeldTransfer::VerwendungsZweck4,
    &GeldTransfer::VerwendungsZweck5,  &GeldTransfer::VerwendungsZweck6,
    &GeldTransfer::VerwendungsZweck7,  &GeldTransfer::VerwendungsZweck8,
    &GeldTransfer::VerwendungsZweck9,  &GeldTransfer::VerwendungsZweck10,
    &GeldTransfer::VerwendungsZweck11, &GeldTransfer::VerwendungsZweck12,
    &GeldTransfer::VerwendungsZweck13, &GeldTransfer::VerwendungsZweck14,
    &GeldTransfer::MeineInfoName2,
};

// Pins today's date for the life of the object.
class ScopedToday {
 public:
  ScopedToday(int year, int month, int day);
  ~ScopedToday();
  ScopedToday(const ScopedToday&) = delete;
  ScopedToday& operator=(const ScopedToday&) = delete;

 private:
  TodayFunction previous_;
  CivilDate previous_date_;
};

// A valid header: Gutschrift on Diskette, BLZ 12345678, "MUSTERMANN GMBH", 1234567890.
void FillValidHeader(MeineInfo& header);
std::shared_ptr<GeldTransfer> ValidPayment(const std::string& blz = "87654321",
                                           const std::string& konto = "1234567",
                                           const std::string& betrag = "100");
// A payment that has taken over `header` and been prepared, ready to stream.
std::shared_ptr<GeldTransfer> PreparedPayment(const MeineInfo& header);

// "ddmmyy" / "ddmmyyyy" of a date `offset` days after today's pinned date.
std::string DateText(int offset, bool four_digit_year, const char* separator = "");

std::string Blanks(std::size_t n);
std::string Repeat(std::string_view text, std::size_t n);
std::string Zeros(std::size_t n);

}  // namespace dtaus::detail

#endif  // DTAUS_RECORDS_TEST_SUPPORT_H_
