#include "fields/dt_aus_field.h"

#include "fields/dtaus_error.h"
#include "fields/text_codec.h"

namespace dtaus::detail {
namespace field_bytes {

void ThrowTooLong() {
  throw DtausError(kFieldRenderError, "Field value longer than 32767 characters");
}

void ThrowUnknownFill(std::int32_t fill) {
  throw DtausError(kFieldRenderError, "Invalid field fill mode " + std::to_string(fill));
}

void ThrowLongerThanField() {
  throw DtausError(kFieldRenderError, "Ein Wert ist länger als sein Feld.");
}

}  // namespace field_bytes

char* WriteField(char* out, std::string_view value, std::int16_t width, bool left_aligned,
                 std::int32_t fill) {
  return WriteCountedField(out, value, CountCodePoints(value), width, left_aligned, fill);
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
