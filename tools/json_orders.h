// Payment orders in JSON: the header object and the payments, keyed by the library's
// property names.
//
//   {
//     "MeineInfo": {"DateiMedia": "Diskette", "GeldTransferTyp": "Gutschrift",
//                   "BLZ": "12345678", "Name": "MUSTERMANN GMBH", "Konto": "1234567890"},
//     "GeldTransfer": [
//       {"BLZ": "87654321", "Konto": "1234567", "Name": "ERIKA MUSTERMANN",
//        "BetragEuro": "100.00", "VerwendungsZweck": "RECHNUNG 4711"}
//     ]
//   }
//
// Every value is a string; DateiMedia and GeldTransferTyp take the names of the
// enumeration members. Properties keep their document order, because the library
// checks some of them against others assigned before (the execution date against the
// creation date). Anything the tool cannot take (malformed JSON, an unknown property, a
// value that is not a string) throws ToolError with exit code 2 and a message that names
// the place: "orders.json: line 3, column 7: ..." or "orders.json: $.GeldTransfer[2].Nme: ...".
// So does what JSON parsers read in different ways, lest a payment depend on the parser: a
// key twice in one object ("orders.json: line 9: key ..."), anything but white space after
// the document, a NUL character in a value.
#ifndef DTAUS_TOOLS_JSON_ORDERS_H_
#define DTAUS_TOOLS_JSON_ORDERS_H_

#include <functional>
#include <string>
#include <string_view>

#include "tools/order_document.h"

namespace dtaus::tool {

// {"MeineInfo": {...}, "GeldTransfer": [{...}, ...]}; `source` names the input in
// messages.
OrderDocument ReadJsonOrders(std::string_view text, const std::string& source);

// The header file that goes with CSV input: {"MeineInfo": {...}}.
InputObject ReadJsonHeader(std::string_view text, const std::string& source);

// Receives one object of the orders at a time; returns false to stop reading.
using ObjectSink = std::function<bool(InputObject& object)>;

// The quick way through orders that have nothing to report: hands the header and then
// each payment to the sinks as soon as it is read, without holding the document, and
// without origins or locations (the objects are empty there). Returns false as soon as
// anything is not plain (malformed JSON, an unknown or repeated key, a value that is not
// a string, a control character or NUL in a value, the payments before the header) or
// a sink says stop; ReadJsonOrders then words what it is. `text` gets the spare
// capacity the parser reads ahead into; its content stays as it is.
bool StreamJsonOrders(std::string& text, const ObjectSink& on_header, const ObjectSink& on_payment);

}  // namespace dtaus::tool

#endif  // DTAUS_TOOLS_JSON_ORDERS_H_
