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
    keys_[static_cast<std::size_t>(count_)] = getNextId();
    parts_[static_cast<std::size_t>(count_)] = &part;
    ++count_;
  } catch (...) {
    throw DtausError(kOptFieldsAddError, "Error adding the additional field");
  }
}

int OptFields::IndexOfKey(std::string_view key) const {
  for (int i = 0; i < count_; ++i) {
    if (std::to_string(keys_[static_cast<std::size_t>(i)]) == key) return i;
  }
  return -1;
}

void OptFields::EraseAt(int index) {
  std::copy(parts_.begin() + index + 1, parts_.begin() + count_, parts_.begin() + index);
  std::copy(keys_.begin() + index + 1, keys_.begin() + count_, keys_.begin() + index);
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
  return *parts_[static_cast<std::size_t>(position - 1)];
}

const OptField& OptFields::Item(std::string_view key) const {
  const int index = IndexOfKey(key);
  if (index < 0) NoSuchEntry();
  return *parts_[static_cast<std::size_t>(index)];
}

}  // namespace dtaus::detail
