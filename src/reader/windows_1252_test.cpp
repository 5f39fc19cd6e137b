#include "reader/windows_1252.h"

#include <gtest/gtest.h>

#include <string>

namespace dtaus::detail {
namespace {

TEST(Windows1252Test, DecodesEveryRangeOfTheCodePage) {
  struct Case {
    unsigned char byte;
    std::string utf8;
  };
  const Case cases[] = {
      {0x00, std::string(1, '\0')},
      {'A', "A"},
      {0x7F, "\x7F"},
      {0x80, "€"},
      {0x81, "\xC2\x81"},  // undefined in the code page: the C1 control of that number
      {0x8D, "\xC2\x8D"},
      {0x8F, "\xC2\x8F"},
      {0x90, "\xC2\x90"},
      {0x9D, "\xC2\x9D"},
      {0x8A, "Š"},
      {0x9F, "Ÿ"},
      {0xA0, "\xC2\xA0"},
      {0xC4, "Ä"},
      {0xD6, "Ö"},
      {0xDC, "Ü"},
      {0xDF, "ß"},
      {0xE4, "ä"},
      {0xFF, "ÿ"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.byte));
    const std::string byte(1, static_cast<char>(c.byte));
    EXPECT_EQ(decode_windows_1252(byte), c.utf8);
  }
}

}  // namespace
}  // namespace dtaus::detail
