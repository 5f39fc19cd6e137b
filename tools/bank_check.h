// The bank directory in the tool: every bank code and account of the orders, and of a
// DTAUS file shown, checked against the German bank directory the way every German
// banking program checks them before a payment leaves the house; and the banks' names
// for show and the slip.
//
//   BankDirectory directory = OpenBankDirectory("");       // Debian's; may throw
//   CheckAccounts(orders, directory, problems);             // generate
//   BankNotes notes(reader, &directory, /*check=*/true);     // show and slip
//   notes.BankOf("37040044")                                 // "Commerzbank, Köln"
#ifndef DTAUS_TOOLS_BANK_CHECK_H_
#define DTAUS_TOOLS_BANK_CHECK_H_

#include <string>
#include <vector>

#include "dtaus/bank_directory.h"
#include "dtaus/dtaus_reader.h"
#include "tools/order_document.h"
#include "tools/order_preparation.h"

namespace dtaus::tool {

// What the commands' --bank-data and --no-account-check say.
struct BankOptions {
  std::string bank_data;  // a Bundesbank bank-code file; "" for the directory Debian ships
  bool no_account_check = false;
};

// The directory at `bank_data`, or Debian's for "". Throws ToolError (exit code 2) when
// it cannot be read, with the reason and what to do.
BankDirectory OpenBankDirectory(const std::string& bank_data);

// "the bank directory of 2020-04-20 (/usr/share/ktoblzcheck/blz_20200420.txt)"; the
// date reads "of unknown date" when the file name does not give it.
std::string DescribeDirectory(const BankDirectory& directory);

// Why a bank code and account cannot be used, or "" when they can (or when they are no
// bank code and account at all: the library and the reader say so themselves). An empty
// `account` checks the bank code alone.
//   "bank code 10020030 is not in the bank directory of 2020-04-20"
//   "account 5431224 does not pass the check-digit method C1 of bank code 50010517
//    (ING-DiBa, Frankfurt am Main)"
std::string AccountProblem(const BankDirectory& directory, const std::string& blz,
                           const std::string& account);

// Checks the bank code and account of the header and of every payment (after IBANs are
// resolved) and adds what fails to `problems`. Returns the number of problems added.
std::size_t CheckAccounts(const OrderDocument& orders, const BankDirectory& directory,
                          ObjectProblems& problems);

// What the directory adds to a DTAUS file shown: the banks' names and, when checking,
// an error finding at the field of each unknown bank code and each account that fails
// its bank's method, among the reader's findings in file order.
class BankNotes {
 public:
  // `directory` may be nullptr: no names, no checks.
  BankNotes(const DtausReader& reader, const BankDirectory* directory, bool check);

  // The same for a file read with DtausReader::CheckOnly, which keeps no payment: each
  // record C goes to Note as the reader hands it over, and Join adds the reader's own
  // findings once it is done.
  //
  //   BankNotes notes(&directory, true);
  //   const DtausReader reader = DtausReader::CheckOnly(
  //       bytes, [&notes](const PaymentRecord& c) { notes.Note(c); });
  //   notes.Join(reader);
  BankNotes(const BankDirectory* directory, bool check);
  void Note(const PaymentRecord& payment);
  void Join(const DtausReader& reader);

  // "Commerzbank, Köln"; "" for a code the directory does not know.
  std::string BankOf(const std::string& blz) const;
  // The bank's short name ("Commerzbank Köln", at most 27 characters), for tables.
  std::string ShortNameOf(const std::string& blz) const;
  // The reader's findings with the directory's among them, in file order, at most
  // DtausReader::kMaxFindings; the counts include those beyond the list.
  const std::vector<Finding>& Findings() const { return findings_; }
  std::size_t ErrorCount() const { return errors_; }
  std::size_t WarningCount() const { return warnings_; }
  std::size_t OmittedFindings() const { return omitted_; }
  bool HasErrors() const { return errors_ > 0; }

 private:
  // An error finding at the bank code or the account field, when the directory has one.
  void NoteAccount(std::vector<Finding>& into, std::size_t record_offset, const std::string& record,
                   const std::pair<std::size_t, std::string>& blz_field,
                   const std::pair<std::size_t, std::string>& konto_field, const std::string& blz,
                   const std::string& konto);

  const BankDirectory* directory_;
  bool check_;
  std::size_t payments_ = 0;
  // The directory's findings about the records C, in file order, until Join.
  std::vector<Finding> payment_findings_;
  std::vector<Finding> findings_;
  std::size_t errors_ = 0;
  std::size_t warnings_ = 0;
  std::size_t omitted_ = 0;
};

}  // namespace dtaus::tool

#endif  // DTAUS_TOOLS_BANK_CHECK_H_
