// PropertyRules: the checks of one text property of a record, and its assignment.
//
// Most properties of the header and the payment are assigned the same way: the rules
// that described the property's earlier state are cleared, the text is checked for its
// length and, for numeric DTAUS fields, for digits, and only a text that passes every
// check is stored. Each check that fails breaks its own rule; an unexpected failure
// (including text that is not UTF-8) breaks the property's "Sonstiger Fehler" rule.
//
//   constexpr PropertyRules kKonto{...};
//   AssignProperty(rules, kKonto, "1234567", stored_konto);
#ifndef DTAUS_RECORDS_PROPERTY_RULES_H_
#define DTAUS_RECORDS_PROPERTY_RULES_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fields/broken_rules.h"
#include "fields/short_text.h"

namespace dtaus::detail {

struct PropertyRules {
  struct Rule {
    std::int16_t id = 0;  // 0: the property has no such rule
    RuleText message;
  };

  Rule missing;  // cleared by every assignment
  Rule failure;  // cleared by every assignment, broken by an unexpected failure
  Rule length;   // broken when the length is outside [min_length, max_length]
  Rule invalid;  // broken when a numeric field holds anything but digits
  std::size_t min_length = 0;
  std::size_t max_length = 0;
  bool digits = false;
};

// Checks `value` against `rules`, records the outcome in `tracker` and stores `value` in
// `target` when it passes. Every failure inside becomes the failure rule.
void AssignProperty(BrokenRules& tracker, const PropertyRules& rules, std::string_view value,
                    ShortText& target);

}  // namespace dtaus::detail

#endif  // DTAUS_RECORDS_PROPERTY_RULES_H_
