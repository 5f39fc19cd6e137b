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

// A valid part streams its code and its text padded to 27 characters; a rejected value
// or type leaves the previous one in place.
TEST(OptField, StreamsAcceptedValuesAndKeepsThemWhenRejecting) {
  OptField part;
  part.FieldType(1);
  part.FieldValue("Straße");  // padded by characters, not bytes
  EXPECT_EQ(part.getFieldAsStream(), "02Straße" + std::string(21, ' '));
  part.FieldValue(std::string(27, 'Z'));
  EXPECT_EQ(part.getFieldAsStream(), "02" + std::string(27, 'Z'));
  EXPECT_EQ(part.OptionalFieldErrors(), "Optional Fields Errors:\r\r");
  part.FieldValue(std::string(28, 'x'));
  EXPECT_FALSE(part.OptionalFieldValid());
  EXPECT_EQ(part.text(), std::string(27, 'Z'));
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
  EXPECT_EQ(part.getFieldAsStream(), "01NEU" + std::string(24, ' '));
  part.FieldValue("\xC3");  // not UTF-8: an unexpected failure, nothing stored
  EXPECT_EQ(part.OptionalFieldErrors(),
            "Optional Fields Errors:\r\rUnexpected Error setting <Field Value>\r");
  EXPECT_EQ(part.text(), "NEU");
}

}  // namespace
}  // namespace dtaus::detail
