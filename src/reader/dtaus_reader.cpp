#include "dtaus/dtaus_reader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "fields/text_codec.h"
#include "reader/record_layout.h"

namespace dtaus {
namespace detail {
namespace {

// The checks below look at eight bytes at a time: a file of the largest size has 25
// million of them, and the check of a plain file does little else. Each byte is tested
// in its own lane of a 64-bit word, so the byte order of the machine does not matter.
constexpr std::uint64_t Lanes(unsigned char byte) { return 0x0101010101010101u * byte; }
constexpr std::uint64_t kHighBits = Lanes(0x80);

std::uint64_t WordAt(const char* p) {
  std::uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

// True when `word_test` holds for every eight bytes of `s` and `byte_test` for every
// byte of a text shorter than eight; the tail of a longer text is tested as the last
// eight bytes, some of them a second time.
template <typename WordTest, typename ByteTest>
bool EveryByte(std::string_view s, const WordTest& word_test, const ByteTest& byte_test) {
  constexpr std::size_t kWord = sizeof(std::uint64_t);
  if (s.size() < kWord) return std::all_of(s.begin(), s.end(), byte_test);
  std::size_t i = 0;
  for (; i + kWord <= s.size(); i += kWord) {
    if (!word_test(s.data() + i)) return false;
  }
  return i == s.size() || word_test(s.data() + s.size() - kWord);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A digit has the high nibble 3 and a low nibble that takes 6 without carrying over.
// Where a high nibble is not 3, what the addition carries into the next lane no
// longer matters.
bool AllDigits(std::string_view s) {
  const auto digits = [](const char* p) {
    const std::uint64_t word = WordAt(p);
    return (((word & Lanes(0xF0)) ^ Lanes(0x30)) |
            (((word + Lanes(0x06)) & Lanes(0xF0)) ^ Lanes(0x30))) == 0;
  };
  return !s.empty() && EveryByte(s, digits, IsDigit);
}

bool AllBlank(std::string_view s) {
  return EveryByte(
      s, [](const char* p) { return WordAt(p) == Lanes(' '); }, [](char c) { return c == ' '; });
}

std::string_view DropTrailingBlanks(std::string_view s) {
  const std::size_t end = s.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string_view() : s.substr(0, end + 1);
}

// The value of eight digits. On a little-endian machine the first digit lies in the
// lowest byte of the word: three multiplications join neighbouring digits, then
// pairs, then fours (each multiplier puts the higher place times 10, 100 or 10,000
// on top of the lower one).
std::uint64_t EightDigitsValue(const char* digits) {
  if constexpr (std::endian::native == std::endian::little) {
    std::uint64_t word = WordAt(digits) & Lanes(0x0F);
    word = (word * (10 * 0x100 + 1)) >> 8 & 0x00FF00FF00FF00FFu;
    word = (word * (100 * 0x10000 + 1)) >> 16 & 0x0000FFFF0000FFFFu;
    return (word * (10000 * 0x100000000u + 1)) >> 32;
  } else {
    std::uint64_t value = 0;
    for (int i = 0; i < 8; ++i) value = value * 10 + static_cast<std::uint64_t>(digits[i] - '0');
    return value;
  }
}

// The value of a digits-only text. Control sums over many records could in theory
// outgrow 64 bits; they saturate instead of wrapping, so that they still compare unequal.
std::uint64_t DigitsValue(std::string_view digits) {
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  std::uint64_t value = 0;
  if (digits.size() <= std::numeric_limits<std::uint64_t>::digits10) {
    // Every field of a record is that short: no overflow to watch for. The digits in
    // front of the last eights one by one, then eight at a time.
    std::size_t i = 0;
    for (; (digits.size() - i) % 8 != 0; ++i) {
      value = value * 10 + static_cast<std::uint64_t>(digits[i] - '0');
    }
    for (; i < digits.size(); i += 8) value = value * 100'000'000 + EightDigitsValue(&digits[i]);
    return value;
  }
  for (char c : digits) {
    const auto digit = static_cast<std::uint64_t>(c - '0');
    if (value > (kMax - digit) / 10) return kMax;
    value = value * 10 + digit;
  }
  return value;
}

std::uint64_t SaturatingAdd(std::uint64_t a, std::uint64_t b) {
  return a > std::numeric_limits<std::uint64_t>::max() - b
             ? std::numeric_limits<std::uint64_t>::max()
             : a + b;
}

// A day 01-31 and a month 01-12 in front, followed by the year: ddmmyy or ddmmyyyy.
bool IsDate(std::string_view s, std::size_t length) {
  if (s.size() != length || !AllDigits(s)) return false;
  const int day = (s[0] - '0') * 10 + (s[1] - '0');
  const int month = (s[2] - '0') * 10 + (s[3] - '0');
  return day >= 1 && day <= 31 && month >= 1 && month <= 12;
}

// The DTAUS character set: capitals, digits, the blank and . , & - / + * $ %, and the
// German letters Ä Ö Ü ß. Those arrive either as Windows-1252 letters or in the DIN
// 66003 form [ \ ] ~ that older bank software expects in their place.
bool IsDtausCharacterByRule(unsigned char c) {
  switch (c) {
    case '[':
    case '\\':
    case ']':
    case '~':
    case 0xC4:  // Ä
    case 0xD6:  // Ö
    case 0xDC:  // Ü
    case 0xDF:  // ß
      return true;
    default:
      return IsDtausBasicCharacter(c);
  }
}

// The same as a table, by byte: every character of every text is looked up.
const std::array<bool, 256>& DtausCharacters() {
  static const std::array<bool, 256> kTable = [] {
    std::array<bool, 256> table{};
    for (std::size_t i = 0; i < table.size(); ++i) {
      table[i] = IsDtausCharacterByRule(static_cast<unsigned char>(i));
    }
    return table;
  }();
  return kTable;
}

// The high bit of each lane is set where the byte is at least `bound`; for bytes below
// 0x80, which nothing carries out of.
constexpr std::uint64_t AtLeast(std::uint64_t word, unsigned char bound) {
  return word + Lanes(0x80 - bound);
}

// True when every byte is a DTAUS character, as texts are most of a file. Eight bytes
// of blanks, * + , - . / digits, capitals and [ \ ] pass at once; the rest of the set
// (and anything outside it) is looked up byte by byte.
bool AllDtausCharacters(std::string_view text) {
  const std::array<bool, 256>& is_dtaus_character = DtausCharacters();
  const auto is_dtaus = [&is_dtaus_character](char c) {
    return is_dtaus_character[static_cast<unsigned char>(c)];
  };
  const auto word_test = [&is_dtaus](const char* p) {
    const std::uint64_t word = WordAt(p);
    // A byte lies in one of the ranges [' ', ' '], ['*', '9'] and ['A', ']'] when it has
    // reached an odd number of their six bounds. A byte from 0x80 on fails first.
    const std::uint64_t odd = AtLeast(word, ' ') ^ AtLeast(word, ' ' + 1) ^ AtLeast(word, '*') ^
                              AtLeast(word, '9' + 1) ^ AtLeast(word, 'A') ^ AtLeast(word, ']' + 1);
    return (odd & ~word & kHighBits) == kHighBits || std::all_of(p, p + sizeof word, is_dtaus);
  };
  return EveryByte(text, word_test, is_dtaus);
}

// The day a date ddmmyy or ddmmyyyy names, as banks count days. A day beyond the end
// of its month runs on into the next one (31 November is 1 December), as the library
// reads it; a two-digit year is 2000-2029 for 00-29 and 1930-1999 for 30-99.
std::chrono::sys_days DayOf(std::string_view date) {
  const auto number = [date](std::size_t at, std::size_t length) {
    return static_cast<int>(DigitsValue(date.substr(at, length)));
  };
  int year = number(4, date.size() - 4);
  if (date.size() == 6) year += year < 30 ? 2000 : 1900;
  const std::chrono::year_month_day first{std::chrono::year(year),
                                          std::chrono::month(static_cast<unsigned>(number(2, 2))),
                                          std::chrono::day(1)};
  return std::chrono::sys_days(first) + std::chrono::days(number(0, 2) - 1);
}

std::string DescribeByte(unsigned char byte) {
  return DescribeCharacter(Windows1252ToCodePoint(byte));
}

// Bytes as a quoted UTF-8 text for a message, control characters escaped.
std::string Quoted(std::string_view raw) {
  std::string out = "\"";
  for (char c : raw) {
    const char32_t code_point = Windows1252ToCodePoint(static_cast<unsigned char>(c));
    if (code_point == '\n') {
      out += "\\n";
    } else if (code_point == '\r') {
      out += "\\r";
    } else if (code_point < 0x20 || (code_point >= 0x7F && code_point < 0xA0)) {
      out += "\\x";
      out.push_back("0123456789ABCDEF"[(code_point >> 4) & 0xF]);
      out.push_back("0123456789ABCDEF"[code_point & 0xF]);
    } else if (code_point == '"' || code_point == '\\') {
      out.push_back('\\');
      out.push_back(static_cast<char>(code_point));
    } else {
      AppendUtf8(out, code_point);
    }
  }
  return out + "\"";
}

// "1 extension part", "3 extension parts"
std::string PartsText(int count) {
  return std::to_string(count) + (count == 1 ? " extension part" : " extension parts");
}

// A field's name for a finding, given as text or as a function that makes it: the
// names are only put together for a field that has something to report.
template <typename Label>
std::string LabelText(const Label& label) {
  if constexpr (std::is_invocable_v<const Label&>) {
    return label();
  } else {
    return std::string(label);
  }
}

// Decodes into `out`, which may be reused from record to record: a plain text then takes
// no new memory once the string has grown to hold it. Digits and plain capitals, most of
// a file, read the same in both encodings.
void DecodeInto(std::string_view raw, std::string& out) {
  if (std::all_of(raw.begin(), raw.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    out.assign(raw);
  } else {
    out.clear();
    for (char c : raw) AppendUtf8(out, Windows1252ToCodePoint(static_cast<unsigned char>(c)));
  }
}

// The `width` bytes at `offset` of a record whose size has been checked: no bounds
// check, which substr would make again for every field of every record.
std::string_view FieldBytes(const char* record, std::size_t offset, std::size_t width) {
  return std::string_view(record + offset, width);
}

// Assigns `raw` to `out` in place when the lengths agree, as they do from one record to
// the next in every fixed-width field: a copy of a few bytes instead of a general assign.
void AssignInPlace(std::string_view raw, std::string& out) {
  if (out.size() == raw.size()) {
    std::copy(raw.begin(), raw.end(), out.begin());
  } else {
    out.assign(raw);
  }
}

std::string Decoded(std::string_view raw) {
  std::string out;
  DecodeInto(raw, out);
  return out;
}

std::string FieldName(std::string_view dtaus_field, std::string_view label) {
  std::string out(dtaus_field);
  out += ' ';
  out += label;
  return out;
}

struct ParseResult {
  std::optional<HeaderRecord> header;
  std::vector<PaymentRecord> payments;
  std::optional<TrailerRecord> trailer;
  DtausTotals totals;
  std::vector<Finding> findings;
  std::size_t error_count = 0;
  std::size_t warning_count = 0;
};

// The fields that checks across fields name, taken from the layout tables so that
// their positions and names are declared once.
constexpr const FieldLayout<HeaderRecord>& kExecutionDate = kHeaderFields[11];
constexpr const FieldLayout<PaymentRecord>& kBankCode = kPaymentFields[3];
constexpr const FieldLayout<PaymentRecord>& kAccount = kPaymentFields[4];
constexpr const FieldLayout<PaymentRecord>& kKey = kPaymentFields[6];
constexpr const FieldLayout<PaymentRecord>& kKeySupplement = kPaymentFields[7];
constexpr const FieldLayout<PaymentRecord>& kAmount = kPaymentFields[12];
constexpr const FieldLayout<PaymentRecord>& kPartCount = kPaymentFields[20];
static_assert(kExecutionDate.dtaus_field == "A11b" && kBankCode.dtaus_field == "C4" &&
              kAccount.dtaus_field == "C5" && kKey.dtaus_field == "C7a" &&
              kKeySupplement.dtaus_field == "C7b" && kAmount.dtaus_field == "C12" &&
              kPartCount.dtaus_field == "C18");

// The most extension parts of each type one record C may carry: one continues the
// payee's name, thirteen the purpose, one the ordering party's name.
struct PartTypeLimit {
  std::string_view type;
  std::string_view what;
  int most;
  std::string_view most_text;
};
constexpr std::array<PartTypeLimit, 3> kPartTypeLimits = {{
    {"01", "name", 1, "one"},
    {"02", "purpose", 13, "13"},
    {"03", "ordering party's name", 1, "one"},
}};
static_assert(kPartTypeLimits[0].type == "01" && kPartTypeLimits[1].type == "02" &&
                  kPartTypeLimits[2].type == "03",
              "a part of type 0n counts against limit n - 1");

// The transaction key C7a a file of kind A3 ("LK" or "GK") normally carries; empty for
// a kind that is neither.
std::string_view UsualKey(std::string_view kind) {
  if (kind == "LK") return "05";
  if (kind == "GK") return "51";
  return {};
}

// An execution date may lie from the creation day itself to 15 days after it.
constexpr int kMaxDaysToExecution = 15;

// Where each extension-part slot of record C starts, for the loops over the parts of
// every record.
constexpr std::array<std::size_t, PartSlots(kMaxPaymentRecordSize)> kPartOffsets = [] {
  std::array<std::size_t, PartSlots(kMaxPaymentRecordSize)> offsets{};
  for (std::size_t i = 0; i < offsets.size(); ++i) offsets[i] = PartOffset(static_cast<int>(i));
  return offsets;
}();

// The fixed part of record C as the check of a plain record sweeps it: neighbouring
// numbers as one stretch of digits, neighbouring texts and reserves as one stretch of
// DTAUS characters (a blank is one), and each reserve once more on its own, as blank.
enum class Sweep { kDigits, kDtausCharacters, kBlank, kCurrencyCode };
struct SweepRun {
  std::size_t offset;
  std::size_t width;
  Sweep sweep;
};
struct PaymentSweeps {
  std::array<SweepRun, kPaymentFields.size()> runs{};
  std::size_t count = 0;
};
constexpr PaymentSweeps kPlainPaymentSweeps = [] {
  PaymentSweeps sweeps;
  const auto add = [&sweeps](const FieldLayout<PaymentRecord>& field, Sweep sweep) {
    SweepRun& last = sweeps.runs[sweeps.count == 0 ? 0 : sweeps.count - 1];
    if (sweeps.count > 0 && last.sweep == sweep && last.offset + last.width == field.offset) {
      last.width += field.width;
    } else {
      sweeps.runs[sweeps.count++] = {field.offset, field.width, sweep};
    }
  };
  for (const auto& field : kPaymentFields) {
    if (field.kind == FieldKind::kNumber) add(field, Sweep::kDigits);
    if (field.kind == FieldKind::kText || field.kind == FieldKind::kReserve) {
      add(field, Sweep::kDtausCharacters);
    }
    if (field.kind == FieldKind::kCurrency) add(field, Sweep::kCurrencyCode);
  }
  for (const auto& field : kPaymentFields) {
    if (field.kind == FieldKind::kReserve)
      sweeps.runs[sweeps.count++] = {field.offset, field.width, Sweep::kBlank};
  }
  return sweeps;
}();
// Record C holds nothing else for a plain record to pass: the record type C is known
// when it is read, and C8 is the banks' own.
static_assert(std::all_of(kPaymentFields.begin(), kPaymentFields.end(), [](const auto& field) {
  return field.kind == FieldKind::kNumber || field.kind == FieldKind::kText ||
         field.kind == FieldKind::kReserve || field.kind == FieldKind::kCurrency ||
         field.kind == FieldKind::kRecordType || field.kind == FieldKind::kFree;
}));

// A size to try for a record, and the number of extension parts it implies (record C
// only; unknown when the size was merely guessed).
struct SizeCandidate {
  std::size_t size;
  std::optional<int> parts;
};

class Parser {
 public:
  // `each_payment` nullptr: every record C is kept in the result; otherwise each goes
  // to it (when it is not empty) and is dropped.
  Parser(std::string_view bytes, const DtausReader::PaymentVisitor* each_payment, bool decode_texts)
      : bytes_(bytes), each_payment_(each_payment), decode_texts_(decode_texts) {}

  ParseResult Run() {
    if (bytes_.size() > DtausReader::kMaxFileSize) {
      Error(DtausReader::kMaxFileSize, "", "",
            "the file has " + std::to_string(bytes_.size()) +
                " bytes, more than any DTAUS file can have (" +
                std::to_string(DtausReader::kMaxFileSize) + "); it is not read");
    } else if (bytes_.empty()) {
      Error(0, "", "", "the file is empty");
    } else {
      Parse();
    }
    // The heap of kept findings, sorted: the file order, and the order in which they
    // were found where two share an offset.
    std::sort_heap(kept_.begin(), kept_.end(), Earlier);
    result_.findings.reserve(kept_.size());
    for (KeptFinding& kept : kept_) result_.findings.push_back(std::move(kept.finding));
    return std::move(result_);
  }

 private:
  // A finding with the number that says when it was found.
  struct KeptFinding {
    std::size_t sequence;
    Finding finding;
  };
  static bool Earlier(const KeptFinding& a, const KeptFinding& b) {
    if (a.finding.offset != b.finding.offset) return a.finding.offset < b.finding.offset;
    return a.sequence < b.sequence;
  }

  void Parse() {
    std::size_t pos = 0;
    while (pos < bytes_.size()) {
      if (!IsRecordStart(pos, /*strict=*/false)) {
        pos = SkipStrayBytes(pos);
        continue;
      }
      switch (bytes_[pos + 4]) {
        case 'A':
          pos += ReadHeader(pos);
          break;
        case 'C':
          pos += ReadPayment(pos);
          break;
        default:
          pos += ReadTrailer(pos);
          break;
      }
      ++records_seen_;
    }
    if (!result_.header) Error(0, "", "", "record A is missing");
    if (!result_.trailer) {
      Error(bytes_.size(), "", "", "record E is missing: the file ends without its trailer");
    } else {
      CheckTrailerSums();
    }
  }

  // Counts every finding, but keeps only the kMaxFindings earliest in file order, in a
  // heap whose top is the latest kept one. Findings mostly arrive in file order, so
  // once the heap is full nearly all later ones are merely counted.
  void Add(Severity severity, std::size_t offset, std::string record, std::string field,
           std::string message) {
    ++(severity == Severity::kError ? result_.error_count : result_.warning_count);
    KeptFinding kept{next_sequence_++, Finding{severity, offset, std::move(record),
                                               std::move(field), std::move(message)}};
    if (kept_.size() < DtausReader::kMaxFindings) {
      kept_.push_back(std::move(kept));
    } else if (Earlier(kept, kept_.front())) {
      std::pop_heap(kept_.begin(), kept_.end(), Earlier);
      kept_.back() = std::move(kept);
    } else {
      return;
    }
    std::push_heap(kept_.begin(), kept_.end(), Earlier);
  }
  void Error(std::size_t offset, std::string record, std::string field, std::string message) {
    Add(Severity::kError, offset, std::move(record), std::move(field), std::move(message));
  }
  void Warning(std::size_t offset, std::string record, std::string field, std::string message) {
    Add(Severity::kWarning, offset, std::move(record), std::move(field), std::move(message));
  }

  // A record starts with its four-digit length and its type letter. Right after a
  // record only the letter is required, so that a record with a damaged length field
  // is still read as a record; while searching through stray bytes the digits must be
  // there too, or a letter C in the middle of some text would pass for a record.
  bool IsRecordStart(std::size_t pos, bool strict) const {
    if (pos > bytes_.size() || bytes_.size() - pos < 5) return false;
    const char type = bytes_[pos + 4];
    if (type != 'A' && type != 'C' && type != 'E') return false;
    return !strict || AllDigits(bytes_.substr(pos, 4));
  }

  std::size_t SkipStrayBytes(std::size_t pos) {
    std::size_t next = pos + 1;
    while (next < bytes_.size() && !IsRecordStart(next, /*strict=*/true)) ++next;
    const std::size_t count = next - pos;
    constexpr std::size_t kPreview = 16;
    std::string preview = Quoted(bytes_.substr(pos, std::min(count, kPreview)));
    if (count > kPreview) preview += "...";
    Error(pos, "", "",
          std::to_string(count) + (count == 1 ? " byte that belongs" : " bytes that belong") +
              " to no record: " + preview);
    return next;
  }

  // Picks the size under which the record is followed by the next record, else the one
  // under which it ends with the file; the first candidate when none fits (a cut-off or
  // damaged file). A following record is the stronger sign: a last record C that
  // announces more blocks than it has would otherwise swallow record E.
  template <std::size_t N>
  SizeCandidate ChooseSize(std::size_t pos, const std::array<SizeCandidate, N>& candidates,
                           std::size_t count) const {
    for (std::size_t i = 0; i < count; ++i) {
      if (IsRecordStart(pos + candidates[i].size, /*strict=*/true)) return candidates[i];
    }
    for (std::size_t i = 0; i < count; ++i) {
      if (pos + candidates[i].size == bytes_.size()) return candidates[i];
    }
    return candidates[0];
  }

  std::string_view RecordBytes(std::size_t pos, std::size_t size, const std::string& name) {
    const std::size_t available = bytes_.size() - pos;
    if (available < size) {
      Error(pos, name, "",
            "record " + name.substr(0, 1) + " is cut off: " + std::to_string(available) + " of " +
                std::to_string(size) + " bytes");
    }
    return bytes_.substr(pos, std::min(size, available));
  }

  void CheckOrder(std::size_t pos, char type, const std::string& name) {
    const std::string kind(1, type);
    if (seen_trailer_) Error(pos, name, "", "record " + kind + " after record E");
    if (type == 'A') {
      if (result_.header) {
        Error(pos, name, "", "a second record A");
      } else if (records_seen_ > 0) {
        Error(pos, name, "", "record A is not the first record");
      }
    } else if (type == 'E' && result_.trailer) {
      Error(pos, name, "", "a second record E");
    }
  }

  // Reads the fields of one record by its table. Fields beyond the end of a cut-off
  // record stay empty; the cut itself has been reported.
  // Texts are decoded unless `decode_texts` is false; they are checked either way.
  template <typename Record, std::size_t N>
  void ReadFields(const std::array<FieldLayout<Record>, N>& fields, std::string_view record,
                  std::size_t record_offset, const std::string& name, Record& out,
                  bool decode_texts = true) {
    for (const auto& field : fields) {
      if (field.offset + field.width > record.size()) break;
      const std::string_view raw = record.substr(field.offset, field.width);
      const std::size_t offset = record_offset + field.offset;
      const auto label = [&field] { return FieldName(field.dtaus_field, field.label); };
      std::string value =
          field.kind == FieldKind::kText || field.target == nullptr ? std::string() : Decoded(raw);
      switch (field.kind) {
        case FieldKind::kRecordType:
        case FieldKind::kFree:
          break;
        case FieldKind::kNumber:
          if (!AllDigits(raw)) Error(offset, name, label(), "not a number: " + Quoted(raw));
          break;
        case FieldKind::kText: {
          const std::string_view text = DropTrailingBlanks(raw);
          if (decode_texts) value = Decoded(text);
          CheckCharacters(text, offset, name, label);
          break;
        }
        case FieldKind::kReserve:
          CheckBlank(raw, offset, name, label);
          break;
        case FieldKind::kCurrency:
          if (raw != "1") {
            Error(offset, name, label(), "currency code " + Quoted(raw) + " is not 1 (euro)");
          }
          break;
        case FieldKind::kDate:
          if (!IsDate(raw, 6)) Error(offset, name, label(), "not a date ddmmyy: " + Quoted(raw));
          break;
        case FieldKind::kOptionalDate:
          if (AllBlank(raw)) {
            value.clear();
          } else if (!IsDate(raw, 8)) {
            Error(offset, name, label(), "not a date ddmmyyyy: " + Quoted(raw));
          }
          break;
        case FieldKind::kFileKind:
          if (raw != "GK" && raw != "LK") {
            Error(offset, name, label(),
                  "file kind " + Quoted(raw) +
                      " is neither GK (credit transfers) nor LK (direct debits)");
          }
          break;
      }
      if (field.target != nullptr) out.*field.target = std::move(value);
    }
  }

  // One warning per text, at the first character outside the DTAUS character set.
  template <typename Label>
  void CheckCharacters(std::string_view text, std::size_t offset, const std::string& name,
                       const Label& label) {
    const std::array<bool, 256>& is_dtaus_character = DtausCharacters();
    std::size_t first = text.size();
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (is_dtaus_character[static_cast<unsigned char>(text[i])]) continue;
      if (count++ == 0) first = i;
    }
    if (count == 0) return;
    std::string message = DescribeByte(static_cast<unsigned char>(text[first])) +
                          " is outside the DTAUS character set";
    if (count > 1) message += " (and " + std::to_string(count - 1) + " more in this field)";
    Warning(offset + first, name, LabelText(label), std::move(message));
  }

  template <typename Label>
  void CheckBlank(std::string_view raw, std::size_t offset, const std::string& name,
                  const Label& label) {
    if (!AllBlank(raw)) Warning(offset, name, LabelText(label), "not blank: " + Quoted(raw));
  }

  // Record length of records A and E: the size the length field asks for, then the other.
  static std::array<SizeCandidate, 2> LengthCandidates(std::string_view length_field,
                                                       std::size_t preferred) {
    std::size_t first = preferred;
    if (length_field == "0128") first = kBlockSize;
    if (length_field == "0256") first = kKassetteRecordSize;
    const std::size_t second = first == kBlockSize ? kKassetteRecordSize : kBlockSize;
    return {{{first, std::nullopt}, {second, std::nullopt}}};
  }

  void CheckRecordLength(std::string_view length_field, std::size_t size, std::size_t pos,
                         const std::string& name, const std::string& label) {
    if (!AllDigits(length_field)) return;  // reported as "not a number"
    if (length_field != "0128" && length_field != "0256") {
      Error(pos, name, label,
            "record length " + Quoted(length_field) +
                " is neither 0128 (Diskette) nor 0256 (Kassette)");
    } else if (DigitsValue(length_field) != size) {
      Error(pos, name, label,
            "record length " + std::string(length_field) + ", but the record takes " +
                std::to_string(size) + " bytes");
    }
  }

  std::size_t ReadHeader(std::size_t pos) {
    const std::string name = "A";
    CheckOrder(pos, 'A', name);
    const std::string_view length_field = bytes_.substr(pos, 4);
    const auto candidates = LengthCandidates(length_field, kBlockSize);
    const std::size_t size = ChooseSize(pos, candidates, candidates.size()).size;
    const std::string_view record = RecordBytes(pos, size, name);

    HeaderRecord header;
    header.offset = pos;
    header.size = size;
    ReadFields(kHeaderFields, record, pos, name, header);
    CheckRecordLength(length_field, size, pos, name, "A1 record length");
    if (record.size() > kBlockSize) {
      CheckBlank(record.substr(kBlockSize), pos + kBlockSize, name,
                 "second block of a Kassette record");
    }
    CheckExecutionDate(header, name);
    header.DateiMedia = header.record_length == "0256" ? MediaTyp::Kassette : MediaTyp::Diskette;
    header.GeldTransferTyp =
        header.kind == "GK" ? TransferTyp::Gutschrift : TransferTyp::Lastschrift;
    if (!result_.header) result_.header = std::move(header);
    return record.size();
  }

  // Banks execute a file from its execution date A11b on, which must lie between the
  // creation date A7 and 15 days after it. Either date that is no date has been reported.
  void CheckExecutionDate(const HeaderRecord& header, const std::string& name) {
    const std::string& created = header.AktuellesDatum;
    const std::string& execution = header.AusfuehrungsDatum;
    if (!IsDate(created, 6) || !IsDate(execution, 8)) return;
    const auto days = (DayOf(execution) - DayOf(created)).count();
    const std::size_t offset = header.offset + kExecutionDate.offset;
    const std::string label = FieldName(kExecutionDate.dtaus_field, kExecutionDate.label);
    if (days < 0) {
      Error(offset, name, label,
            "execution date " + execution + " is before the creation date " + created);
    } else if (days > kMaxDaysToExecution) {
      Error(offset, name, label,
            "execution date " + execution + " is " + std::to_string(days) +
                " days after the creation date " + created + ", more than " +
                std::to_string(kMaxDaysToExecution));
    }
  }

  // A record C as nearly every file holds it, read in a few tight passes over its bytes
  // with nothing to report: C1 and C18 agree on the extension parts, the next record
  // starts right behind them, every number is digits, every text DTAUS characters,
  // every constant and part type what it must be and every reserve and unused part
  // blank; the amount is not zero, the transaction key the usual one for the file's
  // kind, and no part type occurs too often. Returns the record's size; 0, having
  // changed nothing, the moment anything is unusual, so that the thorough reading
  // below finds, words and places each finding.
  std::size_t ReadPlainPayment(std::size_t pos) {
    if (seen_trailer_ || bytes_.size() - pos < kPaymentFixedLength) return 0;
    const char* const record = bytes_.data() + pos;
    const auto at = [record](std::size_t offset, std::size_t width) {
      return FieldBytes(record, offset, width);
    };
    const std::string_view length_field = at(0, 4);
    const std::string_view count_field = at(kPartCount.offset, kPartCount.width);
    if (!AllDigits(length_field) || !AllDigits(count_field)) return 0;
    const std::uint64_t parts_value = DigitsValue(count_field);
    if (parts_value > kMaxParts) return 0;
    const auto parts = static_cast<std::size_t>(parts_value);
    if (DigitsValue(length_field) != PaymentRecordLength(static_cast<int>(parts))) return 0;
    // The size C1 and C18 give is the first the thorough reading tries, and taken when
    // a record starts behind it.
    const std::size_t size = PaymentRecordSize(static_cast<int>(parts));
    if (bytes_.size() - pos < size || !IsRecordStart(pos + size, /*strict=*/true)) return 0;

    for (std::size_t i = 0; i < kPlainPaymentSweeps.count; ++i) {
      const SweepRun& run = kPlainPaymentSweeps.runs[i];
      const std::string_view raw = at(run.offset, run.width);
      bool plain = false;
      switch (run.sweep) {
        case Sweep::kDigits:
          plain = AllDigits(raw);
          break;
        case Sweep::kDtausCharacters:
          plain = AllDtausCharacters(raw);
          break;
        case Sweep::kBlank:
          plain = AllBlank(raw);
          break;
        case Sweep::kCurrencyCode:
          plain = raw == "1";
          break;
      }
      if (!plain) return 0;
    }
    const std::uint64_t cents = DigitsValue(at(kAmount.offset, kAmount.width));
    if (cents == 0) return 0;
    if (result_.header) {
      const std::string_view usual = UsualKey(result_.header->kind);
      if (!usual.empty() && (at(kKey.offset, kKey.width) != usual ||
                             at(kKeySupplement.offset, kKeySupplement.width) != "000")) {
        return 0;
      }
    }

    // The extension parts (with the reserves between them) at once as DTAUS characters;
    // then each part's type, and blanks where no part is.
    if (parts > 0 &&
        !AllDtausCharacters(
            at(kPaymentFixedLength, kPartOffsets[parts - 1] + kPartWidth - kPaymentFixedLength))) {
      return 0;
    }
    std::array<int, kPartTypeLimits.size()> type_counts{};
    const auto slots = static_cast<std::size_t>(PartSlots(size));
    for (std::size_t i = 0; i < slots; ++i) {
      const char* const slot = record + kPartOffsets[i];
      if (i >= parts) {
        if (!AllBlank(FieldBytes(slot, 0, kPartWidth))) return 0;
        continue;
      }
      const auto type = static_cast<std::size_t>(static_cast<unsigned char>(slot[1]) - '1');
      if (slot[0] != '0' || type >= type_counts.size()) return 0;
      ++type_counts[type];
    }
    for (std::size_t t = 0; t < type_counts.size(); ++t) {
      if (type_counts[t] > kPartTypeLimits[t].most) return 0;
    }
    if (!AllBlank(at(kSecondBlockReserveOffset, kSecondBlockReserveWidth))) return 0;
    for (std::size_t block = 2; block < size / kBlockSize; ++block) {
      if (!AllBlank(at(block * kBlockSize + kBlockReserveOffset, kBlockReserveWidth))) return 0;
    }

    ++payment_number_;
    DtausTotals& totals = result_.totals;
    ++totals.count;
    totals.konto_sum =
        SaturatingAdd(totals.konto_sum, DigitsValue(at(kAccount.offset, kAccount.width)));
    totals.blz_sum =
        SaturatingAdd(totals.blz_sum, DigitsValue(at(kBankCode.offset, kBankCode.width)));
    totals.euro_cents = SaturatingAdd(totals.euro_cents, cents);
    if (*each_payment_) {
      FillPlainPayment(record, size, pos, parts, static_cast<std::int64_t>(cents));
      (*each_payment_)(visited_);
    }
    return size;
  }

  // The record a visitor receives, filled from a record C that ReadPlainPayment has
  // checked: its fields as the thorough reading fills them. One record serves them all,
  // so that its strings keep their memory.
  void FillPlainPayment(const char* record, std::size_t size, std::size_t pos, std::size_t parts,
                        std::int64_t cents) {
    PaymentRecord& payment = visited_;
    payment.offset = pos;
    payment.size = size;
    for (const auto& field : kPaymentFields) {
      if (field.target == nullptr) continue;
      std::string& value = payment.*field.target;
      const std::string_view raw = FieldBytes(record, field.offset, field.width);
      if (field.kind != FieldKind::kText) {
        AssignInPlace(raw, value);  // digits or the currency code: the same in UTF-8
      } else if (decode_texts_) {
        DecodeInto(DropTrailingBlanks(raw), value);
      } else {
        value.clear();
      }
    }
    payment.parts.resize(parts);
    for (std::size_t i = 0; i < parts; ++i) {
      ExtensionPart& part = payment.parts[i];
      const char* const slot = record + kPartOffsets[i];
      part.offset = pos + kPartOffsets[i];
      AssignInPlace(FieldBytes(slot, 0, kPartTypeWidth), part.type);
      if (decode_texts_) {
        DecodeInto(DropTrailingBlanks(FieldBytes(slot, kPartTypeWidth, kPartTextWidth)), part.text);
      } else {
        part.text.clear();
      }
    }
    payment.cents = cents;
  }

  std::size_t ReadPayment(std::size_t pos) {
    // The check alone first tries the quick way through a plain record.
    if (each_payment_ != nullptr) {
      if (const std::size_t size = ReadPlainPayment(pos); size != 0) return size;
    }
    const std::string name = "C " + std::to_string(++payment_number_);
    CheckOrder(pos, 'C', name);

    // The record length C1 and the part count C18 both tell how many extension parts
    // follow, and so how many blocks the record takes. When they disagree, the one
    // under which the next record starts where it should wins.
    const std::string_view length_field = bytes_.substr(pos, 4);
    std::optional<int> parts_by_length;
    if (AllDigits(length_field)) {
      const std::uint64_t length = DigitsValue(length_field);
      if (length >= kPaymentFixedLength && (length - kPaymentFixedLength) % kPartWidth == 0 &&
          (length - kPaymentFixedLength) / kPartWidth <= kMaxParts) {
        parts_by_length = static_cast<int>((length - kPaymentFixedLength) / kPartWidth);
      }
    }
    constexpr std::size_t kCountOffset = kPartCount.offset;
    std::string_view count_field;
    if (bytes_.size() - pos >= kCountOffset + 2) count_field = bytes_.substr(pos + kCountOffset, 2);
    std::optional<int> parts_by_count;
    if (AllDigits(count_field) && DigitsValue(count_field) <= kMaxParts) {
      parts_by_count = static_cast<int>(DigitsValue(count_field));
    }

    std::array<SizeCandidate, 7> candidates{};
    std::size_t count = 0;
    if (parts_by_count) candidates[count++] = {PaymentRecordSize(*parts_by_count), parts_by_count};
    if (parts_by_length)
      candidates[count++] = {PaymentRecordSize(*parts_by_length), parts_by_length};
    for (std::size_t blocks = 2; blocks <= 6 && count < candidates.size(); ++blocks) {
      candidates[count++] = {blocks * kBlockSize, std::nullopt};
    }
    const SizeCandidate chosen = ChooseSize(pos, candidates, count);
    const std::string_view record = RecordBytes(pos, chosen.size, name);

    PaymentRecord payment;
    payment.offset = pos;
    payment.size = chosen.size;
    ReadFields(kPaymentFields, record, pos, name, payment, decode_texts_);

    const std::string length_label = "C1 record length";
    if (AllDigits(length_field) && !parts_by_length) {
      Error(pos, name, length_label,
            "record length " + std::string(length_field) +
                " is not 0187 plus 29 for each extension part (at most 15)");
    } else if (parts_by_length && parts_by_count && *parts_by_length != *parts_by_count) {
      Error(pos, name, length_label,
            "record length " + std::string(length_field) + " is for " +
                std::to_string(*parts_by_length) + " extension parts, but C18 counts " +
                std::string(count_field));
    }
    if (AllDigits(count_field) && !parts_by_count) {
      Error(pos + kCountOffset, name, "C18 number of extension parts",
            "at most 15 extension parts, not " + std::string(count_field));
    }

    // The bank takes the record to be as long as C1 and C18 say. When the next record
    // starts elsewhere, they announce parts that are not in the file, or the record has
    // blocks that nothing announces. Where they disagree, that has been reported.
    if (!chosen.parts && (parts_by_count || parts_by_length) &&
        (!parts_by_count || !parts_by_length || *parts_by_count == *parts_by_length)) {
      const int announced = parts_by_count ? *parts_by_count : *parts_by_length;
      const std::string who = !parts_by_length  ? "C18 announces "
                              : !parts_by_count ? "C1 announces "
                                                : "C1 and C18 announce ";
      Error(pos, name, "",
            who + PartsText(announced) + " in " + std::to_string(PaymentRecordSize(announced)) +
                " bytes, but the record takes " + std::to_string(chosen.size) + " bytes");
    }

    ReadParts(record, pos, name, chosen, payment);
    if (AllDigits(payment.BetragEuro)) {
      payment.cents = static_cast<std::int64_t>(DigitsValue(payment.BetragEuro));
      // The library writes what it is given, but no bank executes a payment of nothing.
      if (payment.cents == 0) {
        Warning(pos + kAmount.offset, name, FieldName(kAmount.dtaus_field, kAmount.label),
                "an amount of zero, which banks reject");
      }
    }
    CheckTransactionKey(payment, name);
    // Records C after record E are not part of the file's body: they are reported,
    // but record E cannot have counted them.
    if (!seen_trailer_) AddToTotals(payment);
    if (each_payment_ != nullptr) {
      if (*each_payment_) (*each_payment_)(payment);
    } else {
      result_.payments.push_back(std::move(payment));
    }
    return record.size();
  }

  void ReadParts(std::string_view record, std::size_t pos, const std::string& name,
                 const SizeCandidate& chosen, PaymentRecord& payment) {
    const int slots = PartSlots(chosen.size);
    int parts = 0;
    if (chosen.parts) {
      parts = *chosen.parts;
    } else {
      // Neither C1 nor C18 could be trusted: take the filled slots.
      while (parts < slots && PartOffset(parts) + kPartWidth <= record.size() &&
             !AllBlank(record.substr(PartOffset(parts), kPartTypeWidth))) {
        ++parts;
      }
    }
    payment.parts.reserve(static_cast<std::size_t>(parts));
    for (int i = 0; i < slots; ++i) {
      const std::size_t offset = PartOffset(i);
      if (offset + kPartWidth > record.size()) break;
      const auto label = [i] { return "extension part " + std::to_string(i + 1); };
      const std::string_view slot = record.substr(offset, kPartWidth);
      if (i >= parts) {
        CheckBlank(slot, pos + offset, name, [&label] { return "unused " + label(); });
        continue;
      }
      const std::string_view type = slot.substr(0, kPartTypeWidth);
      const std::string_view text = DropTrailingBlanks(slot.substr(kPartTypeWidth));
      if (AllBlank(slot)) {
        Error(pos + offset, name, label(), "blank, but the record announces " + PartsText(parts));
      } else if (type != "01" && type != "02" && type != "03") {
        Error(pos + offset, name, label(),
              "type " + Quoted(type) +
                  " is none of 01 (name), 02 (purpose) and 03 (ordering party's name)");
      }
      CheckCharacters(text, pos + offset + kPartTypeWidth, name, label);
      payment.parts.push_back(ExtensionPart{pos + offset, Decoded(type),
                                            decode_texts_ ? Decoded(text) : std::string()});
    }
    CheckPartTypeCounts(name, payment);
    if (record.size() >= kSecondBlockReserveOffset + kSecondBlockReserveWidth) {
      CheckBlank(record.substr(kSecondBlockReserveOffset, kSecondBlockReserveWidth),
                 pos + kSecondBlockReserveOffset, name, "C23 reserve");
    }
    for (std::size_t block = 2; (block + 1) * kBlockSize <= record.size(); ++block) {
      const std::size_t offset = block * kBlockSize + kBlockReserveOffset;
      CheckBlank(record.substr(offset, kBlockReserveWidth), pos + offset, name,
                 [block] { return "reserve of block " + std::to_string(block + 1); });
    }
  }

  // One error per type that occurs too often, at the first part too many.
  void CheckPartTypeCounts(const std::string& name, const PaymentRecord& payment) {
    for (const PartTypeLimit& limit : kPartTypeLimits) {
      int count = 0;
      std::size_t first_too_many = 0;
      for (std::size_t i = 0; i < payment.parts.size(); ++i) {
        if (payment.parts[i].type != limit.type) continue;
        if (++count == limit.most + 1) first_too_many = i;
      }
      if (count <= limit.most) continue;
      Error(payment.parts[first_too_many].offset, name,
            "extension part " + std::to_string(first_too_many + 1),
            PartsText(count) + " of type " + std::string(limit.type) + " (" +
                std::string(limit.what) + "); a record C may hold " + std::string(limit.most_text));
    }
  }

  // Direct debits (LK) carry key 05, credit transfers (GK) key 51, both with the
  // supplement 000. DTAUS knows a few more keys for each kind (04 for debits under a
  // debit order, 53 salaries, 54 capital-forming payments, 56 public payers); those are
  // sound but unusual, and so only worth a warning.
  void CheckTransactionKey(const PaymentRecord& payment, const std::string& name) {
    if (!result_.header || payment.TextSchluessel.size() != 2) return;
    const std::string& kind = result_.header->kind;
    const std::string usual(UsualKey(kind));
    if (usual.empty()) return;  // the file kind itself is reported
    const std::string& key = payment.TextSchluessel;
    const std::size_t offset = payment.offset + kKey.offset;
    const std::string label = "C7a transaction key";
    const bool known = kind == "LK" ? key == "04" : key == "53" || key == "54" || key == "56";
    if (key == usual) {
      if (payment.TextSchluesselErgaenzung != "000" &&
          AllDigits(payment.TextSchluesselErgaenzung)) {
        Error(offset + 2, name, "C7b transaction key supplement",
              "supplement " + payment.TextSchluesselErgaenzung + " with key " + key +
                  ", expected 000");
      }
    } else if (known) {
      Warning(offset, name, label,
              "transaction key " + key + " is allowed in " + kind + " files, but unusual (" +
                  usual + " is the usual key)");
    } else if (AllDigits(key)) {
      Error(offset, name, label,
            "transaction key " + key + " does not belong in a " + kind + " file (expected " +
                usual + ")");
    }
  }

  void AddToTotals(const PaymentRecord& payment) {
    DtausTotals& totals = result_.totals;
    ++totals.count;
    if (AllDigits(payment.Konto))
      totals.konto_sum = SaturatingAdd(totals.konto_sum, DigitsValue(payment.Konto));
    if (AllDigits(payment.BLZ))
      totals.blz_sum = SaturatingAdd(totals.blz_sum, DigitsValue(payment.BLZ));
    if (payment.cents > 0) {
      totals.euro_cents =
          SaturatingAdd(totals.euro_cents, static_cast<std::uint64_t>(payment.cents));
    }
  }

  std::size_t ReadTrailer(std::size_t pos) {
    const std::string name = "E";
    CheckOrder(pos, 'E', name);
    const std::string_view length_field = bytes_.substr(pos, 4);
    const std::size_t preferred = result_.header ? result_.header->size : kBlockSize;
    const auto candidates = LengthCandidates(length_field, preferred);
    const std::size_t size = ChooseSize(pos, candidates, candidates.size()).size;
    const std::string_view record = RecordBytes(pos, size, name);

    TrailerRecord trailer;
    trailer.offset = pos;
    trailer.size = size;
    ReadFields(kTrailerFields, record, pos, name, trailer);
    CheckRecordLength(length_field, size, pos, name, "E1 record length");
    if (result_.header && (length_field == "0128" || length_field == "0256") &&
        (result_.header->record_length == "0128" || result_.header->record_length == "0256") &&
        length_field != result_.header->record_length) {
      Error(pos, name, "E1 record length",
            "record length " + std::string(length_field) + " differs from " +
                result_.header->record_length + " in record A");
    }
    if (record.size() > kBlockSize) {
      CheckBlank(record.substr(kBlockSize), pos + kBlockSize, name,
                 "second block of a Kassette record");
    }
    if (!result_.trailer) result_.trailer = std::move(trailer);
    seen_trailer_ = true;
    return record.size();
  }

  // The bank checks the count and the three control sums of record E against the
  // records C; so do we, against the records actually present.
  void CheckTrailerSums() {
    const TrailerRecord& trailer = *result_.trailer;
    const DtausTotals& totals = result_.totals;
    struct Check {
      const std::string* field;
      std::size_t offset;
      const char* label;
      std::uint64_t expected;
      const char* what;
    };
    const std::array<Check, 4> checks = {{
        {&trailer.TotalDatensatzItems, 10, "E4 number of records C", totals.count, nullptr},
        {&trailer.TotalPasivKonto, 30, "E6 sum of the accounts", totals.konto_sum,
         "the accounts C5 add up to "},
        {&trailer.TotalPasivBLZ, 47, "E7 sum of the bank codes", totals.blz_sum,
         "the bank codes C4 add up to "},
        {&trailer.TotalEuro, 64, "E8 sum of the amounts in euro", totals.euro_cents,
         "the amounts C12 add up to "},
    }};
    for (const Check& check : checks) {
      if (!AllDigits(*check.field) || DigitsValue(*check.field) == check.expected) continue;
      std::string counted = std::to_string(check.expected);
      if (check.what == nullptr) {
        counted = "the file has " + counted + (check.expected == 1 ? " record C" : " records C");
      } else {
        counted = check.what + counted;
      }
      Error(trailer.offset + check.offset, "E", check.label,
            "says " + *check.field + ", but " + counted);
    }
  }

  std::string_view bytes_;
  const DtausReader::PaymentVisitor* each_payment_;
  // False: the texts of records C are checked but left empty.
  bool decode_texts_;
  // What the visitor receives of each plain record C.
  PaymentRecord visited_;
  ParseResult result_;
  std::vector<KeptFinding> kept_;
  std::size_t next_sequence_ = 0;
  std::size_t records_seen_ = 0;
  int payment_number_ = 0;
  bool seen_trailer_ = false;
};

}  // namespace
}  // namespace detail

DtausReader::DtausReader(std::string_view bytes) noexcept
    : DtausReader(bytes, nullptr, /*decode_texts=*/true) {}

DtausReader DtausReader::CheckOnly(std::string_view bytes, const PaymentVisitor& each_payment,
                                   bool decode_texts) noexcept {
  // Without a visitor the records C are read and dropped, unfilled where they are plain.
  return DtausReader(bytes, &each_payment, decode_texts);
}

DtausReader::DtausReader(std::string_view bytes, const PaymentVisitor* each_payment,
                         bool decode_texts) noexcept
    : file_size_(bytes.size()) {
  static_assert(kMaxFileSize == 32767 * detail::PaymentRecordSize(detail::kMaxParts) +
                                    2 * detail::kKassetteRecordSize);
  try {
    detail::ParseResult result = detail::Parser(bytes, each_payment, decode_texts).Run();
    header_ = std::move(result.header);
    payments_ = std::move(result.payments);
    trailer_ = std::move(result.trailer);
    totals_ = result.totals;
    findings_ = std::move(result.findings);
    error_count_ = result.error_count;
    warning_count_ = result.warning_count;
  } catch (...) {
    // Only memory can run out here. Report that instead of half a file.
    header_.reset();
    payments_ = {};
    trailer_.reset();
    totals_ = {};
    findings_ = {};
    error_count_ = 1;
    warning_count_ = 0;
    try {
      findings_.push_back(
          Finding{Severity::kError, 0, "", "", "the file is too large to be read into memory"});
    } catch (...) {
      // HasErrors still answers true.
    }
  }
}

}  // namespace dtaus
