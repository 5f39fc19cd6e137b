// SafeEcho: text from the user's input, made safe to show on a terminal.
//
// Messages and the summary repeat what the input says: a property name, a value, a file
// name. A JSON string may carry any character through an escape ("\u001b[2J" clears the
// screen), and a CSV cell any byte; shown raw, such text could move the cursor, rewrite
// what the user reads or change the terminal's title. So every message the tool prints
// passes through SafeEcho, which shows each control character as its code and leaves all
// other text, umlauts included, as it is.
//
//   SafeEcho("A\x1b[31mB")      // "A\x1B[31mB" (a backslash, 'x', '1', 'B')
//   SafeEcho("\xC2\x9B")        // "\u009B": the one-character CSI of C1
//   SafeEcho("M\xFCller")       // "M\xFCller": a byte that is not UTF-8
#ifndef DTAUS_TOOLS_SAFE_ECHO_H_
#define DTAUS_TOOLS_SAFE_ECHO_H_

#include <string>
#include <string_view>

namespace dtaus::tool {

// Shows the C0 controls (tab and line feed included), DEL and bytes that are not UTF-8 as
// \xHH, and the C1 controls U+0080 to U+009F as \u00HH; everything else unchanged.
std::string SafeEcho(std::string_view text);

// SafeEcho for a message of several lines that the tool composed itself (a list of
// unknown names, say): its line feeds stay line feeds, everything else as SafeEcho.
std::string SafeEchoLines(std::string_view text);

}  // namespace dtaus::tool

#endif  // DTAUS_TOOLS_SAFE_ECHO_H_
