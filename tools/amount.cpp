#include "tools/amount.h"

#include <algorithm>
#include <locale>

namespace dtaus::tool {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string TwoDigits(std::uint64_t value) {
  return std::string(1, static_cast<char>('0' + value / 10)) + static_cast<char>('0' + value % 10);
}

}  // namespace

std::optional<std::string> ToLibraryAmount(std::string_view text, char decimal_point) {
  const std::size_t separator = text.find_first_of(".,");
  const std::string_view whole = text.substr(0, separator);
  const std::string_view fraction =
      separator == std::string_view::npos ? std::string_view() : text.substr(separator + 1);
  auto digits_only = [](std::string_view s) {
    for (char c : s) {
      if (!IsDigit(c)) return false;
    }
    return !s.empty();
  };
  if (!digits_only(whole)) return std::nullopt;
  if (separator == std::string_view::npos) return std::string(whole);
  if (!digits_only(fraction)) return std::nullopt;
  std::string out(whole);
  out.push_back(decimal_point);
  out.append(fraction);
  return out;
}

std::size_t DecimalPlaces(std::string_view amount) {
  const std::size_t separator = amount.find_first_of(".,");
  return separator == std::string_view::npos ? 0 : amount.size() - separator - 1;
}

std::optional<std::uint64_t> ParseCents(std::string_view amount) {
  constexpr std::size_t kMaxWholeDigits = 15;
  if (!ToLibraryAmount(amount, '.') || DecimalPlaces(amount) > 2) return std::nullopt;
  const std::size_t separator = std::min(amount.find_first_of(".,"), amount.size());
  if (separator > kMaxWholeDigits) return std::nullopt;
  std::uint64_t cents = 0;
  for (char c : amount.substr(0, separator)) cents = cents * 10 + static_cast<unsigned>(c - '0');
  std::string fraction(amount.substr(std::min(separator + 1, amount.size())));
  fraction.resize(2, '0');
  return cents * 100 + static_cast<unsigned>(fraction[0] - '0') * 10 +
         static_cast<unsigned>(fraction[1] - '0');
}

char LibraryDecimalPoint() {
  return std::use_facet<std::numpunct<char>>(std::locale()).decimal_point();
}

std::string FormatEuro(std::uint64_t cents) {
  return std::to_string(cents / 100) + "." + TwoDigits(cents % 100);
}

std::string FormatEuroGerman(std::uint64_t cents) {
  const std::string whole = std::to_string(cents / 100);
  std::string grouped;
  for (std::size_t i = 0; i < whole.size(); ++i) {
    if (i > 0 && (whole.size() - i) % 3 == 0) grouped.push_back('.');
    grouped.push_back(whole[i]);
  }
  return grouped + "," + TwoDigits(cents % 100);
}

}  // namespace dtaus::tool
