// BrokenRules: the validation rules a record currently breaks, with their messages.
//
// Records never reject a value at the moment it is assigned. Each record keeps one
// tracker; a setter breaks the rule that names the problem and clears the rules its
// new value satisfies, and the record is valid exactly when the tracker is empty.
//
//   BrokenRules rules;
//   rules.RuleBroken(1010, true, "Wert <DateiMedia> fehlt.");
//   rules.RuleBroken(1010, false);              // cleared again
//   rules.Report("Fehler in MeineInfo:", " - ");
//
// Entries keep the order in which the rules were broken: breaking a rule that is
// already broken changes nothing (first message, first place), and a rule broken again
// after being cleared goes to the end. Users read that order, so it is part of the
// contract.
#ifndef DTAUS_FIELDS_BROKEN_RULES_H_
#define DTAUS_FIELDS_BROKEN_RULES_H_

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace dtaus::detail {

// A rule message. Every message of the library is a literal or an entry of a constant
// table, so the tracker stores a view and never copies or allocates per message; the
// consteval constructors make it impossible to hand it a temporary text.
class RuleText {
 public:
  constexpr RuleText() = default;
  template <std::size_t N>
  consteval RuleText(const char (&text)[N]) : text_(text, N - 1) {}  // NOLINT: implicit
  consteval explicit RuleText(std::string_view text) : text_(text) {}

  constexpr std::string_view view() const { return text_; }

 private:
  std::string_view text_;
};

class BrokenRules {
 public:
  // One broken rule. The message is kept as pointer and length, so that an entry takes
  // 16 bytes and a few of them fit inside the tracker itself.
  struct Entry {
    std::int16_t id;
    std::uint32_t length;
    const char* text;

    std::string_view Message() const { return std::string_view(text, length); }
  };

  // Observes the tracker: BrokenRule when an entry is added, NoBrokenRules when the
  // last entry is removed. Nothing in the library subscribes; hosts of the internal
  // classes (and tests) may.
  class Listener {
   public:
    virtual ~Listener() = default;
    virtual void BrokenRule(std::string_view message) = 0;
    virtual void NoBrokenRules() = 0;
  };

  // Rules held inside the tracker; only more take a heap block. A full file has 32,767
  // payments with a tracker each, and a new payment starts with four broken rules (its
  // four missing values) that go one by one as the values arrive: building a payment
  // allocates nothing for its rules.
  static constexpr std::uint32_t kInlineRules = 4;

  // An entry for the constructor below.
  static constexpr Entry Broken(std::int16_t id, RuleText rule) {
    return Entry{id, static_cast<std::uint32_t>(rule.view().size()), rule.view().data()};
  }

  BrokenRules() = default;
  // A tracker with `rules` broken, in order (distinct ids): the rules every new record of
  // a kind starts with, its missing values, set up as one copy.
  template <std::size_t N>
    requires(N <= kInlineRules)
  explicit BrokenRules(const std::array<Entry, N>& rules) : count_(N) {
    std::copy(rules.begin(), rules.end(), inline_);
  }
  BrokenRules(const BrokenRules& other);
  BrokenRules& operator=(const BrokenRules& other);
  ~BrokenRules() { Release(); }

  // Marks rule `id` as broken (adding it with `rule` unless it is broken already) or as
  // no longer broken (removing it if present). Never fails.
  void RuleBroken(std::int16_t id, bool is_broken, RuleText rule = RuleText()) {
    // Every assignment clears several rules, and in a valid record none is broken, in a
    // record with one missing value one other: those cases cost a comparison here
    // instead of a call.
    if (!is_broken && (count_ == 0 || (count_ == 1 && data()->id != id))) return;
    // The last rule going and the first one coming, inline as long as nobody listens.
    if (!OnHeap() && listener_ == nullptr) {
      if (!is_broken && count_ == 1) {
        count_ = 0;
        inline_[0] = Entry{};
        return;
      }
      // And the first rule of a record that was valid.
      if (is_broken && count_ == 0) {
        const std::string_view message = rule.view();
        inline_[0] = Entry{id, static_cast<std::uint32_t>(message.size()), message.data()};
        count_ = 1;
        return;
      }
    }
    Update(id, is_broken, rule);
  }

  std::int16_t Count() const { return static_cast<std::int16_t>(count_); }
  bool IsBroken(std::int16_t id) const;

  // The broken rules in tracker order.
  std::span<const Entry> getRules() const { return std::span<const Entry>(data(), count_); }

  // The error report: `heading`, two carriage returns, then per rule `prefix`, the
  // message and a carriage return. No line feeds: hosts show it as it is.
  std::string Report(std::string_view heading, std::string_view prefix) const;

  void set_listener(Listener* listener) { listener_ = listener; }

 private:
  bool OnHeap() const { return capacity_ > kInlineRules; }
  const Entry* data() const { return OnHeap() ? heap_ : inline_; }
  Entry* data() { return OnHeap() ? heap_ : inline_; }
  void Update(std::int16_t id, bool is_broken, RuleText rule);
  void Grow();
  void Release() {
    if (OnHeap()) delete[] heap_;
  }

  union {
    Entry inline_[kInlineRules]{};  // capacity_ == kInlineRules
    Entry* heap_;                   // capacity_ > kInlineRules
  };
  std::uint32_t count_ = 0;
  std::uint32_t capacity_ = kInlineRules;
  Listener* listener_ = nullptr;
};

static_assert(sizeof(BrokenRules::Entry) <= 16);

}  // namespace dtaus::detail

#endif  // DTAUS_FIELDS_BROKEN_RULES_H_
