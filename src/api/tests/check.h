// A small check harness for the test programs that run under Wine, and the text
// conversions they share.
//
// GoogleTest is not packaged for mingw-w64 in Debian, and these programs are few and
// linear, so they count their own checks. A failing check prints one line
//
//   FAIL com_client_test.cpp:123: <what> | got "..." | want "..."
//
// and the program ends with "RESULT: PASS" or "RESULT: FAIL (n of m checks)", which
// scripts/test-com looks for. Texts are printed with line breaks as \r and \n and other
// bytes outside ASCII as \xNN, so the lines stay readable through Wine's console pipe;
// they are cut after 300 characters, so that a failing comparison of files stays short.
#ifndef DTAUS_API_TESTS_CHECK_H_
#define DTAUS_API_TESTS_CHECK_H_

#include <windows.h>

#include <cstdio>
#include <string>
#include <string_view>

namespace dtaus::com::test {

inline std::string Printable(std::string_view text) {
  std::string out;
  for (const char c : text.substr(0, 300)) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
    out += c == '\r' ? "\\r" : c == '\n' ? "\\n" : c >= 0x20 && c < 0x7F ? std::string(1, c) : hex;
  }
  if (text.size() > 300) out += "... (" + std::to_string(text.size()) + " bytes)";
  return out;
}

// The number of checks run and failed in this program.
inline int g_checks = 0;
inline int g_failed = 0;

// Counts one check; a failed one prints its line, `detail` (got and want) after it.
inline bool Count(bool ok, const char* file, int line, std::string_view what,
                  const std::string& detail = "") {
  ++g_checks;
  g_failed += ok ? 0 : 1;
  if (!ok) std::printf("FAIL %s:%d: %s%s\n", file, line, Printable(what).c_str(), detail.c_str());
  return ok;
}

inline bool Equal(std::string_view got, std::string_view want, const char* file, int line,
                  std::string_view what) {
  return Count(got == want, file, line, what,
               " | got \"" + Printable(got) + "\" | want \"" + Printable(want) + "\"");
}

inline bool Equal(long long got, long long want, const char* file, int line,
                  std::string_view what) {
  char detail[100];
  std::snprintf(detail, sizeof detail, " | got %lld (0x%llX) | want %lld (0x%llX)", got, got, want,
                want);
  return Count(got == want, file, line, what, detail);
}

// Prints the result line; the exit code of the program.
inline int Finish() {
  if (g_failed == 0) std::printf("RESULT: PASS (%d checks)\n", g_checks);
  if (g_failed != 0) std::printf("RESULT: FAIL (%d of %d checks)\n", g_failed, g_checks);
  return g_failed == 0 ? 0 : 1;
}

inline std::wstring Wide(std::string_view utf8) {
  std::wstring out(utf8.size(), L'\0');  // never more UTF-16 units than UTF-8 bytes
  out.resize(::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                   out.data(), static_cast<int>(out.size())));
  return out;
}

inline std::string Utf8(std::wstring_view text) {
  std::string out(text.size() * 3, '\0');  // at most three bytes per UTF-16 unit
  out.resize(::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                   out.data(), static_cast<int>(out.size()), nullptr, nullptr));
  return out;
}

}  // namespace dtaus::com::test

// CHECK(condition, what) and CHECK_EQ(got, want, what): `what` names the case, so that
// a failure inside a table loop says which row failed.
#define CHECK(condition, what) \
  ::dtaus::com::test::Count((condition), __FILE_NAME__, __LINE__, (what))
#define CHECK_EQ(got, want, what) \
  ::dtaus::com::test::Equal((got), (want), __FILE_NAME__, __LINE__, (what))

#endif  // DTAUS_API_TESTS_CHECK_H_
