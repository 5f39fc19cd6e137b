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
  if (n > 32) {
    std::memcpy(dst, src, n);
  } else if (n >= 16) {
    char head[16];
    char tail[16];
    std::memcpy(head, src, 16);
    std::memcpy(tail, src + n - 16, 16);
    std::memcpy(dst, head, 16);
    std::memcpy(dst + n - 16, tail, 16);
  } else if (n >= 8) {
    std::uint64_t head;
    std::uint64_t tail;
    std::memcpy(&head, src, 8);
    std::memcpy(&tail, src + n - 8, 8);
    std::memcpy(dst, &head, 8);
    std::memcpy(dst + n - 8, &tail, 8);
  } else if (n >= 4) {
    std::uint32_t head;
    std::uint32_t tail;
    std::memcpy(&head, src, 4);
    std::memcpy(&tail, src + n - 4, 4);
    std::memcpy(dst, &head, 4);
    std::memcpy(dst + n - 4, &tail, 4);
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
