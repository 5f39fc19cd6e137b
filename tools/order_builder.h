// OrderBuilder hands the orders read from JSON or CSV to the library, exactly as a host
// program would: one DtausDatei, its MeineInfo, one GeldTransfer per payment, every
// property assigned through its public setter in input order.
//
// On the way it does what a host must do itself: amounts are rewritten into the form the
// library's locale-dependent parsing expects, the enumerations are looked up by name,
// and with the DTAUS alphabet option every text is converted to the DTAUS character
// set. What the library then finds wrong is collected per object, with the object's
// origin, for the user.
//
//   OrderBuilder builder(/*dtaus_alphabet=*/false);
//   std::shared_ptr<DtausDatei> datei = builder.Build(orders);   // may throw ToolError
//   for (const InvalidObject& o : builder.Invalid()) ...
#ifndef DTAUS_TOOLS_ORDER_BUILDER_H_
#define DTAUS_TOOLS_ORDER_BUILDER_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dtaus/dtaus_datei.h"
#include "tools/order_document.h"

namespace dtaus::tool {

// An object the library did not accept, with its messages in the library's order.
struct InvalidObject {
  std::string origin;
  std::vector<std::string> messages;
};

// Splits a library error report ("Fehler in GeldTransfer:\r\r - Wert <BLZ> fehlt.\r")
// into its messages, without heading and " - ".
std::vector<std::string> SplitErrorReport(std::string_view report);

// What the payments given as net amounts come to. BetragEuro and BetragEuroNetto take a
// net amount and the library adds 19 %: "BetragEuro": "100" pays 119.00 EUR, which the
// user must be told, because BetragEuro is the name anyone would pick for "the amount".
struct NetTotals {
  std::size_t payments = 0;
  std::uint64_t net_cents = 0;    // as the input gives them
  std::uint64_t gross_cents = 0;  // as the file carries them
};

class OrderBuilder {
 public:
  explicit OrderBuilder(bool dtaus_alphabet) : dtaus_alphabet_(dtaus_alphabet) {}

  // Assigns everything. Throws ToolError (exit code 2) for a value the tool cannot hand
  // over: an amount that is not a decimal number or not whole cents, an unknown media or transfer
  // type, a character outside the DTAUS character set.
  std::shared_ptr<DtausDatei> Build(const OrderDocument& orders);

  // Build in steps, for orders read one payment at a time: a new file object with its
  // header assigned, then each payment added. Add returns false when the library does
  // not accept the payment (it is added all the same and listed in Invalid()).
  std::shared_ptr<DtausDatei> Begin(const InputObject& header);
  bool Add(DtausDatei& datei, const InputObject& payment);

  // The objects that are not valid after Build, header first.
  const std::vector<InvalidObject>& Invalid() const { return invalid_; }

  // The valid payments whose amount was last set through BetragEuro or BetragEuroNetto.
  const NetTotals& Net() const { return net_; }

 private:
  // The text to assign: the value itself, or its conversion to the DTAUS alphabet,
  // kept in `converted`.
  std::string_view Text(const InputValue& value, std::string& converted) const;
  void AssignHeader(MeineInfo& header, const InputValue& value) const;
  void AssignPayment(GeldTransfer& payment, const InputValue& value) const;

  bool dtaus_alphabet_;
  std::vector<InvalidObject> invalid_;
  NetTotals net_;
};

}  // namespace dtaus::tool

#endif  // DTAUS_TOOLS_ORDER_BUILDER_H_
