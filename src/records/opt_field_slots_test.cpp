#include "records/opt_field_slots.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "records/slab_allocator.h"

namespace dtaus::detail {
namespace {

std::string Chosen(const OptFieldSlots& slots) {
  std::string streams;
  for (const OptField& part : slots.Chosen()) streams += part.getFieldAsStream();
  return streams;
}

std::string Part(std::string_view code, std::string_view text) {
  std::string part = std::string(code) + std::string(text);
  part.resize(OptField::kStreamWidth, ' ');
  return part;
}

// Slots filled in any order, one of them twice, through every size of the block: each
// slot keeps one part, with the type it was made with and its last text; only parts with
// a text are chosen, in slot order.
TEST(OptFieldSlots, PartsAreMadeOnFirstAssignmentAndKeptInSlotOrder) {
  struct Assignment {
    int slot;
    std::int32_t type;
    const char* text;  // nullptr: made, but no text assigned
  };
  const Assignment assignments[] = {
      {14, 2, "ABT. BUCHHALTUNG"},
      {3, 1, "ZWECK 4"},
      {0, 0, ""},
      {3, 2, "ZWECK 4 NEU"},  // the part exists: its type stays "02"
      {7, 1, nullptr},
      {1, 1, "ZWECK 2"},
      {13, 1, "ZWECK 14"},
  };
  OptFieldSlots slots;
  EXPECT_EQ(slots.ChooseValid(), 0);
  for (const Assignment& a : assignments) {
    OptField& part = slots.Make(a.slot, a.type);
    if (a.text != nullptr) part.AcceptValue(a.text);
  }
  struct Expected {
    int slot;
    std::string stream;  // "" for an empty slot
  };
  const Expected expected[] = {
      {0, Part("01", "")},
      {1, Part("02", "ZWECK 2")},
      {2, ""},
      {3, Part("02", "ZWECK 4 NEU")},
      {7, "ERROR: Optional Field Invalid"},
      {13, Part("02", "ZWECK 14")},
      {14, Part("03", "ABT. BUCHHALTUNG")},
  };
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.slot);
    const OptField* const part = slots.Find(e.slot);
    EXPECT_EQ(part == nullptr ? "" : part->getFieldAsStream(), e.stream);
  }
  EXPECT_EQ(Chosen(slots), "");  // nothing chosen yet
  EXPECT_EQ(slots.ChooseValid(), 5);
  EXPECT_EQ(Chosen(slots), Part("01", "") + Part("02", "ZWECK 2") + Part("02", "ZWECK 4 NEU") +
                               Part("02", "ZWECK 14") + Part("03", "ABT. BUCHHALTUNG"));

  // A part made after the choice waits for the next one; a text changed is written.
  slots.Make(2, 1).AcceptValue("ZWECK 3");
  slots.Make(13, 1).AcceptValue("ZWECK 14 NEU");
  EXPECT_EQ(slots.ChosenCount(), 5);
  EXPECT_EQ(Chosen(slots), Part("01", "") + Part("02", "ZWECK 2") + Part("02", "ZWECK 4 NEU") +
                               Part("02", "ZWECK 14 NEU") + Part("03", "ABT. BUCHHALTUNG"));
  EXPECT_EQ(slots.ChooseValid(), 6);
  EXPECT_EQ(Chosen(slots).substr(2 * OptField::kStreamWidth, OptField::kStreamWidth),
            Part("02", "ZWECK 3"));

  // All fifteen filled from the back: GeldTransferTest.RecordsByNumberOfParts.
}

// The parts of a payment that is released serve the next payment's: a host that writes
// one file after the other takes no new memory for them.
TEST(OptFieldSlots, MemoryOfReleasedPartsIsReused) {
  if (!SlabAllocator::UsesSlabs()) {
    GTEST_SKIP() << "parts are heap blocks in this build (sanitizers), whose addresses the "
                    "heap may or may not reuse";
  }
  const auto fill = [](OptFieldSlots& slots) {
    for (int slot = 0; slot < OptFieldSlots::kSlotCount; ++slot) slots.Make(slot, 1);
    return slots.Find(0);
  };
  const OptField* first;
  {
    auto slots = std::make_unique<OptFieldSlots>();
    first = fill(*slots);
  }
  OptFieldSlots again;
  EXPECT_EQ(fill(again), first);
}

}  // namespace
}  // namespace dtaus::detail
