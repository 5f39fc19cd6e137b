#include "records/slab_allocator.h"

#include <cstdint>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

// Sanitizer builds keep every object a separate allocation, so that overflows and uses
// after free are still caught.
#if defined(__SANITIZE_ADDRESS__)
#define DTAUS_SLABS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
#define DTAUS_SLABS 0
#endif
#endif
#if !defined(DTAUS_SLABS)
#if defined(__linux__) && defined(MADV_HUGEPAGE)
#define DTAUS_SLABS 1
#else
#define DTAUS_SLABS 0
#endif
#endif

namespace dtaus::detail {
namespace {

constexpr std::size_t RoundUp(std::size_t n, std::size_t to) { return (n + to - 1) / to * to; }

class SpinLock {
 public:
  explicit SpinLock(std::atomic_flag& busy) : busy_(busy) {
    while (busy_.test_and_set(std::memory_order_acquire)) {
    }
  }
  ~SpinLock() { busy_.clear(std::memory_order_release); }
  SpinLock(const SpinLock&) = delete;
  SpinLock& operator=(const SpinLock&) = delete;

 private:
  std::atomic_flag& busy_;
};

}  // namespace

// The head of a slab, right before its objects (see below). A free object holds the
// pointer to the next free one.
struct SlabAllocator::Slab {
  Slab* prev;
  Slab* next;
  void* free;          // freed objects
  std::size_t carved;  // objects handed out at least once, from the front
  std::size_t live;    // objects handed out and not yet returned
};

// A slab's bookkeeping sits on the page right before its 2 MB of objects, not at their
// front: 2 MB hold exactly 4,096 payments of 512 bytes, and a header among them would push
// the last payments of a full file (32,767) into a ninth huge page of their own.
namespace {

constexpr std::size_t kHeaderPage = 4096;
constexpr std::size_t kHeaderOffset = 64;  // from the header to the objects

char* ObjectsOf(void* slab) { return static_cast<char*>(slab) + kHeaderOffset; }
[[maybe_unused]] void* MappingOf(void* slab) { return ObjectsOf(slab) - kHeaderPage; }

}  // namespace

SlabAllocator::SlabAllocator(std::size_t object_size, std::size_t alignment)
    // A free object holds the free list's pointer: at least that size and alignment.
    : alignment_(alignment < alignof(void*) ? alignof(void*) : alignment),
      object_size_(RoundUp(object_size < sizeof(void*) ? sizeof(void*) : object_size, alignment_)),
      objects_per_slab_(kSlabSize / object_size_) {
  static_assert(sizeof(Slab) <= kHeaderOffset);
}

bool SlabAllocator::UsesSlabs() { return DTAUS_SLABS != 0; }

SlabAllocator::Slab* SlabAllocator::NewSlab() {
#if DTAUS_SLABS
  // Map twice the size and keep an aligned 2 MB, and the page before it for the header: a
  // huge page needs a 2 MB boundary. The mapping starts on a page, so rounding up behind
  // its first page still leaves the whole 2 MB inside it.
  void* mapped =
      ::mmap(nullptr, 2 * kSlabSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) throw std::bad_alloc();
  const auto begin = reinterpret_cast<std::uintptr_t>(mapped);
  const std::uintptr_t aligned = RoundUp(begin + kHeaderPage, kSlabSize);
  const std::uintptr_t first = aligned - kHeaderPage;
  if (first > begin) ::munmap(mapped, first - begin);
  const std::uintptr_t tail = aligned + kSlabSize;
  const std::uintptr_t end = begin + 2 * kSlabSize;
  if (end > tail) ::munmap(reinterpret_cast<void*>(tail), end - tail);
  // Advice only: without transparent huge pages the slab works the same, page by page.
  ::madvise(reinterpret_cast<void*>(aligned), kSlabSize, MADV_HUGEPAGE);
  auto* slab = reinterpret_cast<Slab*>(aligned - kHeaderOffset);
  *slab = Slab{nullptr, nullptr, nullptr, 0, 0};
  return slab;
#else
  return nullptr;
#endif
}

void SlabAllocator::Unlink(Slab* slab) {
  if (slab->prev) slab->prev->next = slab->next;
  if (slab->next) slab->next->prev = slab->prev;
  if (with_room_ == slab) with_room_ = slab->next;
  slab->prev = slab->next = nullptr;
}

void* SlabAllocator::Allocate() {
  if (!DTAUS_SLABS) return ::operator new(object_size_);
  SpinLock lock(busy_);
  Slab* slab = with_room_;
  if (slab == nullptr) {
    if (hot_spare_ != nullptr) {
      slab = hot_spare_;
      hot_spare_ = nullptr;
    } else if (spare_count_ > 0) {
      slab = spares_[--spare_count_];
    } else {
      slab = NewSlab();
    }
    *slab = Slab{nullptr, nullptr, nullptr, 0, 0};
    slab->next = nullptr;
    slab->prev = nullptr;
    with_room_ = slab;
  }
  void* p;
  if (slab->free != nullptr) {
    p = slab->free;
    slab->free = *static_cast<void**>(p);
  } else {
    p = ObjectsOf(slab) + slab->carved * object_size_;
    ++slab->carved;
    // The next object comes from right behind: have its memory on the way while the
    // caller fills this one (see Prefetch).
    if (slab->carved < objects_per_slab_) {
      Prefetch<true>(static_cast<char*>(p) + object_size_, object_size_);
    }
  }
  ++slab->live;
  if (slab->free == nullptr && slab->carved == objects_per_slab_) Unlink(slab);  // full
  return p;
}

void SlabAllocator::ReleaseSpares() noexcept {
#if DTAUS_SLABS
  SpinLock lock(busy_);
  if (hot_spare_ != nullptr) ::munmap(MappingOf(hot_spare_), kHeaderPage + kSlabSize);
  hot_spare_ = nullptr;
  while (spare_count_ > 0) ::munmap(MappingOf(spares_[--spare_count_]), kHeaderPage + kSlabSize);
#endif
}

void SlabAllocator::Deallocate(void* p) noexcept {
  if (p == nullptr) return;
  if (!DTAUS_SLABS) {
    ::operator delete(p);
    return;
  }
#if DTAUS_SLABS
  SpinLock lock(busy_);
  auto* slab = reinterpret_cast<Slab*>((reinterpret_cast<std::uintptr_t>(p) & ~(kSlabSize - 1)) -
                                       kHeaderOffset);
  const bool was_full = slab->free == nullptr && slab->carved == objects_per_slab_;
  *static_cast<void**>(p) = slab->free;
  slab->free = p;
  --slab->live;
  if (was_full) {
    // Has room again: to the front of the list.
    slab->prev = nullptr;
    slab->next = with_room_;
    if (with_room_) with_room_->prev = slab;
    with_room_ = slab;
  }
  if (slab->live == 0) {
    Unlink(slab);
    if (hot_spare_ == nullptr) {
      // Kept as it is, and used first: a host that makes and drops one payment at a time
      // must not pay a system call for each.
      hot_spare_ = slab;
    } else if (spare_count_ < kMaxSpares) {
      // Kept for the next payments, but the kernel may take the pages back whenever it
      // needs memory: a host that writes one file after the other neither faults in and
      // clears 20 to 40 MB again each time nor keeps them from others. Nothing is written to
      // such a slab until it is reused, which would cancel the advice.
#if defined(MADV_FREE)
      ::madvise(ObjectsOf(slab), kSlabSize, MADV_FREE);
#endif
      spares_[spare_count_++] = slab;
    } else {
      ::munmap(MappingOf(slab), kHeaderPage + kSlabSize);
    }
  }
#endif
}

}  // namespace dtaus::detail
