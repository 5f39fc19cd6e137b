// The model of the property-sequence harness: what a header and a payment must hold after
// any sequence of assignments, by the documented rules in their plainest form.
//
// Each model keeps the set of broken rules (by their numbers) and the stored values; the
// number and date checks are the slow references of reference.h. The harness feeds every
// assignment to the object and to its model and then holds the two against each other.
//
//   PaymentModel m;          // rules {2060, 2070, 2080, 2090}: nothing assigned yet
//   m.Blz("87654321");       // 2060 cleared, blz "87654321"
//   m.Netto("12,34");        // with the classic separators: 2091, the amount is not a number
#ifndef DTAUS_FUZZ_SEQUENCE_MODEL_H_
#define DTAUS_FUZZ_SEQUENCE_MODEL_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "reference.h"

namespace dtaus::fuzz::sequence {

// The day that counts as today in the current program; the library's clock is pinned to it.
extern ref::Today g_today;

// The separators of the global locale, which the amount setters read numbers with.
struct Separators {
  char decimal_point = '.';
  char thousands_sep = ',';
};
extern Separators g_separators;

// The number of characters of `text`, or nothing when it is not valid UTF-8.
std::optional<std::size_t> Length(std::string_view text);

// What the header and payment models share: the set of broken rules, and the checks
// of a numeric DTAUS field (failure, length and invalid-value rules).
struct ModelRules {
  std::set<int> rules;

  void Break(int r) { rules.insert(r); }
  void Clear(int r) { rules.erase(r); }
  void Number(std::string_view v, std::size_t width, int failure, int length, int invalid,
              std::string& target);
};

struct HeaderModel : ModelRules {
  HeaderModel() { rules = {1010, 1020, 1030, 1040, 1060}; }
  std::string satz, kenn, blz, name, konto, referenz;
  std::string datum = ref::DateText(g_today, 0, false, "");
  std::string ausfuehrung = ref::DateText(g_today, 0, true, "");

  void Media(std::int32_t m);
  void Typ(std::int32_t t);
  void Blz(std::string_view v);
  void Name(std::string_view v);
  void Konto(std::string_view v);
  void Referenz(std::string_view v);
  void Datum(std::string_view v);
  void Ausfuehrung(std::string_view v);
};

// The extension parts of record C a payment can carry: Name2, VerwendungsZweck2 to 14 and
// MeineInfoName2.
constexpr int kParts = 15;

struct PaymentModel : ModelRules {
  PaymentModel() { rules = {2060, 2070, 2080, 2090}; }
  std::string blz, konto, referenz, cents, name, zweck;
  std::array<std::optional<std::string>, kParts> parts;  // 01, 02 x 13, 03

  void Blz(std::string_view v);
  void Name(std::string_view v);
  void Zweck(std::string_view v);
  void Konto(std::string_view v);
  void Referenz(std::string_view v);
  void Netto(std::string_view v);
  void Brutto(std::string_view v);
  void Part(int slot, std::string_view v);

 private:
  void Text27(std::string_view v, int failure, int length, std::string& target);
  void SetNet(const ref::Decimal& net);
};

}  // namespace dtaus::fuzz::sequence

#endif  // DTAUS_FUZZ_SEQUENCE_MODEL_H_
