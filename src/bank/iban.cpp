#include "dtaus/iban.h"

#include <algorithm>
#include <cstddef>

namespace dtaus {
namespace {

constexpr std::size_t kGermanIbanLength = 22;
constexpr std::size_t kBlzLength = 8;
constexpr std::size_t kAccountLength = 10;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsCapital(char c) { return c >= 'A' && c <= 'Z'; }
bool AllDigits(std::string_view text) { return std::all_of(text.begin(), text.end(), IsDigit); }

// Folds `text` into the running remainder; false on a character that has no number.
bool FoldMod97(std::string_view text, int& remainder) {
  for (char c : text) {
    if (IsDigit(c)) {
      remainder = (remainder * 10 + (c - '0')) % 97;
    } else if (IsCapital(c)) {
      remainder = (remainder * 100 + (c - 'A' + 10)) % 97;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

int Mod97(std::string_view text) {
  int remainder = 0;
  if (text.empty() || !FoldMod97(text, remainder)) return -1;
  return remainder;
}

std::string Mod97CheckDigits(std::string_view text, std::string_view country) {
  int remainder = 0;
  if (!FoldMod97(text, remainder) || !FoldMod97(country, remainder) ||
      !FoldMod97("00", remainder)) {
    return "";
  }
  const int check = 98 - remainder;
  return {static_cast<char>('0' + check / 10), static_cast<char>('0' + check % 10)};
}

std::string GermanIban(std::string_view blz, std::string_view account) {
  if (blz.size() != kBlzLength || !AllDigits(blz) || account.empty() ||
      account.size() > kAccountLength || !AllDigits(account)) {
    return "";
  }
  std::string bban(blz);
  bban.append(kAccountLength - account.size(), '0').append(account);
  return "DE" + Mod97CheckDigits(bban, "DE") + bban;
}

GermanIbanParts ParseGermanIban(std::string_view iban) {
  std::string compact;
  for (char c : iban) {
    if (c == ' ') continue;
    compact += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  }
  GermanIbanParts parts;
  if (compact.empty()) {
    parts.error = "the IBAN is empty";
  } else if (compact.size() < 2 || !IsCapital(compact[0]) || !IsCapital(compact[1])) {
    parts.error = "an IBAN begins with a two-letter country code";
  } else if (compact.compare(0, 2, "DE") != 0) {
    parts.error = "it is not a German IBAN (country " + compact.substr(0, 2) +
                  "); a DTAUS file holds German accounts only";
  } else if (compact.size() != kGermanIbanLength) {
    parts.error = "a German IBAN has 22 characters, this one has " + std::to_string(compact.size());
  } else if (!AllDigits(std::string_view(compact).substr(2))) {
    parts.error = "a German IBAN holds nothing but digits after DE";
  } else {
    const std::string bban = compact.substr(4);
    const std::string expected = Mod97CheckDigits(bban, "DE");
    if (compact.compare(2, 2, expected) != 0) {
      parts.error = "the check digits " + compact.substr(2, 2) + " do not match (expected " +
                    expected + "); a digit is wrong or two are swapped";
    } else {
      parts.blz = bban.substr(0, kBlzLength);
      parts.account = bban.substr(kBlzLength);
    }
  }
  return parts;
}

}  // namespace dtaus
