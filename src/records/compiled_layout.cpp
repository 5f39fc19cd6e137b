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
    if (f.slot != FieldSpec::kConstant && (own_slots & Slot(f.slot)) != 0) {
      add_step({f.slot, f.width, f.left_aligned, f.fill, 0});
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
    if (count_ > 0 && steps_[count_ - 1].slot == kRun) {
      steps_[count_ - 1].width = static_cast<std::int16_t>(steps_[count_ - 1].width + width);
    } else {
      add_step({kRun, width, false, kFillBlank, static_cast<std::uint32_t>(start)});
    }
  }
  return true;
}

char* CompiledLayout::Write(char* out, std::span<const ShortText> values,
                            char32_t* unmappable) const {
  for (std::size_t i = 0; i < count_ && out != nullptr; ++i) {
    const Step& step = steps_[i];
    if (step.slot == kRun) {
      field_bytes::CopyBytes(out, shared_.data() + step.offset,
                             static_cast<std::size_t>(step.width));
      out += step.width;
    } else {
      out = WriteFileField(out, values[static_cast<std::size_t>(step.slot)], step.width,
                           step.left_aligned, step.fill, unmappable);
    }
  }
  return out;
}

}  // namespace dtaus::detail
