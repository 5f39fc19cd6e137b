// The tables `dtaus sepa` reads beside the DTAUS file, in CSV (';' or ',', a header row):
//
//   mandates (--mandates FILE): who signed which direct-debit mandate
//     BLZ;Konto;Mandatsreferenz;Datum;Sequenz
//     50010517;137075030;M-0815;01.03.2024;RCUR
//   with IBAN instead of BLZ and Konto where the mandate names the IBAN; Datum, the date
//   of signature, as yyyy-mm-dd or dd.mm.yyyy; Sequenz (FRST, RCUR, OOFF, FNAL) optional.
//
//   IBAN map (--iban-map FILE): a bank's own IBAN for an account
//     BLZ;Konto;IBAN;BIC
//   BIC optional.
//
// Both are read as UTF-8 (the tool decodes a Windows-1252 file first, --encoding).
// What cannot be read (an unknown or missing column, a row of the wrong width, an empty
// required cell, a date in neither form) throws ToolError with exit code 2, naming the
// row and column. Whether the values make sense for SEPA the converter decides.
#ifndef DTAUS_TOOLS_SEPA_TABLES_H_
#define DTAUS_TOOLS_SEPA_TABLES_H_

#include <string>
#include <string_view>
#include <vector>

#include "dtaus/sepa.h"

namespace dtaus::tool {

std::vector<SepaMandate> ReadMandates(std::string_view text, const std::string& source);
std::vector<SepaAccount> ReadIbanMap(std::string_view text, const std::string& source);

}  // namespace dtaus::tool

#endif  // DTAUS_TOOLS_SEPA_TABLES_H_
