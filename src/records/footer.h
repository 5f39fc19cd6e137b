// Footer: the trailer record E that closes every DTAUS file.
//
// Record E tells the bank how many payment records C the file holds and three control
// sums over them: the account numbers, the bank codes and the amounts in cents. The bank
// recomputes them, so a file that lost or changed a record is refused as a whole.
//
// Generate fills the trailer anew for every file; the setters take the numbers as
// computed and check that each fits its field (a file may hold at most
// 9,999,999,999,999 cents). The trailer is internal and reports in English.
#ifndef DTAUS_RECORDS_FOOTER_H_
#define DTAUS_RECORDS_FOOTER_H_

#include <array>
#include <string>
#include <string_view>

#include "fields/broken_rules.h"
#include "fields/short_text.h"
#include "records/record_tables.h"

namespace dtaus::detail {

class Footer {
 public:
  Footer();

  // "0128" or "0256"; not checked.
  void setSatzlaenge(std::string_view length);
  // The number of records C (E4, 7 digits).
  void setTotalDatensatzItems(double count);
  // The sum of the account numbers (E6, 17 digits).
  void setTotalPasivKonto(double sum);
  // The sum of the bank codes (E7, 17 digits).
  void setTotalPasivBLZ(double sum);
  // The sum of the amounts in cents (E8, 13 digits).
  void setTotalEuro(double sum);

  bool FooterIsValid() const { return errors_.Count() == 0; }
  std::string FooterErrors() const;

  // Record E, 128 characters (256 with record length "0256"), or an error text.
  std::string getFooterAsStream() const;

  // The four rules a counting setter owns and the width its value must fit.
  struct SumRules;

 private:
  void SetSum(record_e::Slot slot, const SumRules& rules, double sum);

  BrokenRules errors_;  // mErrors
  std::array<ShortText, record_e::kSlotCount> values_;
};

}  // namespace dtaus::detail

#endif  // DTAUS_RECORDS_FOOTER_H_
