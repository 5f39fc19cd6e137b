#include "records/property_rules.h"

#include "fields/text_codec.h"
#include "fields/value_checks.h"

namespace dtaus::detail {

void AssignProperty(BrokenRules& tracker, const PropertyRules& rules, std::string_view value,
                    ShortText& target) {
  auto clear = [&tracker](const PropertyRules::Rule& r) {
    if (r.id != 0) tracker.RuleBroken(r.id, false);
  };
  auto fail = [&tracker](const PropertyRules::Rule& r) {
    tracker.RuleBroken(r.id, true, r.message);
  };
  clear(rules.missing);
  clear(rules.failure);
  try {
    const Utf8Length measured = MeasureUtf8(value);
    if (!measured.valid) return fail(rules.failure);
    const std::size_t length = measured.code_points;
    if (length < rules.min_length || length > rules.max_length) return fail(rules.length);
    clear(rules.length);
    if (rules.digits && !IsDigitNumber(value)) return fail(rules.invalid);
    target = value;
    clear(rules.invalid);
  } catch (...) {
    fail(rules.failure);
  }
}

}  // namespace dtaus::detail
