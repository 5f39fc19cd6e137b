#include "fields/broken_rules.h"

#include <algorithm>

namespace dtaus::detail {

BrokenRules::BrokenRules(const BrokenRules& other) : listener_(other.listener_) {
  if (other.count_ > kInlineRules) {
    heap_ = new Entry[other.count_];
    capacity_ = other.count_;
  }
  std::copy(other.data(), other.data() + other.count_, data());
  count_ = other.count_;
}

BrokenRules& BrokenRules::operator=(const BrokenRules& other) {
  if (this == &other) return *this;
  BrokenRules copy(other);
  Release();
  // Take over the copy's storage and leave it inline and empty.
  if (copy.OnHeap()) {
    heap_ = copy.heap_;
  } else {
    std::copy(copy.inline_, copy.inline_ + kInlineRules, inline_);
  }
  count_ = copy.count_;
  capacity_ = copy.capacity_;
  listener_ = copy.listener_;
  copy.count_ = 0;
  copy.capacity_ = kInlineRules;
  return *this;
}

void BrokenRules::Grow() {
  const std::uint32_t capacity = 2 * capacity_;
  Entry* block = new Entry[capacity];
  std::copy(data(), data() + count_, block);
  Release();
  heap_ = block;
  capacity_ = capacity;
}

void BrokenRules::Update(std::int16_t id, bool is_broken, RuleText rule) {
  Entry* const begin = data();
  Entry* const end = begin + count_;
  Entry* const it = std::find_if(begin, end, [id](const Entry& e) { return e.id == id; });
  if (is_broken) {
    if (it != end) return;
    if (count_ == capacity_) Grow();
    const std::string_view message = rule.view();
    data()[count_++] = {id, static_cast<std::uint32_t>(message.size()), message.data()};
    if (listener_) listener_->BrokenRule(message);
    return;
  }
  if (it == end) return;
  std::copy(it + 1, end, it);
  --count_;
  if (OnHeap() && count_ <= kInlineRules) {
    // Back inline: a record with few broken rules, above all a valid one, keeps no heap
    // block.
    Entry* const block = heap_;
    std::copy(block, block + count_, inline_);
    delete[] block;
    capacity_ = kInlineRules;
  }
  if (count_ == 0 && listener_) listener_->NoBrokenRules();
}

bool BrokenRules::IsBroken(std::int16_t id) const {
  return std::any_of(data(), data() + count_, [id](const Entry& e) { return e.id == id; });
}

std::string BrokenRules::Report(std::string_view heading, std::string_view prefix) const {
  std::string report(heading);
  report += "\r\r";
  for (const Entry& e : getRules()) {
    report += prefix;
    report += e.Message();
    report += '\r';
  }
  return report;
}

}  // namespace dtaus::detail
