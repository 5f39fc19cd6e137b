#include "fields/dt_aus_field.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "fields/dtaus_error.h"
#include "fields/short_text.h"

namespace dtaus::detail {
namespace {

TEST(DtAusField, RendersPaddedNeverCut) {
  // Width, fill mode, left-aligned, value, the field in the file.
  const std::tuple<std::int16_t, std::int32_t, bool, std::string, std::string> cases[] = {
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
  for (const auto& [width, fill, left, value, expected] : cases) {
    SCOPED_TRACE(value + " width " + std::to_string(width));
    DtAusField f;
    f.FieldLength(width);
    f.FieldCharCompletion(fill);
    f.IsLeftAligned(left);
    f.FieldValue(value);
    EXPECT_EQ(f.toFileString(), expected);
    EXPECT_EQ(f.FieldValue(), value);  // rendering never changes the stored value
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

}  // namespace
}  // namespace dtaus::detail
