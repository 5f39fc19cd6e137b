#include "records/opt_fields.h"

#include <gtest/gtest.h>

#include <array>

#include "fields/dtaus_error.h"

namespace dtaus::detail {
namespace {

TEST(OptFields, KeysCountUpAndAreNeverReused) {
  std::array<OptField, 3> parts;
  OptFields c;
  c.Add(parts[0]);
  c.Add(parts[1]);
  EXPECT_EQ(&c.Item("1"), &parts[0]);
  EXPECT_EQ(&c.Item("2"), &parts[1]);
  c.Delete("1");
  c.Add(parts[2]);
  EXPECT_EQ(c.Count(), 2);
  EXPECT_EQ(&c.Item("3"), &parts[2]);
  EXPECT_EQ(&c.Item(1), &parts[1]);
  EXPECT_THROW(c.Item("1"), DtausError);
  EXPECT_THROW(c.Item("03"), DtausError);
  EXPECT_THROW(c.Item(3), DtausError);
  EXPECT_THROW(c.Delete(0), DtausError);
  c.Delete(1);
  EXPECT_EQ(&c.Item(1), &parts[2]);
}

TEST(OptFields, SixteenthPartIsRefusedAndNothingChanges) {
  std::array<OptField, 16> parts;
  OptFields c;
  for (int i = 0; i < 15; ++i) c.Add(parts[static_cast<std::size_t>(i)]);
  try {
    c.Add(parts[15]);
    FAIL() << "accepted a 16th part";
  } catch (const DtausError& e) {
    EXPECT_EQ(static_cast<std::uint32_t>(e.code()), 0x800402D1u);
    EXPECT_STREQ(e.what(), "Only maximum 15 Additional Fields are supported.");
  }
  EXPECT_EQ(c.Count(), 15);
  ASSERT_EQ(c.end() - c.begin(), 15);
  for (std::size_t i = 0; i < 15; ++i) EXPECT_EQ(c.begin()[i], &parts[i]);
  c.Delete(15);
  c.Add(parts[15]);
  EXPECT_EQ(&c.Item("16"), &parts[15]);  // the refused Add took no key
}

}  // namespace
}  // namespace dtaus::detail
