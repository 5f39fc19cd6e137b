#include "records/compiled_layout.h"

#include "fields/dt_aus_field.h"
#include "fields/dtaus_error.h"

namespace dtaus::detail {

bool CompiledLayout::Compile(std::span<const FieldSpec> layout, std::span<const ShortText> values,
                             std::uint64_t own_slots, char32_t* unmappable) {
  count_ = 0;
  shared_.clear();
  const auto add_step = [this](const Step& step) {
    if (count_ == kMaxSteps) throw DtausError(kFieldRenderError, "Record layout too long");
    steps_[count_++] = step;
  };
  for (const FieldSpec& f : layout) {
    if (f.slot != FieldSpec::kConstant && (own_slots & SlotBit(f.slot)) != 0) {
      const bool word_sized = f.width >= 0 && f.width <= 32 &&
                              (f.fill == kFillBlank || f.fill == kFillZero);
      add_step({word_sized ? Kind::kWordField : Kind::kOtherField, f.slot, f.width,
                f.left_aligned, f.fill,
                f.fill == kFillZero ? field_bytes::kZeros : field_bytes::kBlanks, 0});
      continue;
    }
    // A shared field: render it at the end of the runs, and extend the run before it
    // or start a new one.
    const std::size_t start = shared_.size();
    RawAppend append(shared_, FieldBound(FieldValueOf(f, values), f.width));
    if (f.slot == FieldSpec::kConstant) {
      append.cursor = WriteField(append.cursor, f.constant, f.width, f.left_aligned, f.fill);
    } else {
      char* const end = WriteEncodedField(append.cursor, values[static_cast<std::size_t>(f.slot)],
                                          f.width, f.left_aligned, f.fill, unmappable);
      if (end == nullptr) {
        append.cursor = shared_.data() + start;
        return false;
      }
      append.cursor = end;
    }
    const auto width = static_cast<std::int16_t>(append.cursor - (shared_.data() + start));
    if (count_ > 0 && steps_[count_ - 1].kind == Kind::kRun) {
      steps_[count_ - 1].width = static_cast<std::int16_t>(steps_[count_ - 1].width + width);
    } else {
      add_step({Kind::kRun, 0, width, false, kFillBlank, nullptr,
                static_cast<std::uint32_t>(start)});
    }
  }
  // Runs are copied in whole words: the last may read a word beyond its end.
  shared_.append(ShortText::kInlineWord, ' ');
  return true;
}

char* CompiledLayout::Write(char* out, std::span<const ShortText> values,
                            char32_t* unmappable) const {
  for (std::size_t i = 0; i < count_; ++i) {
    const Step& step = steps_[i];
    const auto width = static_cast<std::size_t>(step.width);
    if (step.kind == Kind::kRun) {
      out = CopyWords(out, shared_.data() + step.offset, width);
      continue;
    }
    const ShortText& value = values[static_cast<std::size_t>(step.slot)];
    if (step.kind == Kind::kWordField && value.IsAscii() && value.AsciiSize() <= width) {
      out = WriteWordField(out, value, width, step.left_aligned, step.pattern);
      continue;
    }
    out = WriteFileField(out, value, step.width, step.left_aligned, step.fill, unmappable);
    if (out == nullptr) return nullptr;
  }
  return out;
}

}  // namespace dtaus::detail
