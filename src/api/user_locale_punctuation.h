// The number punctuation of the Windows user locale, for the amounts a host assigns.
//
// For an automation host "the user's locale" is the Windows one: VBScript's CStr, VBA's
// Str$ conversions of its own and the cells of Excel all write numbers with the decimal
// and grouping separators chosen in the Region settings, so CStr(1234.56) is "1234,56"
// on a German Windows. The C++ runtime's global locale says nothing about that (it stays
// "C" in a DLL), so the server installs this reader for the core when it is loaded.
// It asks Windows at each call: a user who changes the settings while Excel is open
// gets the next amount read the new way, as Excel writes it.
#ifndef DTAUS_API_USER_LOCALE_PUNCTUATION_H_
#define DTAUS_API_USER_LOCALE_PUNCTUATION_H_

#include "fields/number_punctuation.h"

namespace dtaus::com {

// LOCALE_SDECIMAL, LOCALE_STHOUSAND and LOCALE_SGROUPING of the user default locale, in
// UTF-8 and numpunct form; the global C++ locale's should Windows answer nothing.
// Throws std::bad_alloc.
detail::NumberPunctuation UserLocalePunctuation();

}  // namespace dtaus::com

#endif  // DTAUS_API_USER_LOCALE_PUNCTUATION_H_
