// The value-check harness: the library's number, date and text checks against the slow
// references of reference.h, on arbitrary text.
//
// The first input byte picks the check (and the separators or the pinned date), the
// second the day that counts as today, the rest is the text. Every answer must be the
// reference's: accepted or not, the same cents to the last digit, the same compact date
// or the same broken date rule, the same bytes in Windows-1252.
#include <cmath>
#include <cstring>
#include <locale>
#include <string>

#include "fields/clock.h"
#include "fields/decimal_number.h"
#include "fields/dtaus_error.h"
#include "fields/text_codec.h"
#include "fields/value_checks.h"
#include "harness.h"
#include "reference.h"

namespace dtaus::fuzz {
namespace {

constexpr ref::Today kTodays[] = {{2026, 3, 10}, {2026, 12, 31}, {2027, 1, 1}, {2099, 6, 15}};
ref::Today g_today = kTodays[0];
detail::CivilDate PinnedToday() { return {g_today.year, g_today.month, g_today.day}; }

std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\x%02X", c);
      out += buffer;
    }
  }
  return out + "\"";
}

bool SameDouble(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void CheckNumber(std::string_view text, char decimal_point, char thousands_sep,
                 const std::string& grouping) {
  const auto mine = detail::DecimalNumber::Parse(
      text, {std::string(1, decimal_point), std::string(1, thousands_sep), grouping});
  const auto expected = ref::ParseNumber(text, decimal_point, thousands_sep, grouping);
  const std::string what = Quoted(text);
  DTAUS_FUZZ_CHECK(mine.has_value() == expected.has_value(), what);
  if (!mine) return;
  DTAUS_FUZZ_CHECK(mine->IsZero() == expected->IsZero(), what);
  DTAUS_FUZZ_CHECK(mine->negative() == (expected->negative && !expected->IsZero()), what);
  DTAUS_FUZZ_CHECK(SameDouble(mine->ToDouble(), ref::ToDouble(*expected)), what);
  DTAUS_FUZZ_CHECK(mine->GrossCentsFromNet() == ref::GrossCents(*expected),
                   what + " net: " + mine->GrossCentsFromNet() + " vs " + ref::GrossCents(*expected));
  const detail::DecimalNumber net = mine->NetFromGross();
  const ref::Decimal expected_net = ref::NetFromGross(*expected);
  DTAUS_FUZZ_CHECK(SameDouble(net.ToDouble(), ref::ToDouble(expected_net)), what + " gross");
  DTAUS_FUZZ_CHECK(net.GrossCentsFromNet() == ref::GrossCents(expected_net),
                   what + " gross: " + net.GrossCentsFromNet() + " vs " +
                       ref::GrossCents(expected_net));
}

void CheckDate(std::string_view text, bool four_digit_year) {
  if (!ref::DecodeUtf8(text)) return;  // the records check UTF-8 before they ask
  const ref::DateResult expected = ref::FormatDate(text, four_digit_year, g_today);
  std::string compact;
  std::string error;
  try {
    compact = detail::FormatDtausDate(text, four_digit_year);
  } catch (const detail::DtausError& e) {
    DTAUS_FUZZ_CHECK(e.code() == detail::kDateFormatError, Quoted(text) + ": " + e.what());
    error = e.what();
  }
  DTAUS_FUZZ_CHECK(compact == expected.compact && error == expected.error,
                   Quoted(text) + ": \"" + compact + error + "\", expected \"" + expected.compact +
                       expected.error + "\"");
}

void CheckCodec(std::string_view text) {
  const auto chars = ref::DecodeUtf8(text);
  DTAUS_FUZZ_CHECK(detail::IsValidUtf8(text) == chars.has_value(), Quoted(text));
  // Every byte is a character of Windows-1252: decoding never fails.
  std::u32string decoded;
  for (unsigned char b : text) decoded += ref::Windows1252Char(b);
  DTAUS_FUZZ_CHECK(detail::DecodeWindows1252(text) == ref::EncodeUtf8(decoded), Quoted(text));
  if (!chars) return;
  DTAUS_FUZZ_CHECK(detail::CountCodePoints(text) == chars->size(), Quoted(text));
  std::string expected = "prefix";
  std::optional<char32_t> unmappable;
  for (char32_t c : *chars) {
    const auto byte = ref::Windows1252Byte(c);
    if (!byte) {
      unmappable = c;
      break;
    }
    expected += static_cast<char>(*byte);
  }
  if (unmappable) expected = "prefix";  // a failed append leaves the text as it was
  std::string out = "prefix";
  char32_t reported = 0;
  const bool ok = detail::AppendWindows1252(out, text, &reported);
  DTAUS_FUZZ_CHECK(ok == !unmappable.has_value(), Quoted(text));
  DTAUS_FUZZ_CHECK(out == expected, Quoted(text) + " -> " + Quoted(out));
  if (unmappable) DTAUS_FUZZ_CHECK(reported == *unmappable, Quoted(text));
  // A slice by characters is what the date check cuts the day, month and year with.
  if (chars->size() >= 2) {
    const std::size_t first = chars->size() / 3;
    DTAUS_FUZZ_CHECK(detail::SliceCodePoints(text, first, 2) == ref::EncodeUtf8(chars->substr(first, 2)),
                     Quoted(text));
  }
}

}  // namespace

void RunValueChecks(const std::uint8_t* data, std::size_t size) {
  static const bool classic = [] {
    std::locale::global(std::locale::classic());
    return true;
  }();
  (void)classic;
  if (size < 2) return;
  const std::uint8_t selector = data[0];
  g_today = kTodays[data[1] % std::size(kTodays)];
  const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);
  const detail::TodayFunction previous = detail::SetToday(&PinnedToday);

  switch (selector % 6) {
    case 0: {
      const bool mine = detail::IsWholeNumber(text);
      DTAUS_FUZZ_CHECK(mine == ref::IsWholeNumber(text), Quoted(text));
      break;
    }
    case 1:
      DTAUS_FUZZ_CHECK(detail::IsDigitNumber(text) == ref::IsDigitNumber(text), Quoted(text));
      break;
    case 2: {
      // The separators of the classic locale, of a German one, and of a Swiss one; no
      // group sizes (threes), thousands, lakh and crore, and a single group of three.
      static constexpr char kSeparators[][2] = {{'.', ','}, {',', '.'}, {'.', '\''}};
      static const std::string kGroupings[] = {"", "\3", "\3\2", "\3\x7F"};
      const auto& s = kSeparators[(selector / 6) % 3];
      CheckNumber(text, s[0], s[1], kGroupings[(selector / 18) % 4]);
      break;
    }
    case 3:
      CheckDate(text, false);
      break;
    case 4:
      CheckDate(text, true);
      break;
    default:
      CheckCodec(text);
      break;
  }
  detail::SetToday(previous);
}

}  // namespace dtaus::fuzz
