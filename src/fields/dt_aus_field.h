// DtAusField: one fixed-width field of a DTAUS record and how it is rendered.
//
// A DTAUS record is a concatenation of fixed-width fields. Numeric fields are
// right-aligned and filled with zeros ("0000012345"), free text is left-aligned and
// filled with blanks. A value is never cut: a value longer than its field renders
// longer, and keeping such values out of the file is the job of the records' rules.
//
//   DtAusField konto;
//   konto.FieldLength(10);
//   konto.FieldCharCompletion(kFillZero);
//   konto.FieldValue("12345");
//   konto.toFileString();   // "0000012345"
//
// The records keep their layouts as constant tables and render through AppendField,
// the same routine toFileString uses.
#ifndef DTAUS_FIELDS_DT_AUS_FIELD_H_
#define DTAUS_FIELDS_DT_AUS_FIELD_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace dtaus::detail {

// Fill modes: blanks or zeros. Any other value cannot be rendered.
inline constexpr std::int32_t kFillBlank = 0;
inline constexpr std::int32_t kFillZero = 1;

// Appends `value` (valid UTF-8) padded to `width` characters with the fill character,
// after the value when `left_aligned`, before it otherwise. Throws DtausError
// (kFieldRenderError) when padding is needed with an unknown fill mode, or when the
// value is longer than 32,767 characters (field lengths are 16-bit counts).
void AppendField(std::string& out, std::string_view value, std::int16_t width,
                 bool left_aligned, std::int32_t fill);

class DtAusField {
 public:
  void FieldLength(std::int16_t width) { width_ = width; }
  std::int16_t FieldLength() const { return width_; }
  void FieldValue(std::string_view value) { value_ = value; }
  const std::string& FieldValue() const { return value_; }
  void IsLeftAligned(bool left) { left_aligned_ = left; }
  bool IsLeftAligned() const { return left_aligned_; }
  void FieldCharCompletion(std::int32_t fill) { fill_ = fill; }
  std::int32_t FieldCharCompletion() const { return fill_; }

  // The field as it stands in the file; throws DtausError like AppendField.
  std::string toFileString() const;

 private:
  std::string value_;
  std::int16_t width_ = 0;
  bool left_aligned_ = false;
  std::int32_t fill_ = kFillBlank;
};

}  // namespace dtaus::detail

#endif  // DTAUS_FIELDS_DT_AUS_FIELD_H_
