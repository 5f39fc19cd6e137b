#include "tools/background_account_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dtaus::tool {
namespace {

struct Account {
  const char* blz;
  const char* konto;
};

constexpr Account kValid = {"50010517", "5431423"};

// One failing account among many, wherever it stands, is one too many; the verdict waits
// for the last batch, including one that is not full.
TEST(BackgroundAccountCheckTest, PassesOnlyWhenEveryAccountPasses) {
  const BankDirectory& directory = BankDirectory::Bundled();
  if (!directory.Error().empty()) GTEST_SKIP() << "no bank directory: " << directory.Error();
  struct Case {
    const char* what;
    std::size_t count;
    std::size_t bad_at;  // count: none
    Account bad;
    bool passes;
  };
  const Case cases[] = {
      {"nothing to check", 0, 0, kValid, true},
      {"all valid, several batches and a partial one", 1000, 1000, kValid, true},
      {"wrong check digit, last", 1000, 999, {"50010517", "5431224"}, false},
      {"unknown bank, first", 300, 0, {"10020030", "1900"}, false},
      {"bank code alone, known", 10, 5, {"50010517", ""}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    BackgroundAccountCheck checks(directory);
    for (std::size_t i = 0; i < c.count; ++i) {
      const Account& a = i == c.bad_at ? c.bad : kValid;
      checks.Add(a.blz, a.konto);
    }
    EXPECT_EQ(checks.AllPass(), c.passes);
    EXPECT_EQ(checks.Failed(), !c.passes);
  }
}

}  // namespace
}  // namespace dtaus::tool
