#include "fields/dt_aus_field.h"

#include <cstdint>
#include <cstring>

#include "fields/dtaus_error.h"
#include "fields/text_codec.h"

namespace dtaus::detail {
namespace {

[[noreturn]] void ThrowTooLong() {
  throw DtausError(kFieldRenderError, "Field value longer than 32767 characters");
}

[[noreturn]] void ThrowUnknownFill(std::int32_t fill) {
  throw DtausError(kFieldRenderError, "Invalid field fill mode " + std::to_string(fill));
}

// Copies n bytes. Field values and paddings are almost all shorter than 32 bytes, and for
// those two overlapping moves of a fixed size are cheaper than a call to memcpy.
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
    dst[0] = src[0];
    dst[n / 2] = src[n / 2];
    dst[n - 1] = src[n - 1];
  }
}

constexpr char kBlanks[32] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
                              ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
                              ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
constexpr char kZeros[32] = {'0', '0', '0', '0', '0', '0', '0', '0', '0', '0', '0',
                             '0', '0', '0', '0', '0', '0', '0', '0', '0', '0', '0',
                             '0', '0', '0', '0', '0', '0', '0', '0', '0', '0'};

// Writes n copies of the fill character whose 32 copies are `pattern`.
inline char* Fill(char* out, const char* pattern, std::size_t n) {
  for (; n > 32; n -= 32, out += 32) std::memcpy(out, pattern, 32);
  CopyBytes(out, pattern, n);
  return out + n;
}

}  // namespace

char* WriteField(char* out, std::string_view value, std::int16_t width, bool left_aligned,
                 std::int32_t fill) {
  return WriteCountedField(out, value, CountCodePoints(value), width, left_aligned, fill);
}

char* WriteCountedField(char* out, std::string_view value, std::size_t length, std::int16_t width,
                        bool left_aligned, std::int32_t fill) {
  if (length > 32767) ThrowTooLong();
  std::size_t padding = 0;
  const char* pattern = kBlanks;
  if (static_cast<std::int64_t>(length) < width) {
    if (fill == kFillZero) {
      pattern = kZeros;
    } else if (fill != kFillBlank) {
      ThrowUnknownFill(fill);
    }
    padding = static_cast<std::size_t>(width) - length;
  }
  if (!left_aligned) out = Fill(out, pattern, padding);
  CopyBytes(out, value.data(), value.size());
  out += value.size();
  return left_aligned ? Fill(out, pattern, padding) : out;
}

void AppendField(std::string& out, std::string_view value, std::int16_t width, bool left_aligned,
                 std::int32_t fill) {
  RawAppend append(out, FieldBound(value, width));
  append.cursor = WriteField(append.cursor, value, width, left_aligned, fill);
}

std::string DtAusField::toFileString() const {
  std::string out;
  AppendField(out, value_, width_, left_aligned_, fill_);
  return out;
}

}  // namespace dtaus::detail
