#include "fields/dt_aus_field.h"

#include <gtest/gtest.h>

#include <string>

#include "fields/dtaus_error.h"
#include "fields/short_text.h"

namespace dtaus::detail {
namespace {

struct RenderCase {
  std::int16_t width;
  std::int32_t fill;
  bool left;
  std::string value;
  std::string expected;
};

TEST(DtAusField, RendersPaddedNeverCut) {
  const RenderCase cases[] = {
      {7, kFillZero, false, "123", "0000123"},
      {6, kFillBlank, true, "MAX", "MAX   "},
      {13, kFillZero, false, "", std::string(13, '0')},
      {51, kFillBlank, false, "", std::string(51, ' ')},
      {1, kFillBlank, false, "E", "E"},
      {4, kFillZero, false, "ABCDEFG", "ABCDEFG"},
      {0, kFillBlank, false, "abc", "abc"},
      {0, kFillBlank, false, "", ""},
      {4, kFillZero, true, "12", "1200"},
      {-3, kFillZero, false, "12", "12"},
      {5, kFillBlank, true, "ÄÖü", "ÄÖü  "},  // characters, not bytes
      {2, 2, false, "12", "12"},              // no fill needed: mode not consulted
  };
  for (const RenderCase& c : cases) {
    SCOPED_TRACE(c.value + " width " + std::to_string(c.width));
    DtAusField f;
    f.FieldLength(c.width);
    f.FieldCharCompletion(c.fill);
    f.IsLeftAligned(c.left);
    f.FieldValue(c.value);
    EXPECT_EQ(f.toFileString(), c.expected);
    EXPECT_EQ(f.FieldValue(), c.value);  // rendering never changes the stored value
  }
}

TEST(DtAusField, UnknownFillModeOrHugeValueFailsWithRenderError) {
  DtAusField f;
  EXPECT_EQ(f.toFileString(), "");
  f.FieldLength(5);
  f.FieldValue("12");
  EXPECT_EQ(f.toFileString(), "   12");  // by default right-aligned and filled with blanks
  f.FieldCharCompletion(2);
  try {
    (void)f.toFileString();
    FAIL() << "expected a render error";
  } catch (const DtausError& e) {
    EXPECT_EQ(static_cast<std::uint32_t>(e.code()), 0x80040384u);
  }
  f.FieldCharCompletion(kFillBlank);
  f.FieldValue(std::string(32768, 'x'));
  EXPECT_THROW((void)f.toFileString(), DtausError);
  f.FieldValue(std::string(32767, 'x'));
  EXPECT_EQ(f.toFileString().size(), 32767u);
}

// The file writer stores whole words and leaves whatever it likes behind the field; the
// field itself must be exact, for every kind of value, and nothing may land beyond the
// slack it was given.
TEST(DtAusField, FileFieldIsExactWithinItsSlack) {
  const RenderCase cases[] = {
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
  for (const RenderCase& c : cases) {
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
