#include "fields/short_text.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace dtaus::detail {
namespace {

TEST(ShortText, HoldsTextsAroundTheInlineBoundary) {
  for (std::size_t n : {0u, 1u, 27u, 30u, 31u, 32u, 100u, 40000u}) {
    SCOPED_TRACE(n);
    const std::string text(n, 'x');
    ShortText t(text);
    EXPECT_EQ(t.view(), text);
    ShortText copy(t);
    ShortText moved(std::move(t));
    EXPECT_EQ(copy.view(), text);
    EXPECT_EQ(moved.view(), text);
    EXPECT_TRUE(t.empty());  // NOLINT: a moved-from text is empty
    copy = "short";
    EXPECT_EQ(copy.view(), "short");
    moved = copy;
    EXPECT_EQ(moved.view(), "short");
  }
}

TEST(ShortText, AssignsFromItsOwnStorage) {
  ShortText t(std::string(50, 'a') + "tail");
  t = t.view().substr(50);  // heap to inline, source inside the block being freed
  EXPECT_EQ(t.view(), "tail");
  t = std::string(40, 'b');
  t = t.view().substr(1);  // heap to heap
  EXPECT_EQ(t.view(), std::string(39, 'b'));
  ShortText& self = t;
  t = self;
  EXPECT_EQ(t.view(), std::string(39, 'b'));
}

// Inline texts are copied in overlapping pieces whose size depends on the length: every
// length, from outside and from the text's own storage, must come out byte for byte.
TEST(ShortText, CopiesEveryInlineLengthExactly) {
  const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdef";
  for (std::size_t n = 0; n <= ShortText::kInlineCapacity; ++n) {
    SCOPED_TRACE(n);
    ShortText t("previous text, longer than most");
    t = std::string_view(alphabet).substr(0, n);
    ASSERT_EQ(t.view(), alphabet.substr(0, n));
    if (n == 0) continue;
    t = t.view().substr(1);  // the source starts one byte behind the target
    EXPECT_EQ(t.view(), alphabet.substr(1, n - 1));
    ShortText u(std::string_view(alphabet).substr(0, n));
    t = u;
    EXPECT_EQ(t.view(), alphabet.substr(0, n));
  }
}

// Records pad every field by its character count, which ShortText knows without
// counting for ASCII text: the count must follow every kind of assignment.
TEST(ShortText, CountsCharactersNotBytes) {
  const struct {
    std::string text;
    std::size_t chars;
  } cases[] = {
      {"", 0},
      {"ERIKA MUSTERMANN", 16},
      {"MÜLLER", 6},
      {"ÄÖÜäöüß€", 8},
      {std::string(31, 'x'), 31},
      {std::string(30, 'x') + "ä", 31},  // 32 bytes: on the heap
      {std::string(60, 'y'), 60},
  };
  ShortText reused("Ä");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const ShortText t(c.text);
    EXPECT_EQ(t.CharCount(), c.chars);
    reused = c.text;  // from whatever the previous case left
    EXPECT_EQ(reused.CharCount(), c.chars);
    ShortText copy(reused);
    ShortText moved(std::move(copy));
    EXPECT_EQ(moved.CharCount(), c.chars);
  }
}

}  // namespace
}  // namespace dtaus::detail
