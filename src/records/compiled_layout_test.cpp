#include "records/compiled_layout.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "fields/dtaus_error.h"
#include "fields/text_codec.h"

namespace dtaus::detail {
namespace {

// Own and shared slots alternate with constants, so that runs are merged and broken.
constexpr FieldSpec kLayout[] = {
    {"X1 own number", 4, false, kFillZero, 0, {}},
    {"X2 constant", 1, false, kFillBlank, FieldSpec::kConstant, "C"},
    {"X3 shared code", 8, false, kFillBlank, 1, {}},
    {"X4 constant zeros", 5, false, kFillZero, FieldSpec::kConstant, {}},
    {"X5 own text", 27, true, kFillBlank, 2, {}},
    {"X6 constant blanks", 3, false, kFillBlank, FieldSpec::kConstant, {}},
    {"X7 shared text", 27, true, kFillBlank, 3, {}},
    {"X8 own account", 10, false, kFillZero, 4, {}},
};
constexpr std::uint64_t kOwn = SlotBit(0) | SlotBit(2) | SlotBit(4);

using Values = std::array<ShortText, 5>;

// What the records render, encoded afterwards: what the compiled layout must write.
std::string Reference(const Values& values) {
  std::string utf8;
  AppendLayout(utf8, kLayout, values);
  std::string bytes;
  char32_t bad = 0;
  EXPECT_TRUE(AppendWindows1252(bytes, utf8, &bad));
  return bytes;
}

// Characters the code page lacks are reported from a shared field when compiling and
// from an own field when writing.
TEST(CompiledLayout, WritesWhatTheLayoutRendersEncoded) {
  Values values = {ShortText(), ShortText("12345678"), ShortText(), ShortText("SNOWMAN \u2603"),
                   ShortText()};
  CompiledLayout layout;
  char32_t bad = 0;
  EXPECT_FALSE(layout.Compile(kLayout, values, kOwn, &bad));
  EXPECT_EQ(bad, U'\u2603');
  values[3] = "MÜLLER & SÖHNE GMBH";
  ASSERT_TRUE(layout.Compile(kLayout, values, kOwn, &bad));
  const std::array<std::array<const char*, 3>, 4> own_values = {{
      {"0187", "ERIKA MUSTERMANN", "1234567"},
      {"0622", "", "1234567890"},
      {"", "ÄÖÜäöüß ÄÖÜäöüß ÄÖÜäöüß ÄÖÜ", ""},
      {"1", "GEB. SCHÄFER", "1"},
  }};
  char buffer[TotalWidth(kLayout) + kWordSlack];
  for (const auto& own : own_values) {
    SCOPED_TRACE(own[1]);
    values[0] = own[0];
    values[2] = own[1];
    values[4] = own[2];
    const char* const end = layout.Write(buffer, values, &bad);
    ASSERT_NE(end, nullptr);
    EXPECT_EQ(std::string_view(buffer, static_cast<std::size_t>(end - buffer)), Reference(values));
  }
  values[2] = "EURO € AND \u0141";
  EXPECT_EQ(layout.Write(buffer, values, &bad), nullptr);
  EXPECT_EQ(bad, U'\u0141');
  values[2] = std::string(28, 'X');  // one character too many for its field
  EXPECT_THROW(layout.Write(buffer, values, &bad), DtausError);
}

// The file writer stores whole words and leaves whatever it likes behind the field; the
// field itself must be exact, for every kind of value, and nothing may land beyond the
// slack it was given.
TEST(CompiledLayout, FileFieldIsExactWithinItsSlack) {
  struct Case {
    std::int16_t width;
    std::int32_t fill;
    bool left;
    std::string value;
    std::string expected;
  };
  const Case cases[] = {
      {10, kFillZero, false, "12345", "0000012345"},
      {10, kFillZero, false, "1234567890", "1234567890"},
      {8, kFillBlank, false, "", "        "},
      {27, kFillBlank, true, "ERIKA MUSTERMANN", "ERIKA MUSTERMANN           "},
      {27, kFillBlank, true, "MÜLLER, JÜRGEN", "M\xDCLLER, J\xDCRGEN             "},
      {27, kFillBlank, true, "ÄÖÜäöüß€ÄÖÜäöüß€ÄÖÜäöüß€ÄÖÜ",
       "\xC4\xD6\xDC\xE4\xF6\xFC\xDF\x80\xC4\xD6\xDC\xE4\xF6\xFC\xDF\x80\xC4\xD6\xDC\xE4\xF6\xFC"
       "\xDF\x80\xC4\xD6\xDC"},
      {5, kFillZero, false, "ß", "0000\xDF"},  // right-aligned with an umlaut: the careful way
      {40, kFillBlank, true, "WIDER THAN A WORD", "WIDER THAN A WORD" + std::string(23, ' ')},
      {2, kFillBlank, false, "15", "15"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    ShortText value(c.value);
    std::string buffer(static_cast<std::size_t>(c.width) + kWordSlack + 8, '#');
    char32_t bad = 0;
    const char* end = WriteFileField(buffer.data(), value, c.width, c.left, c.fill, &bad);
    ASSERT_NE(end, nullptr);
    ASSERT_EQ(end - buffer.data(), c.width);
    EXPECT_EQ(buffer.substr(0, static_cast<std::size_t>(c.width)), c.expected);
    EXPECT_EQ(buffer.substr(buffer.size() - 8), "########");
  }
  char buffer[64];
  char32_t bad = 0;
  // A value longer than its field would shift the rest of the record: refused.
  EXPECT_THROW(WriteFileField(buffer, ShortText("12345678901"), 10, false, kFillZero, &bad),
               DtausError);
  EXPECT_THROW(WriteFileField(buffer, ShortText("ÄÄÄ"), 2, true, kFillBlank, &bad), DtausError);
}

}  // namespace
}  // namespace dtaus::detail
