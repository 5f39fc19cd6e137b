#include "fields/text_codec.h"

#include <gtest/gtest.h>

#include <string>

namespace dtaus::detail {
namespace {

TEST(TextCodec, Utf8ValidityCountsAndSlices) {
  using namespace std::string_literals;  // NUL is a character like any other
  const std::pair<std::string, std::size_t> kValid[] = {
      {"", 0}, {"ASCII 123", 9}, {"Müller Straße €", 15}, {"\xF0\x9F\x98\x80x", 2}, {"a\0b"s, 3}};
  for (const auto& [text, code_points] : kValid) {
    SCOPED_TRACE(text);
    EXPECT_TRUE(IsValidUtf8(text));
    EXPECT_EQ(CountCodePoints(text), code_points);
    EXPECT_TRUE(MeasureUtf8(text).valid);
    EXPECT_EQ(MeasureUtf8(text).code_points, code_points);
  }
  // Truncated (twice), overlong (twice), a surrogate, above U+10FFFF, a stray
  // continuation byte, a byte that never starts a character.
  for (const std::string text : {"\xC3", "abc\xE2\x82", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80",
                                 "\xF4\x90\x80\x80", "\x80", "\xFF"}) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(IsValidUtf8(text));
    EXPECT_FALSE(MeasureUtf8(text).valid);
    EXPECT_EQ(MeasureUtf8(text).code_points, 0u);
  }
  EXPECT_EQ(SliceCodePoints("05·12·26", 3, 2), "12");
  EXPECT_EQ(SliceCodePoints("äöü", 1, 5), "öü");
  EXPECT_EQ(SliceCodePoints("ab", 5, 1), "");
}

// Counting and validating go word by word: characters of every length must be found
// at every position relative to an eight-byte boundary, also split across two words.
TEST(TextCodec, CountsAndValidatesAtEveryAlignment) {
  const std::string pieces[] = {"a", "ä", "€", "\xF0\x9F\x98\x80"};  // 1 to 4 bytes
  for (std::size_t lead = 0; lead < 9; ++lead) {
    for (const std::string& piece : pieces) {
      for (std::size_t repeat = 1; repeat <= 5; ++repeat) {
        std::string text(lead, 'x');
        for (std::size_t i = 0; i < repeat; ++i) text += piece + "yz";
        SCOPED_TRACE(text);
        EXPECT_EQ(CountCodePoints(text), lead + 3 * repeat);
        EXPECT_EQ(MeasureUtf8(text).code_points, lead + 3 * repeat);
        EXPECT_TRUE(IsValidUtf8(text));
        // Cut inside the last character: no longer valid when it had several bytes.
        EXPECT_EQ(IsValidUtf8(text.substr(0, text.size() - 2 - piece.size() + 1)),
                  piece.size() == 1);
      }
    }
  }
}

// Generate writes each field straight into the file: eight ASCII bytes at a time where
// it can, one character at a time around the others. Runs of every length between
// other characters must come out as the round trip of the bytes says.
TEST(TextCodec, WritesAsciiRunsOfEveryLengthBetweenOtherCharacters) {
  for (std::size_t run = 0; run <= 17; ++run) {
    for (const std::string other : {"Ä", "€", "ß", "Ÿ", "\u00A0"}) {
      const std::string utf8 = std::string(run, 'a') + other + std::string(run, 'b') + other +
                               other + std::string(run / 2, 'c');
      SCOPED_TRACE(utf8);
      const std::size_t n = CountCodePoints(utf8);
      std::string bytes(utf8.size() + 1, '#');
      char32_t bad = 0;
      ASSERT_EQ(WriteWindows1252(bytes.data(), utf8, &bad), bytes.data() + n);
      EXPECT_EQ(DecodeWindows1252(bytes.substr(0, n)), utf8);
      EXPECT_EQ(bytes.back(), '#');  // nothing written behind the text
    }
  }
}

// Every byte reads as one character and writes back as itself; the table pins the
// characters where Windows-1252 is not Latin-1, the five undefined bytes among them.
TEST(TextCodec, EveryWindows1252ByteRoundTrips) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const std::string utf8 = DecodeWindows1252(all);
  ASSERT_TRUE(IsValidUtf8(utf8));
  EXPECT_EQ(CountCodePoints(utf8), 256u);
  std::string back;
  char32_t bad = 0;
  ASSERT_TRUE(AppendWindows1252(back, utf8, &bad));
  EXPECT_EQ(back, all);
  const char* const kMapped[][2] = {
      {"€", "\x80"},      {"Ä", "\xC4"},      {"ß", "\xDF"},      {"ÿ", "\xFF"},
      {"\u0081", "\x81"}, {"\u008D", "\x8D"}, {"\u008F", "\x8F"}, {"\u0090", "\x90"},
      {"\u009D", "\x9D"}, {"Ÿ", "\x9F"},      {"…", "\x85"},      {"[\\]~", "[\\]~"},
  };
  for (const auto& [text, bytes] : kMapped) EXPECT_EQ(DecodeWindows1252(bytes), text);
}

TEST(TextCodec, ReadsCodePointsOfAnyBytes) {
  const std::string text = "a\xC3\xA4\xF0\x9F\x98\x80\xE2\x82";  // a, ä, U+1F600, truncated
  std::size_t pos = 0;
  char32_t c = 0;
  std::u32string read;
  while (ReadCodePoint(text, pos, c)) read += c;
  EXPECT_EQ(read, U"a\u00E4\U0001F600");
  EXPECT_EQ(pos, 7u);  // stops before the ill-formed tail
  EXPECT_EQ(c, U'\uFFFD');
  std::string back;
  for (char32_t r : read) AppendUtf8(back, r);
  EXPECT_EQ(back, text.substr(0, 7));
}

TEST(TextCodec, UnmappableDescribedAndBasicCharacters) {
  std::string out = "kept";
  char32_t bad = 0;
  EXPECT_FALSE(AppendWindows1252(out, "AB\u0141C\u20AD", &bad));
  EXPECT_EQ(bad, U'\u0141');  // the first one
  EXPECT_EQ(out, "kept");
  EXPECT_EQ(DescribeCharacter(U'\u0085'), "U+0085");  // a C1 control: one line per message
  for (const char32_t c : std::u32string_view(U"AZ09 .,&-/+*$%")) {
    EXPECT_TRUE(IsDtausBasicCharacter(c));
  }
  // U+012E: low byte '.'
  for (const char32_t c : {U'a', U'Ä', U'[', U'\u012E'}) EXPECT_FALSE(IsDtausBasicCharacter(c));
}

}  // namespace
}  // namespace dtaus::detail
