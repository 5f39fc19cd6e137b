#include "records/opt_field.h"

#include <cstring>

#include "fields/dt_aus_field.h"
#include "fields/text_codec.h"

namespace dtaus::detail {
namespace {

// The messages of the part's rules, by rule index.
constexpr std::string_view kMessages[] = {
    "<Field Type> not set",
    "Invalid Value for an Optional Field Type",
    "<Field Value> not set",
    "Optional Field's Length exceeds the limit(27 chars).",
    "Unexpected Error setting <Field Value>",
};

// What an invalid part writes in place of its 29 characters.
constexpr std::string_view kInvalidStream = "ERROR: Optional Field Invalid";
static_assert(kInvalidStream.size() == OptField::kStreamWidth);

}  // namespace

void OptField::FieldType(std::int32_t type) {
  errors_.Clear(kTypeMissing);
  if (type < 0 || type > 2) {
    errors_.Break(kTypeInvalid);
    return;
  }
  SetCode(type);
  errors_.Clear(kTypeInvalid);
}

OptField::TextCheck OptField::CheckValue(std::string_view text) {
  const Utf8Length length = MeasureUtf8(text);
  if (!length.valid) return TextCheck::kNotUtf8;
  return length.code_points > kTextWidth ? TextCheck::kTooLong : TextCheck::kAccepted;
}

void OptField::FieldValue(std::string_view text) {
  const TextCheck check = CheckValue(text);
  if (check == TextCheck::kAccepted) {
    try {
      AcceptValue(text);
      return;
    } catch (...) {
      // No memory for a long text: an unexpected failure like a broken one.
    }
  }
  errors_.Clear(kValueMissing);
  errors_.Clear(kValueFailure);
  errors_.Break(check == TextCheck::kTooLong ? kValueTooLong : kValueFailure);
}

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
  static_assert(std::size(kMessages) == kRuleCount && kRuleCount <= PackedRules::kMaxRules);
  std::string report = "Optional Fields Errors:\r\r";
  errors_.ForEach([&report](unsigned rule) {
    report += kMessages[rule];
    report += '\r';
  });
  return report;
}

}  // namespace dtaus::detail
