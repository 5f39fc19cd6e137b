// The properties that input documents may set: exactly the library's public property
// names, each with the kind of value it takes and the setter it is assigned through.
//
// Both JSON and CSV input are checked against these tables before anything reaches the
// library, so a misspelt name is reported as such instead of being ignored.
//
//   const PaymentProperty* p = FindPaymentProperty("BetragEuro");
//   if (p != nullptr && p->kind == ValueKind::kAmount) ((*payment).*(p->set))("12.50");
#ifndef DTAUS_TOOLS_PROPERTY_TABLE_H_
#define DTAUS_TOOLS_PROPERTY_TABLE_H_

#include <string>
#include <string_view>
#include <vector>

#include "dtaus/geld_transfer.h"
#include "dtaus/meine_info.h"

namespace dtaus::tool {

enum class ValueKind {
  kText,      // any text: names, purposes, digits, dates
  kAmount,    // a decimal amount in euro
  kMedia,     // "Diskette" or "Kassette"
  kTransfer,  // "Lastschrift" or "Gutschrift"
  kIban,      // a German IBAN: taken apart into BLZ and Konto before anything is assigned
};

template <typename Object>
struct Property {
  std::string_view name;
  ValueKind kind;
  void (Object::*set)(std::string_view);  // nullptr for the two enumerations and IBAN
};

using HeaderProperty = Property<MeineInfo>;
using PaymentProperty = Property<GeldTransfer>;

// nullptr for a name that is not a property of the object.
const HeaderProperty* FindHeaderProperty(std::string_view name);
const PaymentProperty* FindPaymentProperty(std::string_view name);

// For a name that is not a property: the property the user most likely meant, or "" when
// none is close. Spreadsheet headings are compared without regard to case, a heading
// that begins with a property name points at it ("Kontonummer" -> "Konto"), and small
// typing errors are forgiven ("Verwendungszwek" -> "VerwendungsZweck").
std::string_view NearestHeaderProperty(std::string_view name);
std::string_view NearestPaymentProperty(std::string_view name);

// A name in the input that is no property, where it stands and what it is closest to.
struct UnknownName {
  std::string place;  // "row 1, column 2" or "$.GeldTransfer[0].Kontonummer"
  std::string name;
  std::string_view nearest;  // "" when nothing is close
};

// All unknown names of one input in one message, so that a spreadsheet's headings are
// put right in one go:
//   z.csv: 2 unknown columns (see docs/tool.md for the property names):
//    - row 1, column 2: "Kontonummer" (nearest property: Konto)
//    - row 1, column 5: "Verwendungszweck" (nearest property: VerwendungsZweck)
// `noun` is "column" or "property".
std::string DescribeUnknownNames(const std::string& source, std::string_view noun,
                                 const std::vector<UnknownName>& names);

}  // namespace dtaus::tool

#endif  // DTAUS_TOOLS_PROPERTY_TABLE_H_
