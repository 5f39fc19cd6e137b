#include "records/slab_allocator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <set>
#include <thread>
#include <vector>

namespace dtaus::detail {
namespace {

// Fills an object with a pattern of its own, so that any two objects that overlap, or an
// object that the allocator itself writes into while it is handed out, show up.
void Stamp(void* p, std::size_t size, std::uint32_t id) {
  auto* bytes = static_cast<unsigned char*>(p);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<unsigned char>(id * 31 + i);
}

bool HasStamp(const void* p, std::size_t size, std::uint32_t id) {
  const auto* bytes = static_cast<const unsigned char*>(p);
  for (std::size_t i = 0; i < size; ++i) {
    if (bytes[i] != static_cast<unsigned char>(id * 31 + i)) return false;
  }
  return true;
}

// More objects than three slabs hold, freed in a scrambled order and allocated again
// while others are still in use: every object stays intact and aligned, none overlaps.
TEST(SlabAllocator, ObjectsStayDistinctThroughManySlabs) {
  constexpr std::size_t kSize = 1800;
  SlabAllocator slabs(kSize);
  const std::size_t count = 3 * SlabAllocator::kSlabSize / kSize + 17;
  std::vector<void*> objects;
  for (std::size_t i = 0; i < count; ++i) {
    objects.push_back(slabs.Allocate());
    ASSERT_EQ(reinterpret_cast<std::uintptr_t>(objects.back()) % alignof(std::max_align_t), 0u);
    Stamp(objects.back(), kSize, static_cast<std::uint32_t>(i));
  }
  EXPECT_EQ(std::set<void*>(objects.begin(), objects.end()).size(), count);
  std::uint64_t seed = 7;
  std::vector<std::size_t> order(count);
  for (std::size_t i = 0; i < count; ++i) order[i] = i;
  for (std::size_t i = count - 1; i > 0; --i) {
    seed = seed * 6364136223846793005ull + 1442695040888963407ull;
    std::swap(order[i], order[(seed >> 33) % (i + 1)]);
  }
  // Free every other object, allocate as many again, then check and free everything.
  for (std::size_t k = 0; k < count; k += 2) {
    const std::size_t i = order[k];
    ASSERT_TRUE(HasStamp(objects[i], kSize, static_cast<std::uint32_t>(i)));
    slabs.Deallocate(objects[i]);
    objects[i] = nullptr;
  }
  for (std::size_t k = 0; k < count; k += 2) {
    const std::size_t i = order[k];
    objects[i] = slabs.Allocate();
    Stamp(objects[i], kSize, static_cast<std::uint32_t>(i));
  }
  for (std::size_t k = 0; k < count; ++k) {
    const std::size_t i = order[k];
    ASSERT_TRUE(HasStamp(objects[i], kSize, static_cast<std::uint32_t>(i))) << i;
    slabs.Deallocate(objects[i]);
  }
  // Empty again: the next objects start from the front of a slab.
  void* again = slabs.Allocate();
  Stamp(again, kSize, 1);
  slabs.Deallocate(again);
}

TEST(SlabAllocator, ThreadsShareOneAllocator) {
  constexpr std::size_t kSize = 200;
  SlabAllocator slabs(kSize);
  auto work = [&slabs](std::uint32_t id) {
    std::vector<void*> mine;
    for (int round = 0; round < 20; ++round) {
      for (int i = 0; i < 500; ++i) {
        mine.push_back(slabs.Allocate());
        Stamp(mine.back(), kSize, id);
      }
      for (void* p : mine) {
        EXPECT_TRUE(HasStamp(p, kSize, id));
        slabs.Deallocate(p);
      }
      mine.clear();
    }
  };
  std::thread a(work, 1u);
  std::thread b(work, 2u);
  work(3u);
  a.join();
  b.join();
}

// Empty slabs are kept for the next objects (the kernel may take their pages back in
// between, which reads as zeros): a second file's payments reuse the first one's memory,
// and every object is whole again.
TEST(SlabAllocator, EmptySlabsAreReused) {
  constexpr std::size_t kSize = 1800;
  SlabAllocator slabs(kSize);
  const std::size_t count = 4 * SlabAllocator::kSlabSize / kSize;
  std::vector<void*> first;
  for (std::size_t i = 0; i < count; ++i) first.push_back(slabs.Allocate());
  const auto slab_of = [](void* p) {
    return reinterpret_cast<std::uintptr_t>(p) & ~(SlabAllocator::kSlabSize - 1);
  };
  std::set<std::uintptr_t> used;
  for (void* p : first) used.insert(slab_of(p));
  for (void* p : first) slabs.Deallocate(p);
  std::vector<void*> second;
  for (std::size_t i = 0; i < count; ++i) {
    second.push_back(slabs.Allocate());
    // (Without slabs, in sanitizer builds, each object is an allocation of its own.)
    if (SlabAllocator::UsesSlabs()) {
      EXPECT_TRUE(used.count(slab_of(second.back())) == 1) << "a new slab although one was kept";
    }
    Stamp(second.back(), kSize, static_cast<std::uint32_t>(i));
  }
  for (std::size_t i = 0; i < count; ++i) {
    EXPECT_TRUE(HasStamp(second[i], kSize, static_cast<std::uint32_t>(i)));
    slabs.Deallocate(second[i]);
  }
}

TEST(SlabAllocator, NullIsIgnored) {
  SlabAllocator slabs(64);
  slabs.Deallocate(nullptr);
}

}  // namespace
}  // namespace dtaus::detail
