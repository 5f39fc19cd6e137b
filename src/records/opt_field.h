// OptField: one extension part of a payment record C.
//
// A record C has single 27-character slots for the other party's name, the purpose and
// the ordering party's name. Longer texts continue in extension parts of 29 characters:
// a two-digit type code and 27 characters of text.
//
//   code "01": continuation of the other party's name     (Name2)
//   code "02": continuation of the purpose, up to 13 times (VerwendungsZweck2..14)
//   code "03": continuation of the ordering party's name  (MeineInfoName2)
//
// A part is valid once it has a type and a text (the empty text counts); only valid
// parts are written. Its problems are recorded in its own tracker, in English: parts
// are internal, and their messages never reach a host. A payment may carry fifteen
// parts, so a part is kept small: its text, its code and a packed tracker, 40 bytes.
#ifndef DTAUS_RECORDS_OPT_FIELD_H_
#define DTAUS_RECORDS_OPT_FIELD_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "fields/dt_aus_field.h"
#include "fields/packed_rules.h"
#include "fields/short_text.h"
#include "records/compiled_layout.h"

namespace dtaus::detail {

class OptField {
 public:
  static constexpr int kTextWidth = 27;
  static constexpr int kStreamWidth = 29;

  OptField() {
    errors_.Break(kTypeMissing);
    errors_.Break(kValueMissing);
  }
  // A part of a known type, as a payment creates its parts: the state of OptField()
  // followed by FieldType(type), in a few stores. The value rule comes first, so that
  // an invalid type ends up behind it, as after OptField() and FieldType(type).
  explicit OptField(std::int32_t type) {
    errors_.Break(kValueMissing);
    if (type < 0 || type > 2) {
      errors_.Break(kTypeInvalid);
      return;
    }
    SetCode(type);
  }

  // 0, 1 or 2 for the codes "01", "02", "03"; anything else breaks a rule.
  void FieldType(std::int32_t type);
  // At most 27 characters of valid UTF-8.
  void FieldValue(std::string_view text);

  // What FieldValue makes of a text: stored, or kept out and why. For a record that
  // checks a continuation text against its own rules first and then hands it on, so
  // that the text is examined once.
  enum class TextCheck { kAccepted, kTooLong, kNotUtf8 };
  static TextCheck CheckValue(std::string_view text);
  // FieldValue for a text that CheckValue accepted. Inline: a payment with all its
  // lines takes fifteen.
  void AcceptValue(std::string_view text) {
    text_ = text;
    errors_.Clear(kValueMissing);
    errors_.Clear(kValueFailure);
    errors_.Clear(kValueTooLong);
  }

  // The 29-character stream form: the code, then the text left-aligned in 27 blanks;
  // "ERROR: Optional Field Invalid" (also 29 characters) for an invalid part.
  std::string getFieldAsStream() const;
  void appendFieldAsStream(std::string& out) const;
  // The stream form written at `out`, which must have StreamBound() bytes; returns the
  // end. For records that render all their parts into one buffer.
  // Inline: a record writes up to fifteen of them.
  char* writeFieldAsStream(char* out) const {
    if (!OptionalFieldValid()) return writeInvalidStream(out);
    out[0] = code_[0];
    out[1] = code_[1];
    return WriteCountedField(out + 2, text_.view(), text_.CharCount(), kTextWidth, true,
                             kFillBlank);
  }
  std::size_t StreamBound() const { return FieldBound(text_.view(), kTextWidth) + 2; }
  // writeFieldAsStream as the file carries it, in Windows-1252; nullptr after storing a
  // character the code page lacks in `*unmappable`.
  // Writes with whole words and may store up to kWordSlack bytes past the part (see
  // compiled_layout.h): the room must reach that far.
  char* writeEncodedStream(char* out, char32_t* unmappable) const {
    if (!OptionalFieldValid()) return writeInvalidStream(out);
    out[0] = code_[0];
    out[1] = code_[1];
    return WriteFileField(out + 2, text_, kTextWidth, true, kFillBlank, unmappable);
  }

  bool OptionalFieldValid() const { return errors_.empty(); }
  std::string OptionalFieldErrors() const;

  std::string_view code() const { return code_; }
  std::string_view text() const { return text_.view(); }

 private:
  // The part's rules, by their index in its tracker. (The type has a failure rule of
  // its own in the classic set, which nothing ever breaks; clearing it changes nothing.)
  enum Rule : unsigned {
    kTypeMissing,
    kTypeInvalid,
    kValueMissing,
    kValueTooLong,
    kValueFailure,
    kRuleCount
  };

  char* writeInvalidStream(char* out) const;
  void SetCode(std::int32_t type) {
    code_[0] = '0';
    code_[1] = static_cast<char>('1' + type);
  }

  ShortText text_;
  PackedRules errors_;  // mErrors, as indices into the part's table of rules
  char code_[3] = {};
};

static_assert(sizeof(OptField) <= 40);

}  // namespace dtaus::detail

#endif  // DTAUS_RECORDS_OPT_FIELD_H_
