#include "records/opt_fields.h"

#include <algorithm>
#include <string>
#include <limits>

#include "fields/dtaus_error.h"

namespace dtaus::detail {
namespace {

// The collection's own error for an index that matches no entry.
[[noreturn]] void NoSuchEntry() {
  throw DtausError(kObjectErrorBase + 5, "Invalid procedure call or argument");
}

}  // namespace

std::int16_t OptFields::getNextId() {
  if (next_id_ == std::numeric_limits<std::int16_t>::max()) {
    throw DtausError(kOptFieldsAddError, "Error adding the additional field");
  }
  return ++next_id_;
}

void OptFields::AddChecked(const OptField& part) {
  if (count_ >= kMaxParts) {
    throw DtausError(kOptFieldsLimitError, "Only maximum 15 Additional Fields are supported.");
  }
  try {
    entries_[static_cast<std::size_t>(count_)] = {getNextId(), &part};
    ++count_;
  } catch (...) {
    throw DtausError(kOptFieldsAddError, "Error adding the additional field");
  }
}

int OptFields::IndexOfKey(std::string_view key) const {
  for (int i = 0; i < count_; ++i) {
    if (std::to_string(entries_[static_cast<std::size_t>(i)].key) == key) return i;
  }
  return -1;
}

void OptFields::EraseAt(int index) {
  std::copy(entries_.begin() + index + 1, entries_.begin() + count_, entries_.begin() + index);
  --count_;
}

void OptFields::Delete(std::int32_t position) {
  if (position < 1 || position > count_) NoSuchEntry();
  EraseAt(position - 1);
}

void OptFields::Delete(std::string_view key) {
  const int index = IndexOfKey(key);
  if (index < 0) NoSuchEntry();
  EraseAt(index);
}

const OptField& OptFields::Item(std::int32_t position) const {
  if (position < 1 || position > count_) NoSuchEntry();
  return *entries_[static_cast<std::size_t>(position - 1)].part;
}

const OptField& OptFields::Item(std::string_view key) const {
  const int index = IndexOfKey(key);
  if (index < 0) NoSuchEntry();
  return *entries_[static_cast<std::size_t>(index)].part;
}

}  // namespace dtaus::detail
