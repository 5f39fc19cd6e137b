#include "records/opt_field.h"

#include <cstring>

#include "fields/dt_aus_field.h"
#include "fields/text_codec.h"

namespace dtaus::detail {
namespace {

constexpr std::int16_t kTypeMissing = 1000;
constexpr std::int16_t kTypeInvalid = 1001;
constexpr std::int16_t kTypeFailure = 1005;
constexpr std::int16_t kValueMissing = 1010;
constexpr std::int16_t kValueTooLong = 1011;
constexpr std::int16_t kValueFailure = 1015;

}  // namespace

OptField::OptField() {
  errors_.RuleBroken(kTypeMissing, true, "<Field Type> not set");
  errors_.RuleBroken(kValueMissing, true, "<Field Value> not set");
}

OptField::OptField(std::int32_t type) {
  // The value rule first: an invalid type then ends up behind it, as after OptField()
  // and FieldType(type).
  errors_.RuleBroken(kValueMissing, true, "<Field Value> not set");
  FieldType(type);
}

void OptField::FieldType(std::int32_t type) {
  errors_.RuleBroken(kTypeMissing, false);
  errors_.RuleBroken(kTypeFailure, false);
  if (type < 0 || type > 2) {
    errors_.RuleBroken(kTypeInvalid, true, "Invalid Value for an Optional Field Type");
    return;
  }
  code_[0] = '0';
  code_[1] = static_cast<char>('1' + type);
  errors_.RuleBroken(kTypeInvalid, false);
}

void OptField::FieldValue(std::string_view text) {
  errors_.RuleBroken(kValueMissing, false);
  errors_.RuleBroken(kValueFailure, false);
  try {
    if (!IsValidUtf8(text)) {
      errors_.RuleBroken(kValueFailure, true, "Unexpected Error setting <Field Value>");
      return;
    }
    if (CountCodePoints(text) > kTextWidth) {
      errors_.RuleBroken(kValueTooLong, true,
                         "Optional Field's Length exceeds the limit(27 chars).");
      return;
    }
    text_ = text;
    errors_.RuleBroken(kValueTooLong, false);
  } catch (...) {
    errors_.RuleBroken(kValueFailure, true, "Unexpected Error setting <Field Value>");
  }
}

namespace {

constexpr std::string_view kInvalidStream = "ERROR: Optional Field Invalid";
static_assert(kInvalidStream.size() == OptField::kStreamWidth);

}  // namespace

char* OptField::writeInvalidStream(char* out) const {
  std::memcpy(out, kInvalidStream.data(), kInvalidStream.size());
  return out + kInvalidStream.size();
}

void OptField::appendFieldAsStream(std::string& out) const {
  RawAppend append(out, StreamBound());
  append.cursor = writeFieldAsStream(append.cursor);
}

std::string OptField::getFieldAsStream() const {
  std::string out;
  appendFieldAsStream(out);
  return out;
}

std::string OptField::OptionalFieldErrors() const {
  return errors_.Report("Optional Fields Errors:", "");
}

}  // namespace dtaus::detail
