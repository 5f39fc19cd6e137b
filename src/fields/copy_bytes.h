// CopyBytes: a copy of a few bytes without a call.
//
// Field values, paddings and the texts of a record are almost all shorter than 32 bytes,
// and for those two overlapping moves of a fixed size are cheaper than a call to memcpy.
// Every load of such a copy comes before its first store, so up to 32 bytes may be
// copied between overlapping places, as a text assigned from its own storage is.
#ifndef DTAUS_FIELDS_COPY_BYTES_H_
#define DTAUS_FIELDS_COPY_BYTES_H_

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace dtaus::detail {

// Copies n bytes; for n <= 32 `src` and `dst` may overlap.
inline void CopyBytes(char* dst, const char* src, std::size_t n) {
  // The first and the last `sizeof word` bytes, which overlap unless n is twice that.
  const auto head_and_tail = [=](auto word) {
    constexpr std::size_t kWord = sizeof word;
    decltype(word) head;
    decltype(word) tail;
    std::memcpy(&head, src, kWord);
    std::memcpy(&tail, src + n - kWord, kWord);
    std::memcpy(dst, &head, kWord);
    std::memcpy(dst + n - kWord, &tail, kWord);
  };
  struct Bytes16 {
    char bytes[16];
  };
  if (n >= 16) {
    if (n > 32) {
      std::memcpy(dst, src, n);
    } else {
      head_and_tail(Bytes16{});
    }
  } else if (n >= 8) {
    head_and_tail(std::uint64_t{});
  } else if (n >= 4) {
    head_and_tail(std::uint32_t{});
  } else if (n > 0) {
    const char first = src[0];
    const char middle = src[n / 2];
    const char last = src[n - 1];
    dst[0] = first;
    dst[n / 2] = middle;
    dst[n - 1] = last;
  }
}

}  // namespace dtaus::detail

#endif  // DTAUS_FIELDS_COPY_BYTES_H_
