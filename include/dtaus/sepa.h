// File: dtaus/sepa.h
//
// ConvertToSepa turns a DTAUS file, as DtausReader has read it, into the ISO 20022
// message that German banks take since SEPA replaced the domestic procedures: a file of
// credit transfers (GK) becomes a pain.001.001.09 message, a file of direct debits (LK)
// a pain.008.001.08 message.
//
//   dtaus::DtausReader reader(bytes);
//   dtaus::SepaOptions options;
//   options.creditor_id = "DE98ZZZ09999999999";        // direct debits only
//   options.mandates = {{"87654321", "1234567", "", "M-4711", "2024-03-01", "", "row 2"}};
//   dtaus::SepaMessage message = dtaus::ConvertToSepa(reader, options);
//   if (message.problems.empty()) write(message.xml);
//   else for (const std::string& p : message.problems) std::cerr << p << '\n';
//
// A file with errors is refused with the reader's error findings. Every other problem
// (a date in the past, a purpose too long for SEPA, a debit without a mandate, an
// account that fails its bank's check) is collected, so that one run names them all;
// the message is written only when there are none.
//
// Accounts become IBANs by the standard German rule (bank code and account, zero-filled
// to 10 digits, under DE and the mod 97-10 check digits). A few banks convert some of
// their accounts differently; `iban_map` overrides the rule account by account, and the
// result counts the IBANs the standard rule made so that the caller can say so.
//
// Texts are UTF-8. SEPA allows a smaller character set than DTAUS: the DTAUS codes
// [ \ ] ~ are read as Ä Ö Ü ß, and by default umlauts and ß are written as AE OE UE ae oe
// ue ss; `german_charset` keeps them (and & * $ %), as German banks accept.
//
// The function never throws.
#ifndef DTAUS_SEPA_H_
#define DTAUS_SEPA_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "dtaus/dtaus_reader.h"

namespace dtaus {

// A direct-debit mandate: which debtor signed it, its reference and the date of the
// signature. The debtor's account is named either by bank code and account, as the
// DTAUS file holds it, or by IBAN.
struct SepaMandate {
  std::string blz;
  std::string konto;
  std::string iban;
  std::string reference;  // MndtId: 1 to 35 characters, no blank
  std::string signed_on;  // DtOfSgntr, yyyy-mm-dd
  std::string sequence;   // "FRST", "RCUR", "OOFF" or "FNAL"; empty: the default
  std::string origin;     // where it came from, for messages ("mandate.csv: row 3")
};

// A bank's own IBAN for one account, where it differs from the standard rule.
struct SepaAccount {
  std::string blz;
  std::string konto;
  std::string iban;
  std::string bic;  // optional
  std::string origin;
};

// What the converter asks the bank directory. Both may be left empty: then no BIC is
// known and every account passes.
struct SepaBankLookup {
  // The BIC of the bank with this code, or "" when the directory has none.
  std::function<std::string(std::string_view blz)> bic;
  // "" when the account passes its bank's check-digit method (or the method cannot
  // tell), otherwise the reason, e.g. "account 1234567 fails the check of bank 37040044".
  std::function<std::string(std::string_view blz, std::string_view konto)> account_problem;
};

struct SepaOptions {
  // The execution or collection date, yyyy-mm-dd, for a file that carries none (A11b);
  // empty: today.
  std::string date;
  // The moment of the conversion as local time, yyyy-mm-ddThh:mm:ss: the message's
  // creation time, part of its id, and "today" for the date checks. Empty: now.
  std::string now;
  bool german_charset = false;
  // Cut purposes to 140 and names to 70 characters instead of refusing them.
  bool cut_purpose = false;

  // Direct debits: the creditor identifier, the mandates, the default sequence type and
  // the scheme (CORE, or B2B for debits between businesses).
  std::string creditor_id;
  std::vector<SepaMandate> mandates;
  std::string sequence = "RCUR";
  bool b2b = false;

  std::vector<SepaAccount> iban_map;
  SepaBankLookup banks;
};

struct SepaMessage {
  // The message, UTF-8; empty when there are problems.
  std::string xml;
  // Every reason why no message was written, in file order.
  std::vector<std::string> problems;

  std::string message_type;  // "pain.001.001.09" or "pain.008.001.08"
  std::string message_id;
  // The requested execution or collection date, yyyy-mm-dd, and whether it is the file's
  // own (A11b), in which case `SepaOptions::date` was not used.
  std::string date;
  bool date_from_file = false;
  std::size_t payments = 0;
  std::uint64_t cents = 0;
  // The payments whose purpose or name was cut (with cut_purpose), e.g. "payment 3".
  std::vector<std::string> cut;
  // How many IBANs the standard rule made (the others came from iban_map).
  std::size_t standard_rule_ibans = 0;
};

SepaMessage ConvertToSepa(const DtausReader& reader, const SepaOptions& options) noexcept;

}  // namespace dtaus

#endif  // DTAUS_SEPA_H_
