// The accompanying slip (Begleitzettel) that banks required, signed, with every DTAUS
// data carrier: who sends the file, what kind of file it is, how many payments it holds
// and the control sums the bank compares with record E. Printed as text, or as an HTML
// page that prints on one A4 sheet.
//
//   dtaus::DtausReader reader(bytes);
//   if (!reader.HasErrors()) std::cout << RenderSlipText(reader, "DTAUS0.TXT");
//
// The slip is only meaningful for a sound file: the caller checks for errors first.
// Its wording is German, as the banks' forms were. With the bank directory's notes it
// names the ordering party's bank and gives the account's IBAN by the standard rule.
#ifndef DTAUS_TOOLS_SLIP_H_
#define DTAUS_TOOLS_SLIP_H_

#include <string>

#include "dtaus/dtaus_reader.h"

namespace dtaus::tool {

class BankNotes;

std::string RenderSlipText(const DtausReader& reader, const std::string& file_name,
                           const BankNotes* banks = nullptr);

std::string RenderSlipHtml(const DtausReader& reader, const std::string& file_name,
                           const BankNotes* banks = nullptr);

}  // namespace dtaus::tool

#endif  // DTAUS_TOOLS_SLIP_H_
