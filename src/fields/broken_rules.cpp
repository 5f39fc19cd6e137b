#include "fields/broken_rules.h"

#include <algorithm>

namespace dtaus::detail {

void BrokenRules::Update(std::int16_t id, bool is_broken, RuleText rule) {
  auto it = std::find_if(entries_.begin(), entries_.end(),
                         [id](const Entry& e) { return e.id == id; });
  if (is_broken) {
    if (it != entries_.end()) return;
    if (entries_.capacity() == 0) entries_.reserve(4);  // one block for the usual few rules
    entries_.push_back({id, rule.view()});
    if (listener_) listener_->BrokenRule(rule.view());
    return;
  }
  if (it == entries_.end()) return;
  entries_.erase(it);
  if (entries_.empty()) {
    // A valid record keeps no heap block for its tracker: a full file has 16 trackers
    // per payment and 32,767 payments.
    std::vector<Entry>().swap(entries_);
    if (listener_) listener_->NoBrokenRules();
  }
}

bool BrokenRules::IsBroken(std::int16_t id) const {
  return std::any_of(entries_.begin(), entries_.end(),
                     [id](const Entry& e) { return e.id == id; });
}

std::string BrokenRules::Report(std::string_view heading, std::string_view prefix) const {
  std::string report(heading);
  report += "\r\r";
  for (const Entry& e : entries_) {
    report += prefix;
    report += e.message;
    report += '\r';
  }
  return report;
}

}  // namespace dtaus::detail
