#include "dtaus/bank_directory.h"

#include <ktoblzcheck.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <system_error>

#include "fields/text_codec.h"

namespace dtaus {
namespace {

// The record of the Bundesbank's bank-code file ("Bankleitzahlendatei"), positions
// 0-based. Fields we do not use (postcode, PAN, record number, change mark, deletion
// mark, successor) are skipped.
constexpr std::size_t kRecordLength = 168;
constexpr std::size_t kBlzAt = 0, kBlzWidth = 8;
constexpr std::size_t kFeatureAt = 8;  // '1' the bank itself, '2' a branch
constexpr std::size_t kNameAt = 9, kNameWidth = 58;
constexpr std::size_t kPlaceAt = 72, kPlaceWidth = 35;
constexpr std::size_t kShortNameAt = 107, kShortNameWidth = 27;
constexpr std::size_t kBicAt = 139, kBicWidth = 11;
constexpr std::size_t kMethodAt = 150, kMethodWidth = 2;

// Method 09 means the bank's accounts carry no check digit: every account passes.
constexpr std::string_view kNoCheckDigit = "09";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool AllDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}
bool IsAlnum(char c) { return IsDigit(c) || (c >= 'A' && c <= 'Z'); }

std::string Field(std::string_view record, std::size_t at, std::size_t width) {
  std::string_view field = record.substr(at, width);
  while (!field.empty() && field.back() == ' ') field.remove_suffix(1);
  // Most names are plain ASCII, which reads the same in both encodings.
  if (std::all_of(field.begin(), field.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    return std::string(field);
  }
  return detail::DecodeWindows1252(field);
}

// "2020-04-20" from a file name holding eight digits after "blz_" (any case), "" else.
std::string DateFromFileName(const std::string& path) {
  std::string name = std::filesystem::path(path).filename().string();
  std::transform(name.begin(), name.end(), name.begin(),
                 [](char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
  const std::size_t at = name.find("blz_");
  if (at == std::string::npos || name.size() < at + 12) return "";
  const std::string digits = name.substr(at + 4, 8);
  if (!AllDigits(digits)) return "";
  return digits.substr(0, 4) + "-" + digits.substr(4, 2) + "-" + digits.substr(6, 2);
}

// The library reports some conditions (an unknown method, a data file it cannot open)
// on std::cerr; this keeps them out of the tool's output while it is asked.
class CerrCapture {
 public:
  CerrCapture() : old_(std::cerr.rdbuf(captured_.rdbuf())) {}
  ~CerrCapture() {
    std::cerr.rdbuf(old_);
    std::cerr.clear();
  }
  CerrCapture(const CerrCapture&) = delete;
  CerrCapture& operator=(const CerrCapture&) = delete;
  bool Empty() const { return captured_.str().empty(); }

 private:
  std::ostringstream captured_;
  std::streambuf* old_;
};

}  // namespace

// The check-digit library's checker, and which method ids it knows. Only the methods
// are used: the banks come from our own reading of the file, which keeps the BIC.
class BankDirectory::Checker {
 public:
  Checker() {
    CerrCapture quiet;
    check_ = std::make_unique<AccountNumberCheck>();
  }

  AccountCheck Check(const std::string& blz, const std::string& account,
                     const std::string& method) {
    if (!Knows(method)) return AccountCheck::kNotCheckable;
    switch (check_->check(blz, account, method)) {
      case AccountNumberCheck::OK:
        return AccountCheck::kValid;
      case AccountNumberCheck::ERROR:
        return AccountCheck::kInvalid;
      default:
        return AccountCheck::kNotCheckable;
    }
  }

 private:
  // Asked once per method: a method the library lacks says so on std::cerr.
  bool Knows(const std::string& method) {
    auto known = known_.find(method);
    if (known == known_.end()) {
      CerrCapture quiet;
      check_->check("00000000", "0000000001", method);
      known = known_.emplace(method, quiet.Empty()).first;
    }
    return known->second;
  }

  std::unique_ptr<AccountNumberCheck> check_;
  std::map<std::string, bool> known_;
};

BankDirectory::BankDirectory() = default;
BankDirectory::BankDirectory(BankDirectory&&) noexcept = default;
BankDirectory& BankDirectory::operator=(BankDirectory&&) noexcept = default;
BankDirectory::~BankDirectory() = default;

BankDirectory BankDirectory::Bundled() {
  BankDirectory directory;
  try {
    const std::string folder = AccountNumberCheck::bankdata_dir();
    std::string newest;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
      const std::string name = entry.path().filename().string();
      if (name.size() == 16 && name.compare(0, 4, "blz_") == 0 &&
          name.compare(12, 4, ".txt") == 0 && AllDigits(name.substr(4, 8)) &&
          entry.path().string() > newest) {
        newest = entry.path().string();
      }
    }
    if (newest.empty()) {
      directory.error_ = "no bank directory (blz_YYYYMMDD.txt) in " + folder +
                         "; install libktoblzcheck1-dev or give --bank-data FILE";
      return directory;
    }
    directory.Load(newest);
  } catch (const std::exception& e) {
    directory.banks_.clear();
    directory.error_ = std::string("the bank directory could not be read: ") + e.what();
  }
  return directory;
}

BankDirectory BankDirectory::FromFile(const std::string& path) {
  BankDirectory directory;
  try {
    directory.Load(path);
  } catch (const std::exception& e) {
    directory.banks_.clear();
    directory.error_ = path + ": " + e.what();
  }
  return directory;
}

void BankDirectory::Load(const std::string& path) {
  path_ = path;
  date_ = DateFromFileName(path);
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error_ = path + ": cannot be opened";
    return;
  }
  // In one piece: a character at a time costs more than all the rest of loading.
  std::ostringstream content;
  content << in.rdbuf();
  const std::string bytes = std::move(content).str();
  if (in.bad()) {
    error_ = path + ": cannot be read";
    return;
  }
  std::size_t line_number = 0;
  for (std::size_t pos = 0; pos < bytes.size();) {
    const std::size_t end = std::min(bytes.find('\n', pos), bytes.size());
    std::string_view record = std::string_view(bytes).substr(pos, end - pos);
    pos = end + 1;
    ++line_number;
    if (!record.empty() && record.back() == '\r') record.remove_suffix(1);
    if (record.empty() && pos >= bytes.size()) break;  // the line end after the last record
    const auto where = [&path, line_number] {
      return path + ": line " + std::to_string(line_number) + ": ";
    };
    if (record.size() != kRecordLength) {
      error_ = where() +
               "a record of the Bundesbank's bank-code file has 168 characters, this "
               "line has " +
               std::to_string(record.size());
    } else if (!AllDigits(record.substr(kBlzAt, kBlzWidth)) ||
               (record[kFeatureAt] != '1' && record[kFeatureAt] != '2')) {
      error_ = where() + "does not begin with an 8-digit bank code and the mark 1 or 2";
    } else if (!IsAlnum(record[kMethodAt]) || !IsAlnum(record[kMethodAt + 1])) {
      error_ = where() + "the check-digit method (characters 151-152) is not a method id";
    }
    if (!error_.empty()) {
      banks_.clear();
      return;
    }
    // The bank itself (mark 1) stands before its branches; a branch only fills in a code
    // whose bank the file does not list. Most records are such branches: they are
    // checked, but not taken apart.
    const std::string_view blz = record.substr(kBlzAt, kBlzWidth);
    const auto known = banks_.find(blz);
    if (known != banks_.end() && record[kFeatureAt] != '1') continue;
    Bank bank{std::string(blz),
              Field(record, kNameAt, kNameWidth),
              Field(record, kPlaceAt, kPlaceWidth),
              Field(record, kShortNameAt, kShortNameWidth),
              Field(record, kBicAt, kBicWidth),
              std::string(record.substr(kMethodAt, kMethodWidth))};
    if (known != banks_.end()) {
      known->second = std::move(bank);
    } else {
      banks_.emplace(bank.blz, std::move(bank));
    }
  }
  if (banks_.empty()) {
    error_ = path + ": holds no bank (an empty file is no bank-code file)";
    return;
  }
  checker_ = std::make_unique<Checker>();
}

const Bank* BankDirectory::Find(std::string_view blz) const {
  auto it = banks_.find(blz);
  return it == banks_.end() ? nullptr : &it->second;
}

AccountCheck BankDirectory::Check(std::string_view blz, std::string_view account) const {
  const Bank* bank = Find(blz);
  if (bank == nullptr) return AccountCheck::kBankUnknown;
  if (!AllDigits(account) || account.size() > 10) return AccountCheck::kInvalid;
  if (bank->method == kNoCheckDigit || checker_ == nullptr) return AccountCheck::kNotCheckable;
  std::string padded(10 - account.size(), '0');
  padded.append(account);
  return checker_->Check(bank->blz, padded, bank->method);
}

}  // namespace dtaus
