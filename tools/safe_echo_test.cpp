#include "tools/safe_echo.h"

#include <gtest/gtest.h>

#include <string>

namespace dtaus::tool {
namespace {

// Every control character shows as its code, so that no escape sequence from the input
// reaches the terminal; printable text, umlauts and the euro sign included, stays as it is.
TEST(SafeEchoTest, ShowsControlCharactersAsTheirCodes) {
  const std::pair<std::string, std::string> kCases[] = {
      {"", ""},
      {"RECHNUNG 4711", "RECHNUNG 4711"},
      {"MÜLLER & SÖHNE €", "MÜLLER & SÖHNE €"},
      {"a\\x1B", "a\\x1B"},  // a backslash from the input is not a control character
      {"\x1b[31mROT\x1b[0m", "\\x1B[31mROT\\x1B[0m"},
      {"\x1b]0;title\x07", "\\x1B]0;title\\x07"},
      {std::string("A\0B", 3), "A\\x00B"},
      {"\t\r\n\x7f", "\\x09\\x0D\\x0A\\x7F"},
      {"\xC2\x9B[2J", "\\u009B[2J"},  // CSI of C1, as UTF-8
      {"\xC2\x80\xC2\x9F\xC2\xA0", "\\u0080\\u009F\xC2\xA0"},
      {"\x9B[2J", "\\x9B[2J"},  // the same CSI as a bare byte, which is not UTF-8
      {"M\xFCller", "M\\xFCller"},
      {"\xE2\x82", "\\xE2\\x82"},  // a character cut short
  };
  for (const auto& [input, expected] : kCases) {
    SCOPED_TRACE(input);
    EXPECT_EQ(SafeEcho(input), expected);
  }
  // A message of the tool's own lines keeps its line feeds, and only those.
  EXPECT_EQ(SafeEchoLines("a\x1b\n - b\r\n\n"), "a\\x1B\n - b\\x0D\n\n");
}

}  // namespace
}  // namespace dtaus::tool
