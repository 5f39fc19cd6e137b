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

}  // namespace
}  // namespace dtaus::detail
