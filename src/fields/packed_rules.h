// PackedRules: the broken rules of a record whose rules form a small fixed table.
//
// The same contract as BrokenRules (the rules a record currently breaks, in the order
// in which they were broken; breaking a broken rule changes nothing, a rule broken again
// after being cleared goes to the end), for a record that names its rules by their index
// in a constant table of at most eight messages of its own. The tracker is one 32-bit
// word holding the broken ones as indices of four bits each, so that a record with many
// small parts (a payment has fifteen extension parts) carries four bytes per part for its
// rules instead of a BrokenRules.
//
//   constexpr std::string_view kMessages[] = {"<Field Type> not set", ...};
//   PackedRules rules;
//   rules.Break(0);
//   rules.Clear(0);
//   rules.ForEach([](unsigned rule) { ... kMessages[rule] ... });
#ifndef DTAUS_FIELDS_PACKED_RULES_H_
#define DTAUS_FIELDS_PACKED_RULES_H_

#include <cstdint>

namespace dtaus::detail {

class PackedRules {
 public:
  // Rule indices 0 to 7: eight nibbles hold every rule at once, so the tracker is never
  // full.
  static constexpr unsigned kMaxRules = 8;

  constexpr PackedRules() = default;

  // Adds `rule` (below kMaxRules) at the end unless it is broken already.
  constexpr void Break(unsigned rule) {
    if (IsBroken(rule)) return;
    bits_ |= std::uint32_t{rule + 1} << (4 * Count());
  }
  // Removes `rule` if it is broken; the later rules move up one place.
  constexpr void Clear(unsigned rule) {
    for (unsigned shift = 0; shift < 32; shift += 4) {
      const std::uint32_t nibble = (bits_ >> shift) & 0xF;
      if (nibble == 0) return;
      if (nibble == rule + 1) {
        const std::uint32_t below = bits_ & ((std::uint32_t{1} << shift) - 1);
        const std::uint32_t above = shift + 4 < 32 ? bits_ >> (shift + 4) : 0;
        bits_ = below | (above << shift);
        return;
      }
    }
  }

  constexpr bool empty() const { return bits_ == 0; }
  constexpr unsigned Count() const {
    unsigned n = 0;
    while (n < kMaxRules && ((bits_ >> (4 * n)) & 0xF) != 0) ++n;
    return n;
  }
  constexpr bool IsBroken(unsigned rule) const {
    for (std::uint32_t bits = bits_; bits != 0; bits >>= 4) {
      if ((bits & 0xF) == rule + 1) return true;
    }
    return false;
  }
  // Calls f(rule) for each broken rule, in tracker order.
  template <typename F>
  constexpr void ForEach(F f) const {
    for (std::uint32_t bits = bits_; bits != 0; bits >>= 4) {
      f(static_cast<unsigned>((bits & 0xF) - 1));
    }
  }

 private:
  // Rule index + 1 per nibble, the first broken rule in the lowest; 0 ends the list.
  std::uint32_t bits_ = 0;
};

}  // namespace dtaus::detail

#endif  // DTAUS_FIELDS_PACKED_RULES_H_
