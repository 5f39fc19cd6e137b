// File: dtaus/bank_directory.h
//
// BankDirectory is the German bank directory: every bank code (BLZ) with its bank's
// name, place, BIC and the check-digit method by which the bank builds its account
// numbers. Every German banking program checks an account against its bank's method
// before a payment leaves the house; a typing error in an account number is caught here
// instead of coming back from the bank days later.
//
//   dtaus::BankDirectory directory = dtaus::BankDirectory::Bundled();
//   if (!directory.Error().empty()) Fail(directory.Error());
//   if (const dtaus::Bank* bank = directory.Find("37040044")) std::cout << bank->name;
//   switch (directory.Check("37040044", "532013000")) { case dtaus::AccountCheck::kValid: ... }
//
// The data is the Bundesbank's bank-code file: fixed-width records of 168 characters, one
// per bank and branch, Latin-1. Bundled() reads the copy Debian ships with its
// check-digit library; FromFile() reads the current file as the Bundesbank publishes it.
// The check-digit methods themselves are the library's (libktoblzcheck), looked up by
// the method id the file gives for each bank.
//
// This component links libktoblzcheck and is kept apart from the dependency-free
// library: a program that wants the checks links the `orveldtaus_bank` target. Nothing
// here throws; a file that cannot be read leaves an empty directory and an Error().
#ifndef DTAUS_BANK_DIRECTORY_H_
#define DTAUS_BANK_DIRECTORY_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace dtaus {

// One bank as the directory lists it. Texts are UTF-8.
struct Bank {
  std::string blz;         // 8 digits
  std::string name;        // e.g. "Commerzbank"
  std::string place;       // e.g. "Köln"
  std::string short_name;  // at most 27 characters, e.g. "Commerzbank Köln"
  std::string bic;         // 8 or 11 characters; empty where the file gives none
  std::string method;      // check-digit method id, e.g. "13"
};

// What the directory says about an account at a bank code.
enum class AccountCheck {
  kValid,         // the account passes its bank's check-digit method
  kInvalid,       // it does not: the account cannot exist at this bank
  kBankUnknown,   // the bank code is not in the directory
  kNotCheckable,  // the bank's method gives no verdict (no check digit, or a method
                  // the check-digit library does not know)
};

class BankDirectory {
 public:
  // The directory Debian ships: the newest blz_YYYYMMDD.txt in the check-digit
  // library's data folder.
  static BankDirectory Bundled();
  // A Bundesbank bank-code file. Its date is taken from the file name where that holds
  // one (blz_20240304.txt, BLZ_20240304.txt); the records hold none.
  static BankDirectory FromFile(const std::string& path);

  BankDirectory(BankDirectory&&) noexcept;
  BankDirectory& operator=(BankDirectory&&) noexcept;
  ~BankDirectory();

  // Empty when the directory is loaded; otherwise why not, naming the file (and the line
  // for a malformed record).
  [[nodiscard]] const std::string& Error() const { return error_; }
  // The file the directory was read from.
  const std::string& Path() const { return path_; }
  // The date of the data, "2020-04-20"; empty when the file name does not say.
  const std::string& Date() const { return date_; }
  std::size_t BankCount() const { return codes_.size(); }

  // The bank with this code, or nullptr. The bank is taken apart from its record when
  // first asked for and stays valid as long as the directory: call it from one thread at
  // a time.
  const Bank* Find(std::string_view blz) const;
  // Checks `account` (1 to 10 digits; leading zeros do not matter) against the method
  // of the bank with code `blz`. An account that is not 1 to 10 digits is kInvalid.
  // Sets up the check-digit library on first use and learns which methods it knows:
  // call it from one thread at a time.
  AccountCheck Check(std::string_view blz, std::string_view account) const;

 private:
  class Checker;

  BankDirectory();
  void Load(const std::string& path);
  void SortByCode();
  void IndexCodes();
  // The position of the bank with this code, BankCount() for none.
  std::size_t IndexOf(std::string_view blz) const;
  std::string_view RecordOf(std::size_t index) const;

  std::string error_;
  std::string path_;
  std::string date_;
  // Each bank's code as a number, in ascending order, and the bank's record as the file
  // gives it, in the same order.
  std::vector<std::uint32_t> codes_;
  std::string records_;
  // A hash table of the codes: each slot holds a position in codes_, or none.
  std::vector<std::uint32_t> slots_;
  // The banks Find has been asked for, at their codes' positions.
  mutable std::vector<std::unique_ptr<Bank>> banks_;
  mutable std::unique_ptr<Checker> checker_;
};

}  // namespace dtaus

#endif  // DTAUS_BANK_DIRECTORY_H_
