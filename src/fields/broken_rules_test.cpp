#include "fields/broken_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dtaus::detail {
namespace {

std::vector<std::int16_t> Ids(const BrokenRules& rules) {
  std::vector<std::int16_t> ids;
  for (const auto& e : rules.getRules()) ids.push_back(e.id);
  return ids;
}

struct RecordingListener : BrokenRules::Listener {
  std::vector<std::string> events;
  void BrokenRule(std::string_view message) override {
    // Appended rather than "+" + std::string(message): GCC 12 at -O3 reports a false
    // -Wrestrict for the latter (GCC bug 105329).
    events.push_back(std::string("+").append(message));
  }
  void NoBrokenRules() override { events.push_back("empty"); }
};

// The report lists the rules in the order in which they were broken. The first rule
// goes in by the inline way, the others by the general one.
TEST(BrokenRules, ReportKeepsTheOrderOfBreaking) {
  BrokenRules rules;
  EXPECT_EQ(rules.Report("Footer errors:", ""), "Footer errors:\r\r");
  rules.RuleBroken(1020, true);  // an omitted message counts like any other
  EXPECT_TRUE(rules.IsBroken(1020));
  rules.RuleBroken(1000, true, "x");
  rules.RuleBroken(1010, true, "y");
  rules.RuleBroken(1000, true, "again");  // broken already: first message, first place
  EXPECT_EQ(rules.Report("H:", " - "), "H:\r\r - \r - x\r - y\r");
  rules.RuleBroken(1000, false);
  rules.RuleBroken(1000, true, "x2");  // broken again after clearing: to the end
  EXPECT_EQ(rules.Count(), 3);
  EXPECT_EQ(rules.Report("Optional Fields Errors:", ""), "Optional Fields Errors:\r\r\ry\rx2\r");
}

TEST(BrokenRules, EventsFireOnlyOnRealChanges) {
  BrokenRules rules;
  RecordingListener listener;
  rules.set_listener(&listener);
  rules.RuleBroken(1, false);  // clearing on an empty tracker: nothing
  rules.RuleBroken(1, true, "a");
  rules.RuleBroken(1, true, "again");  // already broken: nothing
  rules.RuleBroken(2, true);           // omitted message counts like any other
  rules.RuleBroken(3, false);          // never broken: nothing
  rules.RuleBroken(1, false);
  rules.RuleBroken(2, false);  // the last one: NoBrokenRules once
  EXPECT_EQ(listener.events, (std::vector<std::string>{"+a", "+", "empty"}));
  EXPECT_EQ(rules.Count(), 0);
}

// Four rules are held inside the tracker and more on the heap: the order must survive every
// move between the two, in both directions.
TEST(BrokenRules, KeepsOrderWhileGrowingAndShrinking) {
  BrokenRules rules;
  const RuleText texts[] = {"r0", "r1", "r2", "r3", "r4", "r5", "r6", "r7", "r8"};
  std::vector<std::int16_t> expected;
  for (std::int16_t id = 0; id < 9; ++id) {
    rules.RuleBroken(id, true, texts[id]);
    expected.push_back(id);
    ASSERT_EQ(Ids(rules), expected);
  }
  for (const std::int16_t id : {4, 0, 8, 2, 6, 1, 3, 7}) {
    rules.RuleBroken(id, false);
    std::erase(expected, id);
    ASSERT_EQ(Ids(rules), expected);
  }
  EXPECT_EQ(rules.Report("H:", ""), "H:\r\rr5\r");
  rules.RuleBroken(1, true, "again");
  rules.RuleBroken(0, true, "first");
  EXPECT_EQ(rules.Report("H:", ""), "H:\r\rr5\ragain\rfirst\r");
  for (const std::int16_t id : {5, 1, 0}) rules.RuleBroken(id, false);
  EXPECT_EQ(rules.Count(), 0);
  EXPECT_EQ(rules.Report("H:", ""), "H:\r\r");
}

TEST(BrokenRules, CopiesAreIndependent) {
  for (int n = 0; n <= 5; ++n) {
    SCOPED_TRACE(n);
    BrokenRules original;
    for (std::int16_t id = 0; id < n; ++id) original.RuleBroken(id, true, "m");
    BrokenRules copy(original);
    BrokenRules assigned;
    assigned.RuleBroken(99, true, "old");
    assigned.RuleBroken(98, true, "old");
    assigned = original;
    original.RuleBroken(50, true, "new");
    original.RuleBroken(0, false);
    EXPECT_EQ(copy.Count(), n);
    EXPECT_EQ(assigned.Count(), n);
    EXPECT_EQ(Ids(copy), Ids(assigned));
    EXPECT_FALSE(copy.IsBroken(50));
    EXPECT_FALSE(assigned.IsBroken(99));
    EXPECT_EQ(copy.IsBroken(0), n > 0);
  }
}

}  // namespace
}  // namespace dtaus::detail
