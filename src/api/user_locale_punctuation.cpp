#include "user_locale_punctuation.h"

#include <windows.h>

#include <iterator>
#include <string>
#include <string_view>

#include "bstr_text.h"

namespace dtaus::com {
namespace {

// One value of the user default locale, or the empty text when Windows has none. The
// separators are at most three characters and the grouping nine sizes, but a user's own
// settings are not checked that strictly, so there is room to spare.
std::string UserLocaleText(LCTYPE type) {
  wchar_t buffer[80];
  const int length = ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, buffer,
                                       static_cast<int>(std::size(buffer)));
  if (length <= 1) return {};
  return ToUtf8(std::wstring_view(buffer, static_cast<std::size_t>(length - 1)));
}

}  // namespace

detail::NumberPunctuation UserLocalePunctuation() {
  detail::NumberPunctuation punctuation{
      UserLocaleText(LOCALE_SDECIMAL), UserLocaleText(LOCALE_STHOUSAND),
      detail::GroupingFromWindows(UserLocaleText(LOCALE_SGROUPING))};
  if (punctuation.decimal_point.empty()) return detail::GlobalLocalePunctuation();
  return punctuation;
}

}  // namespace dtaus::com
