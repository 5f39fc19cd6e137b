#include "records/footer.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "records/record_geometry.h"
#include "records/record_layout.h"

namespace dtaus::detail {
namespace {

using record_e::kBlz;
using record_e::kEuro;
using record_e::kItems;
using record_e::kKonto;
using record_e::kSatzlaenge;

constexpr std::int16_t kSatzlaengeMissing = 1000;

}  // namespace

struct Footer::SumRules {
  std::int16_t missing;
  std::int16_t invalid;
  std::int16_t too_long;
  std::int16_t failure;
  RuleText invalid_text;
  RuleText too_long_text;
  RuleText failure_text;
  std::size_t width;
};

namespace {

constexpr Footer::SumRules kItemsRules{
    1010, 1011, 1012, 1013,
    "Invalid Value for <Total Datensatz Items>",
    "<Total Datensatz Items> Field's Length exceeds the limit(7 chars).",
    "Unexpected Error, setting <Total Datensatz Items>", 7};
constexpr Footer::SumRules kKontoRules{
    1020, 1021, 1022, 1023,
    "Invalid Value for <TotalPasivKonto>",
    "<TotalPasivKonto> Field's Length exceeds the limit(17 chars).",
    "Unexpected Error, setting <TotalPasivKonto>", 17};
constexpr Footer::SumRules kBlzRules{
    1030, 1031, 1032, 1033,
    "Invalid Value for <TotalPasivBLZ>",
    "<TotalPasivBLZ> Field's Length exceeds the limit(17 chars).",
    "Unexpected Error, setting <TotalPasivBLZ>", 17};
constexpr Footer::SumRules kEuroRules{
    1040, 1041, 1042, 1043,
    "Invalid Value for <TotalEuro>",
    "<TotalEuro> Field's Length exceeds the limit(13 chars).",
    "Unexpected Error, setting <TotalEuro>", 13};

}  // namespace

Footer::Footer() {
  errors_.RuleBroken(kSatzlaengeMissing, true, "<Satzlaenge> not set");
  errors_.RuleBroken(kItemsRules.missing, true, "<Total Datensatz Items> not set");
  errors_.RuleBroken(kKontoRules.missing, true, "<TotalPasivKonto> not set");
  errors_.RuleBroken(kBlzRules.missing, true, "<TotalPasivBLZ> not set");
  errors_.RuleBroken(kEuroRules.missing, true, "<TotalEuro> not set");
}

void Footer::setSatzlaenge(std::string_view length) {
  errors_.RuleBroken(kSatzlaengeMissing, false);
  values_[kSatzlaenge] = length;
}

void Footer::setTotalDatensatzItems(double count) {
  // The count is taken as a 32-bit integer first, rounding as the automation
  // conversion does; beyond that range the conversion itself fails.
  double whole = std::nearbyint(count);
  if (std::isfinite(whole) && (whole < std::numeric_limits<std::int32_t>::min() ||
                               whole > std::numeric_limits<std::int32_t>::max())) {
    whole = std::numeric_limits<double>::infinity();
  }
  SetSum(kItems, kItemsRules, whole);
}

void Footer::setTotalPasivKonto(double sum) { SetSum(kKonto, kKontoRules, sum); }
void Footer::setTotalPasivBLZ(double sum) { SetSum(kBlz, kBlzRules, sum); }
void Footer::setTotalEuro(double sum) { SetSum(kEuro, kEuroRules, sum); }

void Footer::SetSum(record_e::Slot slot, const SumRules& rules, double sum) {
  errors_.RuleBroken(rules.missing, false);
  errors_.RuleBroken(rules.failure, false);
  if (std::isnan(sum)) {
    errors_.RuleBroken(rules.invalid, true, rules.invalid_text);
    return;
  }
  if (std::isinf(sum)) {
    errors_.RuleBroken(rules.failure, true, rules.failure_text);
    return;
  }
  // Plain decimal notation, never an exponent: 1e16 is written with all its digits.
  char text[400];
  const auto [end, ec] = std::to_chars(text, text + sizeof text, sum, std::chars_format::fixed);
  if (ec != std::errc()) {
    errors_.RuleBroken(rules.failure, true, rules.failure_text);
    return;
  }
  const std::string_view digits(text, static_cast<std::size_t>(end - text));
  if (digits.size() > rules.width) {
    errors_.RuleBroken(rules.too_long, true, rules.too_long_text);
    return;
  }
  values_[slot] = digits;
  errors_.RuleBroken(rules.invalid, false);
  errors_.RuleBroken(rules.too_long, false);
}

std::string Footer::FooterErrors() const { return errors_.Report("Footer errors:", ""); }

std::string Footer::getFooterAsStream() const {
  if (!FooterIsValid()) return "ERROR: Footer contains invalis fields";
  try {
    std::string record;
    record.reserve(kKassetteRecordSize);
    AppendLayout(record, record_e::kLayout, values_);
    if (values_[kSatzlaenge] == "0256") record.append(kBlockSize, ' ');
    return record;
  } catch (...) {
    return "ERROR: Unexpected error streaming the Footer.";
  }
}

}  // namespace dtaus::detail

