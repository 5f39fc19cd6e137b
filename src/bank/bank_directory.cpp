#include "dtaus/bank_directory.h"

#include <ktoblzcheck.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
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
// A file without banks, for the check-digit library (see Checker).
constexpr char kNoBankList[] = "/dev/null";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool AllDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return IsDigit(c); });
}
bool IsAlnum(char c) { return IsDigit(c) || (c >= 'A' && c <= 'Z'); }

// The bank code as a number: eight digits fit 32 bits, and a lookup compares integers.
std::uint32_t CodeOf(std::string_view blz) {
  std::uint32_t code = 0;
  for (const char c : blz) code = code * 10 + static_cast<std::uint32_t>(c - '0');
  return code;
}

// The slot of a code in a hash table of `size` slots, a power of two. Multiplied by the
// golden ratio's 64-bit multiple, neighbouring codes (the banks of one region) spread over
// the whole table: in Debian's directory a code is found at 1.4 slots tried on average.
constexpr std::uint32_t kEmptySlot = 0xFFFFFFFF;
std::size_t SlotOf(std::uint32_t code, std::size_t size) {
  return static_cast<std::size_t>((std::uint64_t{code} * 0x9E3779B97F4A7C15u) >> 32) & (size - 1);
}

// The lines of a file, read a block at a time. The bank-code file has 2.7 MB of which
// the directory keeps a fifth: fresh memory for all of it costs more than reading it.
class LineReader {
 public:
  explicit LineReader(std::istream& in) : in_(in), buffer_(kBlock, '\0') {}

  // The next line without its line end ("\n" or "\r\n"); false at the end of the file
  // and when it cannot be read (Bad). The line stays valid until the next call.
  bool Next(std::string_view& line) {
    for (std::size_t searched = begin_;;) {
      const void* newline = std::memchr(buffer_.data() + searched, '\n', end_ - searched);
      if (newline != nullptr) {
        const auto at =
            static_cast<std::size_t>(static_cast<const char*>(newline) - buffer_.data());
        line = Take(at, at + 1);
        return true;
      }
      if (ended_) {
        // A file that cannot be read to its end gives no half line.
        if (begin_ == end_ || in_.bad()) return false;
        line = Take(end_, end_);
        return true;
      }
      searched = end_ - begin_;  // after the unfinished line moves to the front
      Fill();
    }
  }
  // Whether anything follows the line Next gave last.
  bool MoreFollows() {
    while (begin_ == end_ && !ended_) Fill();
    return begin_ < end_;
  }
  bool Bad() const { return in_.bad(); }

 private:
  static constexpr std::size_t kBlock = 64 * 1024;

  std::string_view Take(std::size_t line_end, std::size_t next) {
    std::string_view line(buffer_.data() + begin_, line_end - begin_);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    begin_ = next;
    return line;
  }
  // Moves the unfinished line to the front and reads behind it; a line longer than the
  // buffer doubles it.
  void Fill() {
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
    if (end_ == buffer_.size()) buffer_.resize(2 * buffer_.size());
    in_.read(buffer_.data() + end_, static_cast<std::streamsize>(buffer_.size() - end_));
    end_ += static_cast<std::size_t>(in_.gcount());
    ended_ = !in_;
  }

  std::istream& in_;
  std::string buffer_;
  std::size_t begin_ = 0;  // of the next line
  std::size_t end_ = 0;    // of what has been read
  bool ended_ = false;
};

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
    // Every check names its method, so the library's own list of banks is never asked.
    // Given a file without banks it skips reading that list (some 3,500 banks parsed
    // with fscanf), which costs more than all the rest of a short run of the tool.
    check_ = std::make_unique<AccountNumberCheck>(std::string(kNoBankList));
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
  enum class Known : std::uint8_t { kNotAsked, kYes, kNo };

  // Asked once per method: a method the library lacks says so on std::cerr.
  bool Knows(const std::string& method) {
    Known& known = known_[MethodIndex(method)];
    if (known == Known::kNotAsked) {
      CerrCapture quiet;
      check_->check("00000000", "0000000001", method);
      known = quiet.Empty() ? Known::kYes : Known::kNo;
    }
    return known == Known::kYes;
  }

  // A method id is two characters of 0-9 and A-Z, as the directory has checked.
  static std::size_t MethodIndex(const std::string& method) {
    const auto value = [](char c) {
      return static_cast<std::size_t>(IsDigit(c) ? c - '0' : c - 'A' + 10);
    };
    return value(method[0]) * kAlnumCount + value(method[1]);
  }

  static constexpr std::size_t kAlnumCount = 36;
  std::unique_ptr<AccountNumberCheck> check_;
  std::array<Known, kAlnumCount * kAlnumCount> known_{};
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
    directory.codes_.clear();
    directory.records_.clear();
    directory.slots_.clear();
    directory.error_ = std::string("the bank directory could not be read: ") + e.what();
  }
  return directory;
}

