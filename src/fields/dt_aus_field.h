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
// The records keep their layouts as constant tables and render through WriteField, the
// same routine toFileString uses.
#ifndef DTAUS_FIELDS_DT_AUS_FIELD_H_
#define DTAUS_FIELDS_DT_AUS_FIELD_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "fields/short_text.h"
#include "fields/text_codec.h"

namespace dtaus::detail {

// Fill modes: blanks or zeros. Any other value cannot be rendered.
inline constexpr std::int32_t kFillBlank = 0;
inline constexpr std::int32_t kFillZero = 1;

// Appends `value` (valid UTF-8) padded to `width` characters with the fill character,
// after the value when `left_aligned`, before it otherwise. Throws DtausError
// (kFieldRenderError) when padding is needed with an unknown fill mode, or when the
// value is longer than 32,767 characters (field lengths are 16-bit counts); `out` is
// unchanged then.
void AppendField(std::string& out, std::string_view value, std::int16_t width, bool left_aligned,
                 std::int32_t fill);

// The most bytes a field of `width` takes for `value`: the value and at most `width`
// fill characters.
inline std::size_t FieldBound(std::string_view value, std::int16_t width) {
  return value.size() + static_cast<std::size_t>(width > 0 ? width : 0);
}

// AppendField for a caller that has made room: writes the field at `out`, which must
// have FieldBound(value, width) bytes, and returns the end of what it wrote. Throws like
// AppendField, before writing anything.
char* WriteField(char* out, std::string_view value, std::int16_t width, bool left_aligned,
                 std::int32_t fill);

namespace field_bytes {

[[noreturn]] void ThrowTooLong();
[[noreturn]] void ThrowUnknownFill(std::int32_t fill);
[[noreturn]] void ThrowLongerThanField();

inline constexpr char kBlanks[32] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
                                     ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
                                     ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
inline constexpr char kZeros[32] = {'0', '0', '0', '0', '0', '0', '0', '0', '0', '0', '0',
                                    '0', '0', '0', '0', '0', '0', '0', '0', '0', '0', '0',
                                    '0', '0', '0', '0', '0', '0', '0', '0', '0', '0'};

// Writes n copies of the fill character whose 32 copies are `pattern`.
inline char* Fill(char* out, const char* pattern, std::size_t n) {
  for (; n > 32; n -= 32, out += 32) std::memcpy(out, pattern, 32);
  CopyBytes(out, pattern, n);
  return out + n;
}

}  // namespace field_bytes

// Writes a field of `length` characters padded to `width`: the fill, then what
// `write_value(out)` writes (the value, returning its end or nullptr), or the other way
// round when left-aligned. Throws like WriteField before writing anything.
template <typename WriteValue>
inline char* WritePaddedField(char* out, std::size_t length, std::int16_t width,
                              bool left_aligned, std::int32_t fill, WriteValue write_value) {
  if (length > 32767) field_bytes::ThrowTooLong();
  std::size_t padding = 0;
  const char* pattern = field_bytes::kBlanks;
  if (static_cast<std::int64_t>(length) < width) {
    if (fill == kFillZero) {
      pattern = field_bytes::kZeros;
    } else if (fill != kFillBlank) {
      field_bytes::ThrowUnknownFill(fill);
    }
    padding = static_cast<std::size_t>(width) - length;
  }
  if (!left_aligned) out = field_bytes::Fill(out, pattern, padding);
  out = write_value(out);
  return left_aligned && out != nullptr ? field_bytes::Fill(out, pattern, padding) : out;
}

// WriteField for a value whose number of characters the caller knows (ShortText does).
// Inline, so that the records' loops over their forty-odd fields make no call per field.
inline char* WriteCountedField(char* out, std::string_view value, std::size_t length,
                               std::int16_t width, bool left_aligned, std::int32_t fill) {
  return WritePaddedField(out, length, width, left_aligned, fill, [value](char* at) {
    CopyBytes(at, value.data(), value.size());
    return at + value.size();
  });
}

// WriteCountedField for the file itself: the field in Windows-1252, one byte per
// character. Returns nullptr after storing a character the code page lacks in
// `*unmappable`. Nearly every value is ASCII and is copied as it is.
inline char* WriteEncodedField(char* out, const ShortText& value, std::int16_t width,
                               bool left_aligned, std::int32_t fill, char32_t* unmappable) {
  const std::string_view text = value.view();
  if (value.IsAscii()) return WriteCountedField(out, text, text.size(), width, left_aligned, fill);
  return WritePaddedField(out, value.CharCount(), width, left_aligned, fill,
                          [text, unmappable](char* at) {
                            return WriteWindows1252(at, text, unmappable);
                          });
}

// Appends to a string through a raw pointer. A record is some forty short fields, and
// appending each piece to a std::string checks capacity and length every time; instead
// the string grows once by an upper bound, the pieces are written at `cursor`, and the
// destructor cuts the string back to what was written, also when a write throws.
//
//   RawAppend append(out, FieldBound(value, 10));
//   append.cursor = WriteField(append.cursor, value, 10, false, kFillZero);
class RawAppend {
 public:
  RawAppend(std::string& out, std::size_t bound) : out_(out) {
    const std::size_t start = out.size();
    out.resize(start + bound);
    cursor = out.data() + start;
  }
  ~RawAppend() { out_.resize(static_cast<std::size_t>(cursor - out_.data())); }
  RawAppend(const RawAppend&) = delete;
  RawAppend& operator=(const RawAppend&) = delete;

  char* cursor;

 private:
  std::string& out_;
};

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
