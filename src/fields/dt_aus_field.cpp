#include "fields/dt_aus_field.h"

#include "fields/dtaus_error.h"
#include "fields/text_codec.h"

namespace dtaus::detail {

void AppendField(std::string& out, std::string_view value, std::int16_t width,
                 bool left_aligned, std::int32_t fill) {
  const std::size_t length = CountCodePoints(value);
  if (length > 32767) {
    throw DtausError(kFieldRenderError, "Field value longer than 32767 characters");
  }
  if (static_cast<std::int64_t>(length) >= width) {
    out += value;
    return;
  }
  if (fill != kFillBlank && fill != kFillZero) {
    throw DtausError(kFieldRenderError, "Invalid field fill mode " + std::to_string(fill));
  }
  const char fill_char = fill == kFillZero ? '0' : ' ';
  const std::size_t padding = static_cast<std::size_t>(width) - length;
  if (left_aligned) {
    out += value;
    out.append(padding, fill_char);
  } else {
    out.append(padding, fill_char);
    out += value;
  }
}

std::string DtAusField::toFileString() const {
  std::string out;
  AppendField(out, value_, width_, left_aligned_, fill_);
  return out;
}

}  // namespace dtaus::detail
