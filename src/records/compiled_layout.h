// CompiledLayout: a record layout whose shared fields are rendered once per file.
//
// Of the 21 fields of a payment record C only eight are the payment's own: its bank
// code, account, reference, amount, name, purpose, record length and part count. The
// rest are constants and the ordering party's data from the header, the same in every
// record of the file. Generate renders those once, in Windows-1252, into runs of ready
// bytes; each record then copies four runs and renders only its own eight fields.
//
//   CompiledLayout layout;
//   layout.Compile(kRecordC, values, own_slots, &unmappable);  // once per file
//   out = layout.Write(out, values, &unmappable);              // per record
#ifndef DTAUS_RECORDS_COMPILED_LAYOUT_H_
#define DTAUS_RECORDS_COMPILED_LAYOUT_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "fields/short_text.h"
#include "records/record_layout.h"

namespace dtaus::detail {

class CompiledLayout {
 public:
  // Renders the constants and the slots outside `own_slots` (a mask of SlotBit) of `layout` from
  // `values` in Windows-1252; the fields of `own_slots` are left to Write. Returns false after
  // storing a character the code page lacks in `*unmappable`. Throws DtausError like
  // WriteField.
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
