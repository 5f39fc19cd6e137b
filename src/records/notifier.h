// The one place where the library speaks to the interactive user directly.
//
// When the first continuation block of a payment record cannot be built, the user is
// shown the failure's description in a modal message with an OK button, and the
// record goes on without that block. On Windows that is a real message box; elsewhere
// the default writes one line to standard error. Tests replace it.
#ifndef DTAUS_RECORDS_NOTIFIER_H_
#define DTAUS_RECORDS_NOTIFIER_H_

#include <string_view>

namespace dtaus::detail {

using Notifier = void (*)(std::string_view message);

// Shows `message` through the installed notifier and returns once it was acknowledged.
void Notify(std::string_view message);

// Installs `notifier` (nullptr restores the platform's) and returns the previous one.
Notifier SetNotifier(Notifier notifier);

}  // namespace dtaus::detail

#endif  // DTAUS_RECORDS_NOTIFIER_H_
