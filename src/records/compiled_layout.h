// Generate's fast path: record C straight into the file's bytes, in whole words.
//
// A full file holds 32,767 payment records of 21 fields and up to fifteen extension
// parts each. Generate writes them without a temporary text and nearly without a branch
// per field, with two tricks that live here together:
//
// - CompiledLayout: of the 21 fields of a record C only eight are the payment's own
//   (its bank code, account, reference, amount, name, purpose, record length and part
//   count). The rest are constants and the ordering party's data from the header, the
//   same in every record of the file. Generate renders those once, in Windows-1252, into
//   runs of ready bytes; each record then copies four runs and renders only its own
//   fields.
// - Word writers: nearly every value is ASCII and at most 32 characters, and its field
//   is at most 32 wide. Such a field is written as two stores of 32 bytes, the fill word
//   and the value's ShortText storage word one over the other, with no branch on the
//   value's length.
//
// The price of both is a promise: the writers below may store up to kWordSlack bytes
// past the end of the field or run they write. Whatever lands there is overwritten by the
// next field, so a record comes out exact, but whoever provides the room must give
// kWordSlack bytes more than the record needs (Generate asks its output for the largest
// record plus kWordSlack). The same reach holds on the reading side: the runs and the
// storage words they copy from have 32 readable bytes at every start.
//
//   CompiledLayout layout;
//   layout.Compile(record_c::kLayout, values, record_c::kOwnSlots, &unmappable);  // per file
//   out = layout.Write(out, values, &unmappable);                                 // per record
#ifndef DTAUS_RECORDS_COMPILED_LAYOUT_H_
#define DTAUS_RECORDS_COMPILED_LAYOUT_H_

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>

#include "fields/dt_aus_field.h"
#include "fields/short_text.h"
#include "fields/text_codec.h"
#include "records/record_layout.h"

namespace dtaus::detail {

// How far past the end of what they write the writers below may store: they move whole
// 32-byte words. Room for a record must reach this far beyond the record's bound.
inline constexpr std::size_t kWordSlack = 32;

// Writes `n` bytes of `pattern` (at least n readable bytes, rounded up to whole words)
// in whole words; stores up to kWordSlack bytes past out + n.
inline char* CopyWords(char* out, const char* pattern, std::size_t n) {
  for (std::size_t i = 0; i < n; i += 32) std::memcpy(out + i, pattern + i, 32);
  return out + n;
}

// Writes `n` copies of the fill character whose 32 copies are `word`, in whole words;
// stores up to kWordSlack bytes past out + n.
inline char* FillWords(char* out, const char* word, std::size_t n) {
  for (std::size_t i = 0; i < n; i += 32) std::memcpy(out + i, word, 32);
  return out + n;
}

// An ASCII value in a field of at most 32 characters: the value's storage word and the
// fill word, one over the other. Stores up to kWordSlack bytes past the field.
inline char* WriteWordField(char* out, const ShortText& ascii, std::size_t width, bool left_aligned,
                            const char* pattern) {
  constexpr std::size_t kWord = ShortText::kInlineWord;
  static_assert(kWord <= kWordSlack && kWord <= sizeof field_bytes::kBlanks);
  const std::size_t n = ascii.AsciiSize();
  if (left_aligned) {
    std::memcpy(out, ascii.InlineWord(), kWord);
    std::memcpy(out + n, pattern, kWord);
  } else {
    std::memcpy(out, pattern, kWord);
    std::memcpy(out + (width - n), ascii.InlineWord(), kWord);
  }
  return out + width;
}

// WriteEncodedField for the hot loop of Generate; stores up to kWordSlack bytes past the
// field. It writes exactly `width` bytes: a value longer than its field, which the
// records' rules keep out of every file, throws DtausError (kFieldRenderError) instead
// of shifting the rest of the record. An ASCII value of a field of at most 32 characters
// (nearly every value of a payment) takes two fixed-size copies and no branch on its
// length (see WriteWordField).
inline char* WriteFileField(char* out, const ShortText& value, std::int16_t width,
                            bool left_aligned, std::int32_t fill, char32_t* unmappable) {
  const bool word_sized = width <= 32 && (fill == kFillBlank || fill == kFillZero);
  const char* const pattern = fill == kFillZero ? field_bytes::kZeros : field_bytes::kBlanks;
  if (value.IsAscii() && word_sized && value.AsciiSize() <= static_cast<std::size_t>(width)) {
    return WriteWordField(out, value, static_cast<std::size_t>(width), left_aligned, pattern);
  }
  const std::size_t n = value.CharCount();
  if (n > static_cast<std::size_t>(std::max<std::int16_t>(width, 0))) {
    field_bytes::ThrowLongerThanField();
  }
  if (word_sized && left_aligned) {
    // Text with umlauts: one byte per character, then the fill word behind it.
    char* const end = WriteWindows1252(out, value.view(), unmappable);
    if (end == nullptr) return nullptr;
    std::memcpy(end, pattern, ShortText::kInlineWord);
    return out + width;
  }
  return WriteEncodedField(out, value, width, left_aligned, fill, unmappable);
}

class CompiledLayout {
 public:
  // Renders the constants and the slots outside `own_slots` (a mask of SlotBit) of
  // `layout` from `values` in Windows-1252; the fields of `own_slots` are left to Write.
  // Returns false after storing a character the code page lacks in `*unmappable`. Throws
  // DtausError like WriteField.
  bool Compile(std::span<const FieldSpec> layout, std::span<const ShortText> values,
               std::uint64_t own_slots, char32_t* unmappable);

  // Writes the record's fields at `out`: the shared runs as compiled and the own slots
  // from `values`, which must hold the same shared values as the ones compiled. Each
  // field takes exactly its width (see WriteFileField), so the room needed is the
  // layout's width and kWordSlack behind it. Returns the end, or nullptr after storing
  // a character the code page lacks in `*unmappable`. Throws DtausError like
  // WriteFileField.
  char* Write(char* out, std::span<const ShortText> values, char32_t* unmappable) const;

 private:
  // How a step is written: a run of shared bytes, an own field that takes whole words
  // when its value is ASCII (see WriteWordField), or any other own field.
  enum class Kind : std::uint8_t { kRun, kWordField, kOtherField };
  struct Step {
    Kind kind;
    int slot;  // the own slot of a field
    std::int16_t width;
    bool left_aligned;
    std::int32_t fill;
    const char* pattern;   // the fill word of a word-sized field
    std::uint32_t offset;  // a run: shared_[offset, offset + width)
  };
  static constexpr std::size_t kMaxSteps = 64;

  std::array<Step, kMaxSteps> steps_{};
  std::size_t count_ = 0;
  std::string shared_;
};

}  // namespace dtaus::detail

#endif  // DTAUS_RECORDS_COMPILED_LAYOUT_H_
