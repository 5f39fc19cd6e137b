#include "records/opt_field.h"

#include <gtest/gtest.h>

#include <string>

namespace dtaus::detail {
namespace {

TEST(OptField, NewPartIsInvalidWithBothRules) {
  OptField part;
  EXPECT_FALSE(part.OptionalFieldValid());
  EXPECT_EQ(part.getFieldAsStream(), "ERROR: Optional Field Invalid");
  EXPECT_EQ(part.getFieldAsStream().size(), 29u);
  EXPECT_EQ(part.OptionalFieldErrors(),
            "Optional Fields Errors:\r\r<Field Type> not set\r<Field Value> not set\r");
  part.FieldType(1);
  EXPECT_FALSE(part.OptionalFieldValid());
  EXPECT_EQ(part.OptionalFieldErrors(), "Optional Fields Errors:\r\r<Field Value> not set\r");
}

// A payment creates its parts with their type at once; they must be indistinguishable
// from parts created empty and given the type afterwards, also for a type out of range.
TEST(OptField, TypedPartEqualsPartGivenItsTypeLater) {
  for (std::int32_t type = -1; type <= 3; ++type) {
    SCOPED_TRACE(type);
    OptField typed(type);
    OptField later;
    later.FieldType(type);
    EXPECT_EQ(typed.OptionalFieldErrors(), later.OptionalFieldErrors());
    EXPECT_EQ(typed.OptionalFieldValid(), later.OptionalFieldValid());
    EXPECT_EQ(typed.code(), later.code());
    typed.FieldValue("TEXT");
    later.FieldValue("TEXT");
    EXPECT_EQ(typed.OptionalFieldErrors(), later.OptionalFieldErrors());
    EXPECT_EQ(typed.getFieldAsStream(), later.getFieldAsStream());
  }
}

TEST(OptField, StreamsCodeAndTextPaddedTo27) {
  const struct {
    std::int32_t type;
    std::string text;
    std::string stream;
  } cases[] = {
      {0, "", "01" + std::string(27, ' ')},
      {1, "ABCDEFGHIJK", "02ABCDEFGHIJK" + std::string(16, ' ')},
      {2, std::string(27, 'Z'), "03" + std::string(27, 'Z')},
      {1, "Straße", "02Straße" + std::string(21, ' ')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    OptField part;
    part.FieldType(c.type);
    part.FieldValue(c.text);
    EXPECT_TRUE(part.OptionalFieldValid());
    EXPECT_EQ(part.getFieldAsStream(), c.stream);
    EXPECT_EQ(part.OptionalFieldErrors(), "Optional Fields Errors:\r\r");
  }
}

TEST(OptField, RejectedValuesKeepThePreviousOnes) {
  OptField part;
  part.FieldType(1);
  part.FieldValue("ALT");
  part.FieldValue(std::string(28, 'x'));
  EXPECT_FALSE(part.OptionalFieldValid());
  EXPECT_EQ(part.text(), "ALT");
  EXPECT_EQ(part.OptionalFieldErrors(),
            "Optional Fields Errors:\r\rOptional Field's Length exceeds the limit(27 chars).\r");
  part.FieldValue("NEU");
  EXPECT_TRUE(part.OptionalFieldValid());

  for (std::int32_t bad : {3, -1}) {
    part.FieldType(bad);
    EXPECT_EQ(part.code(), "02");
    EXPECT_EQ(part.OptionalFieldErrors(),
              "Optional Fields Errors:\r\rInvalid Value for an Optional Field Type\r");
  }
  part.FieldType(0);
  EXPECT_TRUE(part.OptionalFieldValid());
  EXPECT_EQ(part.code(), "01");

  part.FieldValue("\xC3");  // not UTF-8: an unexpected failure, nothing stored
  EXPECT_EQ(part.OptionalFieldErrors(),
            "Optional Fields Errors:\r\rUnexpected Error setting <Field Value>\r");
  EXPECT_EQ(part.text(), "NEU");
}

}  // namespace
}  // namespace dtaus::detail
