#include "fields/number_punctuation.h"

#include <gtest/gtest.h>

#include <climits>
#include <locale>
#include <string>

namespace dtaus::detail {
namespace {

struct IndianPunct : std::numpunct<char> {
  char do_decimal_point() const override { return '.'; }
  char do_thousands_sep() const override { return ','; }
  std::string do_grouping() const override { return "\3\2"; }
};

NumberPunctuation German() { return {",", ".", "\3"}; }

// The global locale is read at each call, not once; an installed reader takes its place
// until it is removed again.
TEST(NumberPunctuation, FollowsTheGlobalLocaleUnlessOneIsInstalled) {
  const auto same = [](const NumberPunctuation& a, const NumberPunctuation& b) {
    return a.decimal_point == b.decimal_point && a.thousands_sep == b.thousands_sep &&
           a.grouping == b.grouping;
  };
  const std::locale previous = std::locale::global(std::locale::classic());
  EXPECT_TRUE(same(CurrentNumberPunctuation(), {".", ",", ""}));
  std::locale::global(std::locale(std::locale::classic(), new IndianPunct));
  EXPECT_TRUE(same(CurrentNumberPunctuation(), {".", ",", "\3\2"}));
  EXPECT_EQ(SetNumberPunctuation(&German), nullptr);
  EXPECT_TRUE(same(CurrentNumberPunctuation(), German()));
  EXPECT_EQ(SetNumberPunctuation(nullptr), &German);
  EXPECT_TRUE(same(CurrentNumberPunctuation(), {".", ",", "\3\2"}));
  std::locale::global(previous);
}

TEST(NumberPunctuation, GroupingFromWindows) {
  const std::string none(1, CHAR_MAX);
  const std::pair<const char*, std::string> cases[] = {
      {"3;0", "\3"}, {"3;2;0", "\3\2"}, {"3", "\3" + none}, {"3;2", "\3\2" + none},
      {"0", none},   {"0;0", none},     {"", none},         {"3;", none},
      {"a;0", none}, {"3;0;2", "\3"},   {"12;0", "\14"},    {"123;0", none},
  };
  for (const auto& [windows, grouping] : cases) {
    SCOPED_TRACE(windows);
    EXPECT_EQ(GroupingFromWindows(windows), grouping);
  }
}

}  // namespace
}  // namespace dtaus::detail
