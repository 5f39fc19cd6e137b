// OptFieldSlots: the fifteen extension-part slots of one payment, each holding its part only
// once a text has been assigned to it.
//
// A payment may continue its texts in fifteen extension parts (Name2, VerwendungsZweck2
// to 14, MeineInfoName2), but most payments set one or two of them: a purpose line that
// did not fit, a second name line. Fifteen parts kept inline would be 600 of the
// payment's bytes, and a full file holds 32,767 payments. So the parts that exist are
// kept in one small block, in slot order, that grows with them: room for one part, two,
// then all fifteen. A slot without a part stands for a part that was never
// assigned: invalid, and never written.
//
// Which parts the record writes is chosen when it is prepared (ChooseValid): every
// valid part, in slot order. The choice stays until the next preparation, as the
// record's length and part count do.
//
//   OptFieldSlots slots;
//   slots.Make(1, 1).AcceptValue("RECHNUNG 4711");  // VerwendungsZweck2, type "02"
//   slots.ChooseValid();
//   for (const OptField& part : slots.Chosen()) ...
#ifndef DTAUS_RECORDS_OPT_FIELD_SLOTS_H_
#define DTAUS_RECORDS_OPT_FIELD_SLOTS_H_

#include <cstdint>
#include <new>

#include "records/opt_field.h"

namespace dtaus::detail {

class OptFieldSlots {
 public:
  static constexpr int kSlotCount = 15;

  OptFieldSlots() = default;
  OptFieldSlots(const OptFieldSlots&) = delete;
  OptFieldSlots& operator=(const OptFieldSlots&) = delete;
  ~OptFieldSlots();

  // The part in `slot` (0 to 14), made with `type` (see OptField(std::int32_t)) if the
  // slot has none yet; an existing part keeps its type and text. Throws std::bad_alloc,
  // leaving every part as it was. The reference holds until the next part is made.
  OptField& Make(int slot, std::int32_t type) {
    if ((used_ >> slot & 1u) != 0) return parts_[IndexOf(slot)];
    // Parts mostly come in slot order: behind the last one, with room left, the new part
    // goes at the end. Inline: a payment with all its lines makes fifteen.
    if ((used_ >> slot) == 0 && count_ < capacity_) {
      OptField* const part = ::new (parts_ + count_) OptField(type);
      used_ = static_cast<std::uint16_t>(used_ | 1u << slot);
      ++count_;
      return *part;
    }
    return Insert(slot, type);
  }
  // The part in `slot`, or nullptr when nothing was ever assigned to it.
  const OptField* Find(int slot) const {
    return (used_ >> slot & 1u) != 0 ? &parts_[IndexOf(slot)] : nullptr;
  }

  // Chooses the parts that are valid now for writing, and returns how many.
  int ChooseValid();

  // Gives the memory kept for the next full blocks back to the system (see
  // SlabAllocator::ReleaseSpares).
  static void ReleaseSpareMemory() noexcept;
  int ChosenCount() const { return chosen_count_; }

  // The chosen parts in slot order, for a range-based for loop. Changing the slots
  // (Make) invalidates it.
  class ChosenIterator {
   public:
    const OptField& operator*() const { return *part_; }
    ChosenIterator& operator++() {
      rest_ &= rest_ - 1;
      ++part_;
      SkipUnchosen();
      return *this;
    }
    bool operator!=(const ChosenIterator& other) const { return rest_ != other.rest_; }

   private:
    friend class OptFieldSlots;
    ChosenIterator(const OptField* part, unsigned rest, unsigned chosen)
        : part_(part), rest_(rest), chosen_(chosen) {
      SkipUnchosen();
    }
    // Usually every part is chosen, and this is one test per part.
    void SkipUnchosen() {
      while (rest_ != 0 && (chosen_ & rest_ & (0u - rest_)) == 0) {
        rest_ &= rest_ - 1;
        ++part_;
      }
    }
    const OptField* part_;  // the part of the lowest slot in rest_
    unsigned rest_;         // the slots with a part from here on
    unsigned chosen_;
  };
  struct ChosenParts {
    ChosenIterator first;
    ChosenIterator begin() const { return first; }
    ChosenIterator end() const { return ChosenIterator(nullptr, 0, 0); }
  };
  ChosenParts Chosen() const { return {ChosenIterator(parts_, used_, chosen_)}; }

 private:
  // The number of bits set in a slot set. (std::popcount is a library call on processors
  // without an instruction for it, as x86-64 is taken to be unless told otherwise.)
  static int CountSlots(unsigned set) {
    set = set - ((set >> 1) & 0x5555u);
    set = (set & 0x3333u) + ((set >> 2) & 0x3333u);
    set = (set + (set >> 4)) & 0x0F0Fu;
    return static_cast<int>((set + (set >> 8)) & 0x1Fu);
  }
  // The position of `slot`'s part in the block: the number of parts before it.
  int IndexOf(int slot) const { return CountSlots(used_ & ((1u << slot) - 1)); }
  OptField& Insert(int slot, std::int32_t type);

  OptField* parts_ = nullptr;      // the parts of the slots in used_, in slot order
  std::uint16_t used_ = 0;         // one bit per slot with a part, bit 0 for slot 0
  std::uint16_t chosen_ = 0;       // the slots whose parts are written
  std::uint8_t count_ = 0;         // the parts in the block
  std::uint8_t capacity_ = 0;      // the parts the block has room for
  std::uint8_t chosen_count_ = 0;  // the parts written
};

}  // namespace dtaus::detail

#endif  // DTAUS_RECORDS_OPT_FIELD_SLOTS_H_
