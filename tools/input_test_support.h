// Test support for the tool's unit tests: an input object, or the refusal of an input,
// as one line of text, so that a table of cases compares whole results at once.
//
//   EXPECT_EQ(Describe(orders.payments[0]), "payment 1 (z.csv: row 2): BLZ=1 | Name=A");
//   EXPECT_EQ(Refusal([] { ReadJsonOrders("[]", "o.json"); }), "exit 2: o.json: ...");
#ifndef DTAUS_TOOLS_INPUT_TEST_SUPPORT_H_
#define DTAUS_TOOLS_INPUT_TEST_SUPPORT_H_

#include <string>

#include "tools/order_document.h"
#include "tools/tool_error.h"

namespace dtaus::tool {

// The origin and then property=value in input order.
inline std::string Describe(const InputObject& object) {
  std::string line = object.origin + ":";
  const char* separator = " ";
  for (const InputValue& v : object.values) {
    line += separator + v.property + "=" + v.value;
    separator = " | ";
  }
  return line;
}

// "exit N: message" for the ToolError that `read` throws, "accepted" when it returns.
template <typename Read>
std::string Refusal(Read read) {
  try {
    read();
  } catch (const ToolError& e) {
    return "exit " + std::to_string(e.exit_code()) + ": " + e.what();
  }
  return "accepted";
}

}  // namespace dtaus::tool

#endif  // DTAUS_TOOLS_INPUT_TEST_SUPPORT_H_
