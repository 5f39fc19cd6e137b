// The payment orders as the tool read them, before they reach the library.
//
// JSON and CSV input both end up here: one object for the header (MeineInfo) and one
// per payment (GeldTransfer), each with its properties in input order and, for every
// object and value, where it came from, so that any message can point the user at the
// right place.
//
//   OrderDocument orders = ReadJsonOrders(text, "orders.json");
//   for (const InputObject& payment : orders.payments)
//     for (const InputValue& v : payment.values) std::cout << v.location << '\n';
#ifndef DTAUS_TOOLS_ORDER_DOCUMENT_H_
#define DTAUS_TOOLS_ORDER_DOCUMENT_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace dtaus::tool {

struct InputValue {
  std::string property;  // the library's property name, e.g. "BetragEuro"
  std::string value;     // UTF-8, exactly as given
  // Where the value stands: "orders.json: $.GeldTransfer[2].BetragEuro" or
  // "payments.csv: row 4, column 3 (BetragEuro)".
  std::string location;
};

struct InputObject {
  // The object as the user knows it: "MeineInfo (orders.json: $.MeineInfo)" or
  // "payment 3 (payments.csv: row 4)".
  std::string origin;
  std::vector<InputValue> values;
};

// Sets value number `index` of an object that is filled again and again, one payment
// after the other, reusing the memory of the previous payment's texts.
inline void SetValue(InputObject& object, std::size_t index, std::string_view property,
                     std::string_view value) {
  if (index == object.values.size()) object.values.emplace_back();
  object.values[index].property.assign(property);
  object.values[index].value.assign(value);
  object.values[index].location.clear();
}

struct OrderDocument {
  InputObject header;
  std::vector<InputObject> payments;
};

}  // namespace dtaus::tool

#endif  // DTAUS_TOOLS_ORDER_DOCUMENT_H_
