// Record layouts as data.
//
// Each DTAUS record is declared once as a table of its fixed-width fields. A field
// either shows one of the record's stored values (its slot) or a constant: the record
// type letter, the currency code, or an empty reserve that renders as blanks or zeros.
// Records render by walking their table, so the layout is visible in one place and its
// widths are checked at compile time against the record length.
#ifndef DTAUS_RECORDS_RECORD_LAYOUT_H_
#define DTAUS_RECORDS_RECORD_LAYOUT_H_

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "fields/dt_aus_field.h"
#include "fields/short_text.h"

namespace dtaus::detail {

struct FieldSpec {
  std::string_view field;  // the DTAUS field, e.g. "A7"
  std::int16_t width;
  bool left_aligned;
  std::int32_t fill;  // kFillBlank or kFillZero
  int slot;           // index of the record's stored value, or kConstant
  std::string_view constant;

  static constexpr int kConstant = -1;
};

template <std::size_t N>
constexpr std::size_t TotalWidth(const FieldSpec (&layout)[N]) {
  std::size_t total = 0;
  for (const FieldSpec& f : layout) total += static_cast<std::size_t>(f.width);
  return total;
}

// A set of slots as a mask: bit s stands for slot s.
constexpr std::uint64_t SlotBit(int slot) { return std::uint64_t{1} << slot; }

// The slot value or constant that field `f` shows.
inline std::string_view FieldValueOf(const FieldSpec& f, std::span<const ShortText> values) {
  return f.slot == FieldSpec::kConstant ? f.constant
                                        : values[static_cast<std::size_t>(f.slot)].view();
}

// The most bytes WriteLayout writes.
inline std::size_t LayoutBound(std::span<const FieldSpec> layout,
                               std::span<const ShortText> values) {
  std::size_t bound = 0;
  for (const FieldSpec& f : layout) bound += FieldBound(FieldValueOf(f, values), f.width);
  return bound;
}

// Writes the fields of `layout` in order at `out`, which must have LayoutBound bytes,
// and returns the end. Throws DtausError like WriteField.
inline char* WriteLayout(char* out, std::span<const FieldSpec> layout,
                         std::span<const ShortText> values) {
  for (const FieldSpec& f : layout) {
    if (f.slot == FieldSpec::kConstant) {
      out = WriteField(out, f.constant, f.width, f.left_aligned, f.fill);
    } else {
      const ShortText& v = values[static_cast<std::size_t>(f.slot)];
      out = WriteCountedField(out, v.view(), v.CharCount(), f.width, f.left_aligned, f.fill);
    }
  }
  return out;
}

// Appends the fields of `layout` in order, taking slot values from `values`. Throws
// DtausError like AppendField; `out` is unchanged then.
inline void AppendLayout(std::string& out, std::span<const FieldSpec> layout,
                         std::span<const ShortText> values) {
  const std::size_t start = out.size();
  RawAppend append(out, LayoutBound(layout, values));
  try {
    append.cursor = WriteLayout(append.cursor, layout, values);
  } catch (...) {
    append.cursor = out.data() + start;
    throw;
  }
}

}  // namespace dtaus::detail

#endif  // DTAUS_RECORDS_RECORD_LAYOUT_H_
