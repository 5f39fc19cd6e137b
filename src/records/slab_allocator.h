// SlabAllocator: memory for many objects of one size, in slabs of huge pages.
//
// A full DTAUS file has 32,767 payments, and each keeps half a kilobyte of state and up to
// 600 bytes of extension parts: 17 to 36 MB that a host builds in one go, writes, and
// frees. From the general heap that memory arrives in 4 KB pages, each made resident by a
// page fault on first touch; in a virtual machine a fault costs microseconds, and the
// thousands of them cost more than building the payments. Worse, the heap hands freed
// memory back to the system, so the next file pays again. The slabs here are 2 MB,
// aligned, and the kernel is asked to back them with transparent huge pages: one fault
// per slab.
//
//   static SlabAllocator& states = *new SlabAllocator(sizeof(State));
//   void* p = states.Allocate();
//   states.Deallocate(p);
//
// Thread-safe. Empty slabs are kept for the next objects, up to 64 MB, as memory the
// kernel may reclaim when it needs it (MADV_FREE); beyond that they go back to the
// system at once. Where huge pages or anonymous mappings are not available
// (other systems, sanitizer builds that must see every allocation) it forwards to
// operator new and delete.
#ifndef DTAUS_RECORDS_SLAB_ALLOCATOR_H_
#define DTAUS_RECORDS_SLAB_ALLOCATOR_H_

#include <atomic>
#include <cstddef>

namespace dtaus::detail {

class SlabAllocator {
 public:
  static constexpr std::size_t kSlabSize = std::size_t{2} << 20;

  // Objects of `object_size` bytes, aligned for any type, or at `alignment` (a power of
  // two, at most that of any type) for objects that need less: 40-byte objects packed at
  // 8 take 40 bytes each, where the alignment for any type would make it 48.
  explicit SlabAllocator(std::size_t object_size,
                         std::size_t alignment = alignof(std::max_align_t));
  SlabAllocator(const SlabAllocator&) = delete;
  SlabAllocator& operator=(const SlabAllocator&) = delete;

  // Throws std::bad_alloc when no memory is left.
  void* Allocate();
  // `p` must come from Allocate of this allocator.
  void Deallocate(void* p) noexcept;

  // Gives the empty slabs kept for the next objects back to the system at once. For a
  // process that has written its one file: the kernel would take them back only when it
  // needs memory, and until then they count as the process's own.
  void ReleaseSpares() noexcept;

  // Whether slabs are in use; false where the allocator forwards to operator new.
  static bool UsesSlabs();

 private:
  struct Slab;

  Slab* NewSlab();
  void Unlink(Slab* slab);

  std::size_t alignment_;
  std::size_t object_size_;
  std::size_t objects_per_slab_;
  // A spin lock: held for a few dozen instructions, and <mutex> is not available with
  // every Windows tool chain the library is built with.
  std::atomic_flag busy_;
  Slab* with_room_ = nullptr;  // slabs with a free object, most recently used first
  // Empty slabs kept for the next objects: one as it is, and as many as a full file's
  // payments take that the kernel may reclaim.
  Slab* hot_spare_ = nullptr;
  static constexpr std::size_t kMaxSpares = 32;
  Slab* spares_[kMaxSpares] = {};
  std::size_t spare_count_ = 0;
};

// Asks the processor to load `bytes` from `p` into its cache ahead of use. Generate walks
// 32,767 payments of up to a kilobyte each, allocated one after the other but reached
// through pointers, which the processor cannot guess: fetching the next payment while
// the current one is written hides the wait for memory. Only a hint; nothing is read.
// kForWrite: the memory is about to be written (a new object).
template <bool kForWrite = false>
inline void Prefetch(const void* p, std::size_t bytes) {
#if defined(__GNUC__)
  const char* const first = static_cast<const char*>(p);
  for (std::size_t offset = 0; offset < bytes; offset += 64) {
    __builtin_prefetch(first + offset, kForWrite ? 1 : 0);
  }
#else
  (void)p;
  (void)bytes;
#endif
}

}  // namespace dtaus::detail

#endif  // DTAUS_RECORDS_SLAB_ALLOCATOR_H_
