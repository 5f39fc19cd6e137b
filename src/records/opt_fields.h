// OptFields: an ordered, keyed collection of extension parts, at most 15, with the
// classic keyed collection's behaviour: entries are keyed "1", "2", ... by a counter that
// never reuses a key, and a sixteenth part is refused.
//
// A payment does not keep one: it holds its parts, and the choice of those its record
// writes, in OptFieldSlots, which needs neither keys nor a pointer per part.
//
// The collection refers to parts it does not own and must not outlive them, so it stores
// plain pointers. Its capacity is fixed: a DTAUS record has room for 15 parts.
#ifndef DTAUS_RECORDS_OPT_FIELDS_H_
#define DTAUS_RECORDS_OPT_FIELDS_H_

#include <array>
#include <cstdint>
#include <limits>
#include <string_view>

#include "records/opt_field.h"

namespace dtaus::detail {

class OptFields {
 public:
  static constexpr int kMaxParts = 15;

  // Increments the key counter and returns its new value.
  std::int16_t getNextId();

  // Appends `part`. Throws DtausError kOptFieldsLimitError ("Only maximum 15
  // Additional Fields are supported.") when full, leaving collection and counter as they
  // were; kOptFieldsAddError ("Error adding the additional field") on any other failure.
  void Add(const OptField& part) {
    // The usual case inline.
    if (count_ < kMaxParts && next_id_ < kLastId) {
      const auto at = static_cast<std::size_t>(count_++);
      parts_[at] = &part;
      keys_[at] = ++next_id_;
      return;
    }
    AddChecked(part);
  }

  std::int32_t Count() const { return count_; }
  // Empties the collection and starts the keys again, as a new collection would.
  void Clear() {
    count_ = 0;
    next_id_ = 0;
  }

  // By 1-based position, or by key text. Throw DtausError when nothing matches.
  void Delete(std::int32_t position);
  void Delete(std::string_view key);
  const OptField& Item(std::int32_t position) const;
  const OptField& Item(std::string_view key) const;

  // The parts in insertion order: what the enumerator of the collection visits.
  const OptField* const* begin() const { return parts_.data(); }
  const OptField* const* end() const { return parts_.data() + count_; }

 private:
  static constexpr std::int16_t kLastId = std::numeric_limits<std::int16_t>::max();

  // Add when the collection is full or the keys are used up: throws as Add says.
  void AddChecked(const OptField& part);
  int IndexOfKey(std::string_view key) const;
  void EraseAt(int index);

  // Parts and keys side by side: two arrays take 150 bytes where pairs would take 240.
  std::array<const OptField*, kMaxParts> parts_{};
  std::array<std::int16_t, kMaxParts> keys_{};
  std::int32_t count_ = 0;
  std::int16_t next_id_ = 0;
};

}  // namespace dtaus::detail

#endif  // DTAUS_RECORDS_OPT_FIELDS_H_
