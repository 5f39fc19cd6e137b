// The geometry of a DTAUS file: blocks, record sizes and where the extension parts go.
//
// A DTAUS file is cut into blocks of 128 bytes and every record fills whole blocks.
// Records A and E take one block on a Diskette and two on a Kassette (magnetic tape),
// the second one blank. A payment record C has a fixed part of 187 bytes and up to
// fifteen extension parts of 29 bytes (a type code of 2 bytes and 27 bytes of text):
// parts 1 and 2 and an 11-byte reserve fill the rest of block 2, and every further
// block holds four parts and a 12-byte reserve, so fifteen parts need six blocks. Its
// field C1 holds the logical length 187 + 29 n, not the bytes it occupies.
//
// The writer and the reader both take the geometry from here, so that what one writes
// the other finds at the same place.
//
//   PaymentRecordLength(3) == 274;  // C1 of a record with three parts
//   PaymentRecordSize(3) == 384;    // the bytes it occupies: three blocks
//   PartOffset(2) == 256;            // the third part opens block 3
#ifndef DTAUS_RECORDS_RECORD_GEOMETRY_H_
#define DTAUS_RECORDS_RECORD_GEOMETRY_H_

#include <cstddef>

namespace dtaus::detail {

inline constexpr std::size_t kBlockSize = 128;
// Records A and E on a Kassette take two blocks, the second blank.
inline constexpr std::size_t kKassetteRecordSize = 2 * kBlockSize;

// Record C: the fixed part up to and including the part count C18.
inline constexpr std::size_t kPaymentFixedLength = 187;
// An extension part: a type code ("01" to "03") and a text of 27 characters.
inline constexpr std::size_t kPartTypeWidth = 2;
inline constexpr std::size_t kPartTextWidth = 27;
inline constexpr std::size_t kPartWidth = kPartTypeWidth + kPartTextWidth;
inline constexpr int kMaxParts = 15;
inline constexpr int kPartsInSecondBlock = 2;
inline constexpr int kPartsPerBlock = 4;

// The reserves behind the parts: in block 2 behind parts 1 and 2 (its offset counted
// from the start of the record), in every later block behind its four parts (counted
// from the start of that block).
inline constexpr std::size_t kSecondBlockReserveOffset =
    kPaymentFixedLength + kPartsInSecondBlock * kPartWidth;
inline constexpr std::size_t kSecondBlockReserveWidth = 2 * kBlockSize - kSecondBlockReserveOffset;
inline constexpr std::size_t kBlockReserveOffset = kPartsPerBlock * kPartWidth;
inline constexpr std::size_t kBlockReserveWidth = kBlockSize - kBlockReserveOffset;

// The logical record length that C1 holds for `parts` extension parts.
constexpr std::size_t PaymentRecordLength(int parts) {
  return kPaymentFixedLength + static_cast<std::size_t>(parts) * kPartWidth;
}

// The bytes a record C with `parts` extension parts occupies in the file.
constexpr std::size_t PaymentRecordSize(int parts) {
  const int extra = parts <= kPartsInSecondBlock ? 0 : parts - kPartsInSecondBlock;
  return (2 + static_cast<std::size_t>((extra + kPartsPerBlock - 1) / kPartsPerBlock)) * kBlockSize;
}

// The number of part slots in a record C of `size` bytes.
constexpr int PartSlots(std::size_t size) {
  return kPartsInSecondBlock + static_cast<int>(size / kBlockSize - 2) * kPartsPerBlock;
}

// Offset of part `index` (0-based) from the start of the record.
constexpr std::size_t PartOffset(int index) {
  if (index < kPartsInSecondBlock) {
    return kPaymentFixedLength + static_cast<std::size_t>(index) * kPartWidth;
  }
  const int later = index - kPartsInSecondBlock;
  return static_cast<std::size_t>(2 + later / kPartsPerBlock) * kBlockSize +
         static_cast<std::size_t>(later % kPartsPerBlock) * kPartWidth;
}

// The largest record C: fifteen parts in six blocks.
inline constexpr std::size_t kMaxPaymentRecordSize = PaymentRecordSize(kMaxParts);

static_assert(kSecondBlockReserveWidth == 11 && kBlockReserveWidth == 12);
static_assert(PaymentRecordSize(0) == 256 && PaymentRecordSize(2) == 256);
static_assert(PaymentRecordSize(3) == 384 && PaymentRecordSize(6) == 384);
static_assert(PaymentRecordSize(7) == 512 && PaymentRecordSize(11) == 640);
static_assert(kMaxPaymentRecordSize == 768 && PartSlots(768) == 18);
static_assert(PaymentRecordLength(kMaxParts) == 622);
static_assert(PartOffset(2) == 256 && PartOffset(14) == 640);

}  // namespace dtaus::detail

#endif  // DTAUS_RECORDS_RECORD_GEOMETRY_H_
