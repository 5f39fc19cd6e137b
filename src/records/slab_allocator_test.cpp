#include "records/slab_allocator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <random>
#include <set>
#include <string>
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

std::uintptr_t SlabOf(const void* p) {
  return reinterpret_cast<std::uintptr_t>(p) & ~(SlabAllocator::kSlabSize - 1);
}

// More objects than three slabs hold, freed in a scrambled order and allocated again
// while others are still in use: every object stays intact and aligned, none overlaps.
// Empty slabs are kept for the next objects (the kernel may take their pages back in
// between, which reads as zeros): a second file's payments reuse the first one's memory.
TEST(SlabAllocator, ObjectsStayDistinctAndEmptySlabsAreReused) {
  constexpr std::size_t kSize = 1800;
  SlabAllocator slabs(kSize);
  slabs.Deallocate(nullptr);  // ignored
  const std::size_t count = 3 * SlabAllocator::kSlabSize / kSize + 17;
  std::vector<void*> objects(count);
  const auto allocate = [&](std::size_t i) {
    objects[i] = slabs.Allocate();
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(objects[i]) % alignof(std::max_align_t), 0u);
    Stamp(objects[i], kSize, static_cast<std::uint32_t>(i));
  };
  const auto check_and_free = [&](std::size_t i) {
    EXPECT_TRUE(HasStamp(objects[i], kSize, static_cast<std::uint32_t>(i))) << i;
    slabs.Deallocate(objects[i]);
  };
  std::set<std::uintptr_t> used;
  for (std::size_t i = 0; i < count; ++i) {
    allocate(i);
    used.insert(SlabOf(objects[i]));
  }
  EXPECT_EQ(std::set<void*>(objects.begin(), objects.end()).size(), count);
  std::vector<std::size_t> order(count);
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::shuffle(order.begin(), order.end(), std::mt19937(7));
  for (std::size_t k = 0; k < count; k += 2) check_and_free(order[k]);
  for (std::size_t k = 0; k < count; k += 2) allocate(order[k]);
  for (const std::size_t i : order) check_and_free(i);
  // All free again. (Without slabs, in sanitizer builds, each object is an allocation of
  // its own.)
  for (std::size_t i = 0; i < count; ++i) {
    allocate(i);
    if (SlabAllocator::UsesSlabs()) {
      EXPECT_EQ(used.count(SlabOf(objects[i])), 1u) << "a new slab although one was kept";
    }
  }
  for (std::size_t i = 0; i < count; ++i) check_and_free(i);

  // A slab emptied by its only object is kept as it is, not handed back: the next object
  // is the same memory with its old bytes (mapped anew it would read as zeros). A host
  // that makes and drops one payment at a time pays no system call for it.
  SlabAllocator single(kSize);
  void* const first = single.Allocate();
  Stamp(first, kSize, 99);
  single.Deallocate(first);
  void* const again = single.Allocate();
  if (SlabAllocator::UsesSlabs()) {
    ASSERT_EQ(again, first);
    // Past the free list's pointer, which the allocator keeps in a free object.
    const auto* bytes = static_cast<const unsigned char*>(again);
    for (std::size_t i = sizeof(void*); i < kSize; ++i) {
      ASSERT_EQ(bytes[i], static_cast<unsigned char>(99 * 31 + i)) << i;
    }
  }
  single.Deallocate(again);
}

// Objects follow one another at their size rounded up to their alignment, which is at
// least a pointer's: a free object holds the free list's link.
TEST(SlabAllocator, ObjectsArePackedAtTheirAlignment) {
  struct Case {
    std::size_t size;
    std::size_t alignment;
    std::size_t stride;
  };
  const Case cases[] = {
      {40, alignof(std::max_align_t), 48}, {40, 8, 40}, {600, 8, 600}, {4, 4, 8}, {1, 1, 8}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.size) + " at " + std::to_string(c.alignment));
    SlabAllocator slabs(c.size, c.alignment);
    void* const first = slabs.Allocate();
    void* const second = slabs.Allocate();
    for (void* p : {first, second}) {
      EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % std::max(c.alignment, sizeof(void*)), 0u);
    }
    if (SlabAllocator::UsesSlabs()) {
      EXPECT_EQ(static_cast<char*>(second) - static_cast<char*>(first),
                static_cast<std::ptrdiff_t>(c.stride));
    }
    slabs.Deallocate(first);
    slabs.Deallocate(second);
  }
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

// A slab's 2 MB hold objects only: 4,096 of 512 bytes (a payment's state) fill exactly
// one, so a full file's 32,767 payments take eight. Slabs given back with ReleaseSpares
// are gone, and the next objects come from new ones, as intact as ever.
TEST(SlabAllocator, ObjectsFillTheWholeSlabAndSparesCanBeGivenBack) {
  if (!SlabAllocator::UsesSlabs()) {
    GTEST_SKIP() << "this build hands objects to operator new (sanitizers, other systems)";
  }
  constexpr std::size_t kSize = 512;
  constexpr std::size_t kPerSlab = SlabAllocator::kSlabSize / kSize;
  SlabAllocator slabs(kSize);
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    std::vector<void*> objects;
    for (std::size_t i = 0; i < 2 * kPerSlab + 1; ++i) {
      objects.push_back(slabs.Allocate());
      Stamp(objects.back(), kSize, static_cast<std::uint32_t>(i));
    }
    for (std::size_t i = 0; i < objects.size(); ++i) {
      ASSERT_EQ(SlabOf(objects[i]), SlabOf(objects[i / kPerSlab * kPerSlab])) << i;
      ASSERT_TRUE(HasStamp(objects[i], kSize, static_cast<std::uint32_t>(i))) << i;
    }
    EXPECT_NE(SlabOf(objects[kPerSlab - 1]), SlabOf(objects[kPerSlab]));
    for (void* p : objects) slabs.Deallocate(p);
    slabs.ReleaseSpares();
  }
}

}  // namespace
}  // namespace dtaus::detail
