#include "tools/property_table.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace dtaus::tool {
namespace {

// Picks the setter among the overloads of a property that also has a getter.
constexpr void (MeineInfo::*HeaderSetter(void (MeineInfo::*set)(std::string_view)))(
    std::string_view) {
  return set;
}
constexpr void (GeldTransfer::*PaymentSetter(void (GeldTransfer::*set)(std::string_view)))(
    std::string_view) {
  return set;
}

constexpr std::array<HeaderProperty, 9> kHeaderProperties = {{
    {"DateiMedia", ValueKind::kMedia, nullptr},
    {"GeldTransferTyp", ValueKind::kTransfer, nullptr},
    {"BLZ", ValueKind::kText, &MeineInfo::BLZ},
    {"Name", ValueKind::kText, &MeineInfo::Name},
    {"AktuellesDatum", ValueKind::kText, HeaderSetter(&MeineInfo::AktuellesDatum)},
    {"Konto", ValueKind::kText, &MeineInfo::Konto},
    {"FreieReferenz", ValueKind::kText, &MeineInfo::FreieReferenz},
    {"AusfuehrungsDatum", ValueKind::kText, &MeineInfo::AusfuehrungsDatum},
    {"IBAN", ValueKind::kIban, nullptr},
}};

constexpr std::array<PaymentProperty, 24> kPaymentProperties = {{
    {"BLZ", ValueKind::kText, PaymentSetter(&GeldTransfer::BLZ)},
    {"Name", ValueKind::kText, &GeldTransfer::Name},
    {"Konto", ValueKind::kText, PaymentSetter(&GeldTransfer::Konto)},
    {"FreieReferenz", ValueKind::kText, &GeldTransfer::FreieReferenz},
    {"BetragEuro", ValueKind::kAmount, &GeldTransfer::BetragEuro},
    {"BetragEuroNetto", ValueKind::kAmount, &GeldTransfer::BetragEuroNetto},
    {"BetragEuroBrutto", ValueKind::kAmount, PaymentSetter(&GeldTransfer::BetragEuroBrutto)},
    {"VerwendungsZweck", ValueKind::kText, &GeldTransfer::VerwendungsZweck},
    {"VerwendungsZweck2", ValueKind::kText, &GeldTransfer::VerwendungsZweck2},
    {"VerwendungsZweck3", ValueKind::kText, &GeldTransfer::VerwendungsZweck3},
    {"VerwendungsZweck4", ValueKind::kText, &GeldTransfer::VerwendungsZweck4},
    {"VerwendungsZweck5", ValueKind::kText, &GeldTransfer::VerwendungsZweck5},
    {"VerwendungsZweck6", ValueKind::kText, &GeldTransfer::VerwendungsZweck6},
    {"VerwendungsZweck7", ValueKind::kText, &GeldTransfer::VerwendungsZweck7},
    {"VerwendungsZweck8", ValueKind::kText, &GeldTransfer::VerwendungsZweck8},
    {"VerwendungsZweck9", ValueKind::kText, &GeldTransfer::VerwendungsZweck9},
    {"VerwendungsZweck10", ValueKind::kText, &GeldTransfer::VerwendungsZweck10},
    {"VerwendungsZweck11", ValueKind::kText, &GeldTransfer::VerwendungsZweck11},
    {"VerwendungsZweck12", ValueKind::kText, &GeldTransfer::VerwendungsZweck12},
    {"VerwendungsZweck13", ValueKind::kText, &GeldTransfer::VerwendungsZweck13},
    {"VerwendungsZweck14", ValueKind::kText, &GeldTransfer::VerwendungsZweck14},
    {"Name2", ValueKind::kText, &GeldTransfer::Name2},
    {"MeineInfoName2", ValueKind::kText, &GeldTransfer::MeineInfoName2},
    {"IBAN", ValueKind::kIban, nullptr},
}};

// No two names of a table share both their length and their last character, so the pair
// picks the one entry worth comparing. Names are looked up three times for every value
// of every payment; nine of them are "VerwendungsZweck" and a digit or two.
struct NameIndex {
  static constexpr std::size_t kMaxLength = 32;
  std::array<std::array<std::int8_t, 128>, kMaxLength> entry_plus_one{};
};

template <typename Object, std::size_t N>
constexpr NameIndex MakeNameIndex(const std::array<Property<Object>, N>& table) {
  static_assert(N < 127);
  NameIndex index;
  for (std::size_t i = 0; i < N; ++i) {
    const std::string_view name = table[i].name;
    if (name.empty() || name.size() >= NameIndex::kMaxLength ||
        static_cast<unsigned char>(name.back()) >= 128) {
      throw "a property name the index cannot hold";  // stops the compilation
    }
    std::int8_t& slot = index.entry_plus_one[name.size()][static_cast<std::size_t>(name.back())];
    if (slot != 0) throw "two property names of the same length end in the same character";
    slot = static_cast<std::int8_t>(i + 1);
  }
  return index;
}

constexpr NameIndex kHeaderIndex = MakeNameIndex(kHeaderProperties);
constexpr NameIndex kPaymentIndex = MakeNameIndex(kPaymentProperties);

template <typename Object, std::size_t N>
const Property<Object>* Find(const std::array<Property<Object>, N>& table, const NameIndex& index,
                             std::string_view name) {
  if (name.empty() || name.size() >= NameIndex::kMaxLength ||
      static_cast<unsigned char>(name.back()) >= 128) {
    return nullptr;
  }
  const int at = index.entry_plus_one[name.size()][static_cast<std::size_t>(name.back())];
  return at != 0 && table[at - 1].name == name ? &table[at - 1] : nullptr;
}

template <typename Object, std::size_t N>
bool Contains(const std::array<Property<Object>, N>& table, std::string_view name) {
  return std::any_of(table.begin(), table.end(),
                     [name](const Property<Object>& p) { return p.name == name; });
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

// Levenshtein distance: insertions, deletions and replacements of one byte each.
std::size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t replaced = diagonal + (a[i - 1] == b[j - 1] ? 0 : 1);
      diagonal = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, replaced});
    }
  }
  return row[b.size()];
}

