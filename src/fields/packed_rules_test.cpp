#include "fields/packed_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace dtaus::detail {
namespace {

// The tracker as text: the broken rules in order, "" when none.
std::string Order(const PackedRules& rules) {
  std::string order;
  rules.ForEach([&order](unsigned rule) { order += static_cast<char>('0' + rule); });
  return order;
}

// Each script is a list of steps, "+n" breaking rule n and "-n" clearing it; the
// tracker must end in the given order, as BrokenRules would.
TEST(PackedRules, KeepsTheOrderOfBreaking) {
  const char* const cases[][2] = {
      {"", ""},
      {"+0+3", "03"},
      {"+3+0+3", "30"},                      // broken again: first place kept
      {"+0+1+2-1+1", "021"},                 // cleared and broken again: to the end
      {"-5+5-5", ""},                        // clearing what is not broken changes nothing
      {"+7+6+5+4+3+2+1+0", "76543210"},      // every rule at once: all eight nibbles
      {"+7+6+5+4+3+2+1+0-7", "6543210"},     // clearing the first moves the top nibble
      {"+7+6+5+4+3+2+1+0-0+0", "76543210"},  // the last nibble freed and used again
      {"+0+1+2+3+4+5+6+7-3-0-7", "12456"},
  };
  for (const auto& [script, expected] : cases) {
    SCOPED_TRACE(script);
    PackedRules rules;
    for (const char* step = script; *step != '\0'; step += 2) {
      const auto rule = static_cast<unsigned>(step[1] - '0');
      step[0] == '+' ? rules.Break(rule) : rules.Clear(rule);
    }
    const std::string order = expected;
    EXPECT_EQ(Order(rules), order);
    EXPECT_EQ(rules.Count(), order.size());
    EXPECT_EQ(rules.empty(), order.empty());
    for (unsigned rule = 0; rule < PackedRules::kMaxRules; ++rule) {
      EXPECT_EQ(rules.IsBroken(rule), order.find(static_cast<char>('0' + rule)) != order.npos);
    }
  }
}

}  // namespace
}  // namespace dtaus::detail
