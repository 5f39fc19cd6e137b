// The text references held against their definitions: the examples of RFC 3629, the
// boundaries of each UTF-8 form, and Windows-1252 at the edges of its own block. The
// fuzz targets trust these answers, so they are pinned here without the library.
#include "reference.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace dtaus::fuzz::ref {
namespace {

TEST(ReferenceUtf8, WellFormedTextDecodesAndEncodesBack) {
  const struct {
    std::string bytes;
    std::u32string chars;
  } kCases[] = {
      {"", U""},
      // RFC 3629, section 7.
      {"\x41\xE2\x89\xA2\xCE\x91\x2E", U"\u0041\u2262\u0391\u002E"},
      {"\xED\x95\x9C\xEA\xB5\xAD\xEC\x96\xB4", U"\uD55C\uAD6D\uC5B4"},
      {"\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", U"\u65E5\u672C\u8A9E"},
      {"\xEF\xBB\xBF\xF0\xA3\x8E\xB4", U"\uFEFF\U000233B4"},
      // The first and last code point of each form, and either side of the surrogates.
      {std::string(1, '\0'), std::u32string(1, U'\0')},
      {"\x7F", U"\u007F"},
      {"\xC2\x80", U"\u0080"},
      {"\xDF\xBF", U"\u07FF"},
      {"\xE0\xA0\x80", U"\u0800"},
      {"\xED\x9F\xBF", U"\uD7FF"},
      {"\xEE\x80\x80", U"\uE000"},
      {"\xEF\xBF\xBF", U"\uFFFF"},
      {"\xF0\x90\x80\x80", U"\U00010000"},
      {"\xF4\x8F\xBF\xBF", U"\U0010FFFF"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(DecodeUtf8(c.bytes), std::optional<std::u32string>(c.chars));
    EXPECT_EQ(EncodeUtf8(c.chars), c.bytes);
  }
}

TEST(ReferenceUtf8, IllFormedTextIsRefused) {
  const std::string kCases[] = {
      "\x80",              // a continuation byte without a lead
      "\xC3",              // a lead byte at the end
      "\xC3\x28",          // a lead byte before ASCII
      "\xC0\xAF",          // '/' in two bytes: overlong
      "\xE0\x9F\xBF",      // U+07FF in three bytes: overlong
      "\xF0\x8F\xBF\xBF",  // U+FFFF in four bytes: overlong
      "\xED\xA0\x80",      // U+D800, a surrogate
      "\xED\xBF\xBF",      // U+DFFF, a surrogate
      "\xF4\x90\x80\x80",  // U+110000, beyond Unicode
      "\xF8\x88\x80\x80\x80",
      "\xFF",
      "A\xE2\x82",  // a character cut short after a good one
  };
  for (const std::string& bytes : kCases) {
    SCOPED_TRACE(bytes);
    EXPECT_EQ(DecodeUtf8(bytes), std::nullopt);
  }
}

TEST(ReferenceWindows1252, EveryByteHasOneCharacterAndBack) {
  const struct {
    unsigned char byte;
    char32_t c;
  } kCases[] = {
      {0x00, U'\0'},     {0x41, U'A'},      {0x7F, U'\u007F'}, {0x80, U'\u20AC'},
      {0x81, U'\u0081'}, {0x8E, U'\u017D'}, {0x9D, U'\u009D'}, {0x9E, U'\u017E'},
      {0x9F, U'\u0178'}, {0xA0, U'\u00A0'}, {0xC4, U'\u00C4'}, {0xDF, U'\u00DF'},
      {0xFF, U'\u00FF'},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(static_cast<int>(c.byte));
    EXPECT_EQ(Windows1252Char(c.byte), c.c);
    EXPECT_EQ(Windows1252Byte(c.c), std::optional<unsigned char>(c.byte));
  }
  // Characters the code page has no byte for: the Latin-1 places that 0x80-0x9F took
  // over, and letters beyond it.
  for (const char32_t c : {U'\u0080', U'\u009F', U'\u0100', U'\u0141', U'\u20AD'}) {
    SCOPED_TRACE(static_cast<unsigned>(c));
    EXPECT_EQ(Windows1252Byte(c), std::nullopt);
  }
}

}  // namespace
}  // namespace dtaus::fuzz::ref
