#include "tools/input_encoding.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "tools/input_test_support.h"

namespace dtaus::tool {
namespace {

TEST(InputEncodingTest, ConvertsSingleByteFilesAndKeepsUtf8) {
  const std::tuple<InputEncoding, std::string, std::string> cases[] = {
      {InputEncoding::kWindows1252, "M\xFCller;\x80 5;\x9A", "Müller;€ 5;š"},
      // Latin-1 has control characters where Windows-1252 has € and š.
      {InputEncoding::kLatin1, "M\xFCller;\x80", "Müller;\xC2\x80"},
      // A file that is UTF-8 already stays as it is, whatever the option says.
      {InputEncoding::kWindows1252, "\xEF\xBB\xBFM\xC3\xBCller", "\xEF\xBB\xBFMüller"},
      {InputEncoding::kLatin1, "Müller", "Müller"},
      // UTF-8 is checked by the readers, which know the row.
      {InputEncoding::kUtf8, "M\xFCller", "M\xFCller"},
  };
  for (const auto& [encoding, bytes, utf8] : cases) {
    SCOPED_TRACE(bytes);
    EXPECT_EQ(DecodeInput(bytes, encoding), utf8);
  }
  EXPECT_EQ(FirstLineNotUtf8("a\nb\xC3\x28\n"), 2u);
  EXPECT_EQ(FirstLineNotUtf8("a\nÜ\n"), 0u);
  EXPECT_EQ(ParseEncoding("latin-1"), InputEncoding::kLatin1);
  EXPECT_EQ(Refusal([] { ParseEncoding("cp850"); }),
            "exit 2: --encoding cp850: name utf-8, windows-1252 or latin-1");
}

}  // namespace
}  // namespace dtaus::tool
