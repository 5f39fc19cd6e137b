// What `dtaus show` prints: the header, a table of the payments, the totals and the
// reader's findings, as text for people or as JSON for programs.
//
//   dtaus::DtausReader reader(bytes);
//   std::cout << RenderShowText(reader, "DTAUS0.TXT");
//
// Texts are shown as the bank will read them, except that the DIN 66003 codes [ \ ] ~
// are shown as the letters Ä Ö Ü ß they stand for. A name and a purpose are shown with
// their continuation lines (extension parts 01 and 02) joined by blanks. With the bank
// directory's notes, each bank code is shown with its bank's name, the findings include
// the directory's, and the JSON gives each account's IBAN by the standard rule.
#ifndef DTAUS_TOOLS_SHOW_REPORT_H_
#define DTAUS_TOOLS_SHOW_REPORT_H_

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "dtaus/dtaus_reader.h"

namespace dtaus::tool {

class BankNotes;

std::string RenderShowText(const DtausReader& reader, const std::string& file_name,
                           const BankNotes* banks = nullptr);

std::string RenderShowJson(const DtausReader& reader, const std::string& file_name,
                           const BankNotes* banks = nullptr);

// The same text as RenderShowText for the file `bytes`, written to `out` as it goes
// and without holding the decoded file: the bytes are read twice, once for the findings,
// `banks`' notes and the columns' widths, once for the rows. Without `payments` the table
// is left out (show --summary) and the file is read once, its texts undecoded. `banks`
// must be new: it takes every payment's notes.
void WriteShowText(std::string_view bytes, const std::string& file_name, BankNotes& banks,
                   bool payments, std::ostream& out);

// One finding on one line: "error    byte 1034  E  E4 number of records C: says ...".
std::string FormatFinding(const Finding& finding);

// "1 error, 2 warnings".
std::string CountFindings(std::size_t errors, std::size_t warnings);

// Display helpers shared with the slip.
// The payee's name with its continuation parts (type 01).
std::string DisplayName(const PaymentRecord& payment);
// The purpose with its continuation parts (type 02).
std::string DisplayPurpose(const PaymentRecord& payment);
// A zero-filled number without its leading zeros ("0001234567" -> "1234567"); other
// text unchanged.
std::string StripZeros(const std::string& digits);
// ddmmyy -> dd.mm.yy, ddmmyyyy -> dd.mm.yyyy; anything else unchanged.
std::string DisplayDate(const std::string& date);

}  // namespace dtaus::tool

#endif  // DTAUS_TOOLS_SHOW_REPORT_H_
