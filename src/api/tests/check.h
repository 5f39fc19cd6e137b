// A small check harness for the test programs that run under Wine.
//
// GoogleTest is not packaged for mingw-w64 in Debian, and these programs are few and
// linear, so they count their own checks. A failing check prints one line
//
//   FAIL com_client_test.cpp:123: <what> | got "..." | want "..."
//
// and the program ends with "RESULT: PASS" or "RESULT: FAIL (n of m checks)", which
// scripts/test-com looks for. Texts are printed with carriage returns as \r and bytes
// outside ASCII as \xNN, so the lines stay readable through Wine's console pipe.
#ifndef DTAUS_API_TESTS_CHECK_H_
#define DTAUS_API_TESTS_CHECK_H_

#include <cstdio>
#include <string>
#include <string_view>

namespace dtaus::com::test {

// `text` as printable ASCII, cut after 300 characters so that a failing comparison of
// whole files stays readable.
inline std::string Printable(std::string_view text) {
  constexpr std::size_t kLimit = 300;
  std::string out;
  for (const char c : text.substr(0, kLimit)) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '\r') {
      out += "\\r";
    } else if (byte == '\n') {
      out += "\\n";
    } else if (byte < 0x20 || byte >= 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", byte);
      out += hex;
    } else {
      out += c;
    }
  }
  if (text.size() > kLimit) out += "... (" + std::to_string(text.size()) + " bytes)";
  return out;
}

// "com_client_test.cpp" for a full __FILE__ path.
inline const char* BaseName(const char* path) {
  const char* base = path;
  for (const char* p = path; *p != '\0'; ++p) {
    if (*p == '/' || *p == '\\') base = p + 1;
  }
  return base;
}

class Checks {
 public:
  bool Expect(bool ok, const char* file, int line, std::string_view what) {
    ++count_;
    if (!ok) {
      ++failed_;
      std::printf("FAIL %s:%d: %s\n", BaseName(file), line, Printable(what).c_str());
    }
    return ok;
  }

  bool ExpectEqual(std::string_view got, std::string_view want, const char* file, int line,
                   std::string_view what) {
    ++count_;
    if (got == want) return true;
    ++failed_;
    std::printf("FAIL %s:%d: %s | got \"%s\" | want \"%s\"\n", BaseName(file), line,
                Printable(what).c_str(), Printable(got).c_str(), Printable(want).c_str());
    return false;
  }

  bool ExpectEqual(long long got, long long want, const char* file, int line,
                   std::string_view what) {
    ++count_;
    if (got == want) return true;
    ++failed_;
    std::printf("FAIL %s:%d: %s | got %lld (0x%llX) | want %lld (0x%llX)\n", BaseName(file), line,
                Printable(what).c_str(), got, got, want, want);
    return false;
  }

  // Prints the result line; the exit code of the program.
  int Finish() const {
    if (failed_ == 0) {
      std::printf("RESULT: PASS (%d checks)\n", count_);
      return 0;
    }
    std::printf("RESULT: FAIL (%d of %d checks)\n", failed_, count_);
    return 1;
  }

 private:
  int count_ = 0;
  int failed_ = 0;
};

inline Checks& AllChecks() {
  static Checks checks;
  return checks;
}

}  // namespace dtaus::com::test

// CHECK(condition, what) and CHECK_EQ(got, want, what): `what` names the case, so that
// a failure inside a table loop says which row failed.
#define CHECK(condition, what) \
  ::dtaus::com::test::AllChecks().Expect((condition), __FILE__, __LINE__, (what))
#define CHECK_EQ(got, want, what) \
  ::dtaus::com::test::AllChecks().ExpectEqual((got), (want), __FILE__, __LINE__, (what))

#endif  // DTAUS_API_TESTS_CHECK_H_