// German spreadsheet headings that look like no property name.
constexpr std::array<std::pair<std::string_view, std::string_view>, 4> kHeadings = {{
    {"bankleitzahl", "BLZ"},
    {"empfänger", "Name"},
    {"zahlungspflichtiger", "Name"},
    {"kontoinhaber", "Name"},
}};

template <typename Object, std::size_t N>
std::string_view Nearest(const std::array<Property<Object>, N>& table, std::string_view name) {
  const std::string wanted = Lower(name);
  for (const auto& [heading, property] : kHeadings) {
    if (wanted.compare(0, heading.size(), heading) == 0 && Contains(table, property)) {
      return property;
    }
  }
  std::string_view best;
  std::size_t best_score = std::max<std::size_t>(2, wanted.size() / 3) + 1;
  for (const auto& property : table) {
    const std::string known = Lower(property.name);
    std::size_t score = EditDistance(wanted, known);
    // "Kontonummer", "BLZ Empfänger": a heading that begins with the name; "Betrag":
    // the beginning of a name.
    if ((known.size() >= 3 && wanted.compare(0, known.size(), known) == 0) ||
        (wanted.size() >= 3 && known.compare(0, wanted.size(), wanted) == 0)) {
      score = std::min<std::size_t>(score, 1);
    }
    if (score < best_score) {
      best_score = score;
      best = property.name;
    }
  }
  return best;
}

}  // namespace

std::string_view NearestHeaderProperty(std::string_view name) {
  return Nearest(kHeaderProperties, name);
}

std::string_view NearestPaymentProperty(std::string_view name) {
  return Nearest(kPaymentProperties, name);
}

const HeaderProperty* FindHeaderProperty(std::string_view name) {
  return Find(kHeaderProperties, kHeaderIndex, name);
}

const PaymentProperty* FindPaymentProperty(std::string_view name) {
  return Find(kPaymentProperties, kPaymentIndex, name);
}

std::string DescribeUnknownNames(const std::string& source, std::string_view noun,
                                 const std::vector<UnknownName>& names) {
  std::string plural(noun);
  if (names.size() != 1) plural = noun == "property" ? "properties" : plural + "s";
  std::string message = source + ": " + std::to_string(names.size()) + " unknown " + plural +
                        " (see docs/tool.md for the property names):";
  for (const UnknownName& unknown : names) {
    message += "\n - " + unknown.place + ": \"" + unknown.name + "\"";
    if (!unknown.nearest.empty()) {
      message += " (nearest property: " + std::string(unknown.nearest) + ")";
    }
  }
  return message;
}

}  // namespace dtaus::tool
