#include "records/opt_field_slots.h"

#include <new>
#include <utility>

#include "records/slab_allocator.h"

namespace dtaus::detail {
namespace {

static_assert(OptFieldSlots::kSlotCount <= 16, "the slot sets have one bit per slot");
static_assert(alignof(OptField) <= alignof(OptField*));

// The room a block has for `count` parts: one, two or all fifteen. Most payments have
// one or two parts and take no more; a third part goes on to the block of a payment with
// every line, so that even one that sets all its parts moves only three on the way.
int Capacity(int count) { return count <= 2 ? count : OptFieldSlots::kSlotCount; }

// The full blocks come from slabs (see SlabAllocator), as the payments do, packed at the
// parts' own alignment: 600 bytes, not 608. Never destroyed, so that a payment released
// while the process ends can still return its block. The smaller blocks are short-lived
// on the way to a full one, or small: the heap serves them best.
SlabAllocator& FullBlocks() {
  static SlabAllocator* const slabs =
      new SlabAllocator(sizeof(OptField) * OptFieldSlots::kSlotCount, alignof(OptField*));
  return *slabs;
}

OptField* Allocate(int capacity) {
  if (capacity == OptFieldSlots::kSlotCount) {
    return static_cast<OptField*>(FullBlocks().Allocate());
  }
  return static_cast<OptField*>(
      ::operator new(sizeof(OptField) * static_cast<std::size_t>(capacity)));
}

void Free(OptField* block, int capacity) {
  if (block == nullptr) return;
  if (capacity == OptFieldSlots::kSlotCount) {
    FullBlocks().Deallocate(block);
  } else {
    ::operator delete(block);
  }
}

// Moves the part at `from` to the raw memory at `to`.
void Relocate(OptField& from, OptField* to) noexcept {
  ::new (to) OptField(std::move(from));
  from.~OptField();
}

}  // namespace

void OptFieldSlots::ReleaseSpareMemory() noexcept { FullBlocks().ReleaseSpares(); }

OptFieldSlots::~OptFieldSlots() {
  for (int i = 0; i < count_; ++i) parts_[i].~OptField();
  Free(parts_, capacity_);
}

OptField& OptFieldSlots::Insert(int slot, std::int32_t type) {
  const int count = count_;
  const int at = IndexOf(slot);
  if (count == capacity_) {
    // Throws before anything has changed.
    const int capacity = Capacity(count + 1);
    OptField* const grown = Allocate(capacity);
    for (int i = 0; i < count; ++i) Relocate(parts_[i], grown + (i < at ? i : i + 1));
    Free(parts_, capacity_);
    parts_ = grown;
    capacity_ = static_cast<std::uint8_t>(capacity);
  } else {
    for (int i = count; i > at; --i) Relocate(parts_[i - 1], parts_ + i);
  }
  ::new (parts_ + at) OptField(type);
  used_ = static_cast<std::uint16_t>(used_ | 1u << slot);
  ++count_;
  return parts_[at];
}

int OptFieldSlots::ChooseValid() {
  unsigned chosen = 0;
  int chosen_count = 0;
  int index = 0;
  for (unsigned rest = used_; rest != 0; rest &= rest - 1, ++index) {
    if (parts_[index].OptionalFieldValid()) {
      chosen |= rest & (0u - rest);  // the lowest slot left
      ++chosen_count;
    }
  }
  chosen_ = static_cast<std::uint16_t>(chosen);
  chosen_count_ = static_cast<std::uint8_t>(chosen_count);
  return chosen_count;
}

}  // namespace dtaus::detail
