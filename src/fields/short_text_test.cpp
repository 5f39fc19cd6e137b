#include "fields/short_text.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace dtaus::detail {
namespace {

// Up to 31 bytes are held inline, longer texts on the heap. Records pad every field by
// its character count, which ShortText knows without counting for ASCII text: text and
// count must follow every kind of copy, move and assignment.
TEST(ShortText, HoldsTextsAroundTheInlineBoundary) {
  const std::pair<std::string, std::size_t> cases[] = {
      {"", 0},
      {"ERIKA MUSTERMANN", 16},
      {"MÜLLER", 6},
      {"ÄÖÜäöüß€", 8},
      {std::string(27, 'x'), 27},
      {std::string(31, 'x'), 31},
      {std::string(30, 'x') + "ä", 31},  // 32 bytes: on the heap
      {std::string(32, 'x'), 32},
      {std::string(100, 'x'), 100},
      {std::string(40000, 'x'), 40000},
  };
  ShortText reused("Ä");
  for (const auto& [text, chars] : cases) {
    SCOPED_TRACE(text.size());
    ShortText t(text);
    reused = text;  // from whatever the previous case left
    ShortText copy(reused);
    ShortText moved(std::move(t));
    EXPECT_TRUE(t.empty());  // NOLINT: a moved-from text is empty
    for (const ShortText* held : {&reused, &copy, &moved}) {
      EXPECT_EQ(held->view(), text);
      EXPECT_EQ(held->CharCount(), chars);
    }
    copy = "short";
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

}  // namespace
}  // namespace dtaus::detail