BankDirectory BankDirectory::FromFile(const std::string& path) {
  BankDirectory directory;
  try {
    directory.Load(path);
  } catch (const std::exception& e) {
    directory.codes_.clear();
    directory.records_.clear();
    directory.slots_.clear();
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
  LineReader lines(in);
  bool sorted = true;
  std::size_t line_number = 0;
  for (std::string_view record; lines.Next(record);) {
    ++line_number;
    if (record.empty() && !lines.MoreFollows()) break;  // the line end after the last record
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
    if (!error_.empty()) break;
    // A code's records stand together: the bank itself (mark 1), then its branches. The
    // bank's own record stands for the code; a branch only where the file lists no bank
    // for it. Most records are such branches: they are checked, but not kept.
    const std::uint32_t code = CodeOf(record.substr(kBlzAt, kBlzWidth));
    if (!codes_.empty() && codes_.back() == code) {
      if (record[kFeatureAt] == '1')
        records_.replace(records_.size() - kRecordLength, kRecordLength, record);
      continue;
    }
    sorted = sorted && (codes_.empty() || codes_.back() < code);
    codes_.push_back(code);
    records_.append(record);
  }
  if (error_.empty() && lines.Bad()) error_ = path + ": cannot be read";
  if (!error_.empty()) {
    codes_.clear();
    records_.clear();
    return;
  }
  if (!sorted) SortByCode();
  if (codes_.empty()) {
    error_ = path + ": holds no bank (an empty file is no bank-code file)";
    return;
  }
  IndexCodes();
}

// The Bundesbank sorts its file by bank code; any other order is sorted here. Where a
// code's records stand apart, its bank's last own record stands for it, or else its
// first branch, as for the records of a code that stand together.
void BankDirectory::SortByCode() {
  std::vector<std::size_t> order(codes_.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [this](std::size_t a, std::size_t b) { return codes_[a] < codes_[b]; });
  std::vector<std::uint32_t> codes;
  std::string records;
  for (std::size_t first = 0; first < order.size();) {
    std::size_t chosen = order[first];
    std::size_t next = first;
    for (; next < order.size() && codes_[order[next]] == codes_[order[first]]; ++next) {
      if (RecordOf(order[next])[kFeatureAt] == '1') chosen = order[next];
    }
    codes.push_back(codes_[chosen]);
    records.append(RecordOf(chosen));
    first = next;
  }
  codes_ = std::move(codes);
  records_ = std::move(records);
}

std::string_view BankDirectory::RecordOf(std::size_t index) const {
  return std::string_view(records_).substr(index * kRecordLength, kRecordLength);
}

// Open addressing over twice as many slots as banks: a code is found at its slot or a
// few behind it, in two reads of small arrays.
void BankDirectory::IndexCodes() {
  std::size_t size = 16;
  while (size < 2 * codes_.size()) size *= 2;
  slots_.assign(size, kEmptySlot);
  for (std::size_t index = 0; index < codes_.size(); ++index) {
    std::size_t slot = SlotOf(codes_[index], size);
    while (slots_[slot] != kEmptySlot) slot = (slot + 1) & (size - 1);
    slots_[slot] = static_cast<std::uint32_t>(index);
  }
}

std::size_t BankDirectory::IndexOf(std::string_view blz) const {
  if (blz.size() != kBlzWidth || !AllDigits(blz) || slots_.empty()) return codes_.size();
  const std::uint32_t code = CodeOf(blz);
  for (std::size_t slot = SlotOf(code, slots_.size());; slot = (slot + 1) & (slots_.size() - 1)) {
    const std::uint32_t index = slots_[slot];
    if (index == kEmptySlot) return codes_.size();
    if (codes_[index] == code) return index;
  }
}

const Bank* BankDirectory::Find(std::string_view blz) const {
  const std::size_t index = IndexOf(blz);
  if (index == codes_.size()) return nullptr;
  // Taken apart when first asked for: a run of the tool names a few banks, not 3,500.
  if (banks_.empty()) banks_.resize(codes_.size());
  std::unique_ptr<Bank>& bank = banks_[index];
  if (bank == nullptr) {
    const std::string_view record = RecordOf(index);
    bank = std::make_unique<Bank>(Bank{
        std::string(record.substr(kBlzAt, kBlzWidth)), Field(record, kNameAt, kNameWidth),
        Field(record, kPlaceAt, kPlaceWidth), Field(record, kShortNameAt, kShortNameWidth),
        Field(record, kBicAt, kBicWidth), std::string(record.substr(kMethodAt, kMethodWidth))});
  }
  return bank.get();
}

AccountCheck BankDirectory::Check(std::string_view blz, std::string_view account) const {
  const std::size_t index = IndexOf(blz);
  if (index == codes_.size()) return AccountCheck::kBankUnknown;
  if (!AllDigits(account) || account.size() > 10) return AccountCheck::kInvalid;
  const std::string_view record = RecordOf(index);
  const std::string method(record.substr(kMethodAt, kMethodWidth));
  if (method == kNoCheckDigit) return AccountCheck::kNotCheckable;
  if (checker_ == nullptr) checker_ = std::make_unique<Checker>();
  std::string padded(10 - account.size(), '0');
  padded.append(account);
  return checker_->Check(std::string(record.substr(kBlzAt, kBlzWidth)), padded, method);
}

}  // namespace dtaus
