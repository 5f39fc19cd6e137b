// The properties that input documents may set: exactly the library's public property
// names, each with the kind of value it takes and the setter it is assigned through.
//
// Both JSON and CSV input are checked against these tables before anything reaches the
// library, so a misspelt name is reported as such instead of being ignored.
//
//   const PaymentProperty* p = find_payment_property("BetragEuro");
//   if (p != nullptr && p->kind == ValueKind::kAmount) ((*payment).*(p->set))("12.50");
#ifndef DTAUS_TOOLS_PROPERTY_TABLE_H_
#define DTAUS_TOOLS_PROPERTY_TABLE_H_

#include <string_view>

#include "dtaus/geld_transfer.h"
#include "dtaus/meine_info.h"

namespace dtaus::tool {

enum class ValueKind {
  kText,      // any text: names, purposes, digits, dates
  kAmount,    // a decimal amount in euro
  kMedia,     // "Diskette" or "Kassette"
  kTransfer,  // "Lastschrift" or "Gutschrift"
};

template <typename Object>
struct Property {
  std::string_view name;
  ValueKind kind;
  void (Object::*set)(std::string_view);  // nullptr for the two enumerations
};

using HeaderProperty = Property<MeineInfo>;
using PaymentProperty = Property<GeldTransfer>;

// nullptr for a name that is not a property of the object.
const HeaderProperty* find_header_property(std::string_view name);
const PaymentProperty* find_payment_property(std::string_view name);

}  // namespace dtaus::tool

#endif  // DTAUS_TOOLS_PROPERTY_TABLE_H_
