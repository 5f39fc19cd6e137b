// The one error type that the library's internal helpers raise.
//
// Public members never throw: the record that calls a helper catches DtausError and
// turns it into the broken rule or error text the design names for that place. The
// codes are automation error numbers (object-error base plus a small number), because
// the automation server passes them on unchanged and callers tell failures apart by
// them, e.g. a date that breaks a rule (610) from one that could not be processed (600).
#ifndef DTAUS_FIELDS_DTAUS_ERROR_H_
#define DTAUS_FIELDS_DTAUS_ERROR_H_

#include <cstdint>
#include <stdexcept>
#include <string>

namespace dtaus::detail {

inline constexpr std::int32_t kObjectErrorBase = static_cast<std::int32_t>(0x80040000u);
inline constexpr std::int32_t kDateValueError = kObjectErrorBase + 600;       // 0x80040258
inline constexpr std::int32_t kDateFormatError = kObjectErrorBase + 610;      // 0x80040262
inline constexpr std::int32_t kOptFieldsLimitError = kObjectErrorBase + 721;  // 0x800402D1
inline constexpr std::int32_t kOptFieldsAddError = kObjectErrorBase + 722;    // 0x800402D2
inline constexpr std::int32_t kFieldRenderError = kObjectErrorBase + 900;     // 0x80040384

class DtausError : public std::runtime_error {
 public:
  DtausError(std::int32_t code, const std::string& description)
      : std::runtime_error(description), code_(code) {}

  std::int32_t code() const noexcept { return code_; }
  std::string Description() const { return what(); }

 private:
  std::int32_t code_;
};

}  // namespace dtaus::detail

#endif  // DTAUS_FIELDS_DTAUS_ERROR_H_
