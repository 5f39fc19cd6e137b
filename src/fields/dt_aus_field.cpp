#include "fields/dt_aus_field.h"

#include <cstring>

#include "fields/dtaus_error.h"
#include "fields/text_codec.h"

namespace dtaus::detail {

char* WriteField(char* out, std::string_view value, std::int16_t width, bool left_aligned,
                 std::int32_t fill) {
  const std::size_t length = CountCodePoints(value);
  if (length > 32767) {
    throw DtausError(kFieldRenderError, "Field value longer than 32767 characters");
  }
  std::size_t padding = 0;
  char fill_char = ' ';
  if (static_cast<std::int64_t>(length) < width) {
    if (fill != kFillBlank && fill != kFillZero) {
      throw DtausError(kFieldRenderError, "Invalid field fill mode " + std::to_string(fill));
    }
    fill_char = fill == kFillZero ? '0' : ' ';
    padding = static_cast<std::size_t>(width) - length;
  }
  if (!left_aligned) {
    std::memset(out, fill_char, padding);
    out += padding;
    padding = 0;
  }
  if (!value.empty()) std::memcpy(out, value.data(), value.size());
  out += value.size();
  std::memset(out, fill_char, padding);
  return out + padding;
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
