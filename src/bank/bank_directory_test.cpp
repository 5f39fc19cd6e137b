#include "dtaus/bank_directory.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "file/scratch_dir_test.h"

namespace dtaus {
namespace {

class BundledDirectoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!directory_.Error().empty()) {
      GTEST_SKIP() << "Debian's bank directory is not installed: " << directory_.Error();
    }
  }
  BankDirectory directory_ = BankDirectory::Bundled();
};

TEST_F(BundledDirectoryTest, SaysWhereFromAndFindsBanksWithNamePlaceBicAndMethod) {
  EXPECT_GT(directory_.BankCount(), 3000u);
  EXPECT_EQ(directory_.Date().size(), 10u);
  EXPECT_NE(directory_.Path().find("blz_"), std::string::npos);
  const Bank* bank = directory_.Find("37040044");
  ASSERT_NE(bank, nullptr);
  EXPECT_EQ(bank->name, "Commerzbank");
  EXPECT_EQ(bank->place, "Köln");  // Latin-1 in the file, UTF-8 here
  EXPECT_EQ(bank->short_name, "Commerzbank Köln");
  EXPECT_EQ(bank->bic, "COBADEFFXXX");
  EXPECT_EQ(bank->method, "13");
  // The Bundesbank itself: the bank's own record, not one of its branches.
  bank = directory_.Find("10000000");
  ASSERT_NE(bank, nullptr);
  EXPECT_EQ(bank->name, "Bundesbank");
  EXPECT_EQ(directory_.Find("10020030"), nullptr);
  EXPECT_EQ(directory_.Find("1000000"), nullptr);
}

TEST_F(BundledDirectoryTest, ChecksAccountsByTheirBanksMethod) {
  // The valid accounts are those of published example IBANs; each invalid one differs
  // from a valid one in a single digit.
  const std::tuple<const char*, const char*, AccountCheck> cases[] = {
      {"12030000", "202051", AccountCheck::kValid},  // method 00
      {"12030000", "0000202051", AccountCheck::kValid},
      {"12030000", "202052", AccountCheck::kInvalid},
      {"37040044", "532013000", AccountCheck::kValid},  // method 13
      {"37040044", "532014000", AccountCheck::kInvalid},
      {"10050000", "54540402", AccountCheck::kValid},  // method B8
      {"10050000", "54540403", AccountCheck::kInvalid},
      {"50010517", "137075030", AccountCheck::kValid},  // method C1
      {"50010517", "137075130", AccountCheck::kInvalid},
      {"30020900", "106531065", AccountCheck::kValid},  // method 57
      {"30020900", "116531065", AccountCheck::kInvalid},
      {"70020270", "10108669", AccountCheck::kValid},  // method 95
      {"70020270", "110108669", AccountCheck::kInvalid},
      // The Bundesbank's accounts carry no check digit (method 09).
      {"10000000", "1234567", AccountCheck::kNotCheckable},
      {"10020030", "1234567", AccountCheck::kBankUnknown},
      // What is no account number cannot exist at any bank.
      {"12030000", "", AccountCheck::kInvalid},
      {"12030000", "20205l", AccountCheck::kInvalid},
      {"12030000", "12345678901", AccountCheck::kInvalid},
  };
  for (const auto& [blz, account, expected] : cases) {
    SCOPED_TRACE(std::string(blz) + " " + account);
    EXPECT_EQ(directory_.Check(blz, account), expected);
  }
}

// A record of the Bundesbank's bank-code file, fields padded to their widths.
std::string Record(const std::string& blz, char mark, const std::string& name,
                   const std::string& place, const std::string& bic, const std::string& method) {
  auto pad = [](std::string text, std::size_t width) {
    text.resize(width, ' ');
    return text;
  };
  return blz + mark + pad(name, 58) + "10117" + pad(place, 35) + pad(name, 27) + "12345" +
         pad(bic, 11) + method + "000001" + "U" + "0" + "00000000";
}

class BankFileTest : public detail::ScratchDirTest {
 protected:
  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
};

TEST_F(BankFileTest, LoadsTheBundesbanksFormat) {
  ASSERT_EQ(Record("12345678", '1', "X", "Y", "", "00").size(), 168u);
  const std::string path =
      Write("BLZ_20240304.txt",
            Record("12345678", '2', "Filiale", "Essen", "", "00") + "\r\n" +
                Record("12345678", '1', "Beispielbank", "K\xF6ln", "BEISDEK1XXX", "00") + "\r\n" +
                Record("87654321", '1', "Neue Methode", "Bonn", "", "E5") + "\n");
  const BankDirectory directory = BankDirectory::FromFile(path);
  ASSERT_EQ(directory.Error(), "");
  EXPECT_EQ(directory.Date(), "2024-03-04");
  EXPECT_EQ(directory.BankCount(), 2u);
  const Bank* bank = directory.Find("12345678");
  ASSERT_NE(bank, nullptr);
  EXPECT_EQ(bank->name, "Beispielbank");
  EXPECT_EQ(bank->place, "Köln");
  EXPECT_EQ(bank->bic, "BEISDEK1XXX");
  // The Bundesbank's published examples for method 00.
  EXPECT_EQ(directory.Check("12345678", "1501824"), AccountCheck::kValid);
  EXPECT_EQ(directory.Check("12345678", "1501833"), AccountCheck::kInvalid);
  // A method newer than the check-digit library gives no verdict, and no noise.
  testing::internal::CaptureStderr();
  EXPECT_EQ(directory.Check("87654321", "1234567"), AccountCheck::kNotCheckable);
  EXPECT_EQ(directory.Check("87654321", "1234567"), AccountCheck::kNotCheckable);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  // A file name without a date leaves the date open.
  EXPECT_EQ(
      BankDirectory::FromFile(Write("bankcodes.txt", Record("12345678", '1', "B", "K", "", "00")))
          .Date(),
      "");
}

// The Bundesbank's file lists a bank, then its branches under the same code. Whatever the
// order, the bank's own record stands for the code, else the code's first branch.
TEST_F(BankFileTest, TheBanksOwnRecordStandsForItsCode) {
  const std::string bank = Record("12345678", '1', "Bank", "Bonn", "", "00");
  const std::string bank2 = Record("12345678", '1', "Bank 2", "Bonn", "", "00");
  const std::string branch = Record("12345678", '2', "Filiale", "Essen", "", "00");
  const std::string branch2 = Record("12345678", '2', "Filiale 2", "Essen", "", "00");
  const std::string other = Record("00000001", '1', "Andere", "Kiel", "", "00");
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{bank, branch, branch2, other}, "Bank"}, {{branch, bank, branch2}, "Bank"},
      {{branch, branch2, other}, "Filiale"},    {{bank, bank2, branch}, "Bank 2"},
      {{branch, other, bank, branch2}, "Bank"}, {{branch, other, branch2}, "Filiale"},
      {{bank, other, bank2, other}, "Bank 2"},  {{bank, other, branch}, "Bank"},
      {{other, branch2, other, bank}, "Bank"},
  };
  for (const auto& [records, name] : cases) {
    std::string bytes;
    for (const std::string& record : records) bytes += record + "\r\n";
    SCOPED_TRACE(name + " of " + std::to_string(records.size()) + " records");
    const BankDirectory directory = BankDirectory::FromFile(Write("blz.txt", bytes));
    ASSERT_EQ(directory.Error(), "");
    const Bank* found = directory.Find("12345678");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->name, name);
    EXPECT_EQ(found, directory.Find("12345678"));  // taken apart once
    const bool has_other = bytes.find(other) != std::string::npos;
    EXPECT_EQ(directory.BankCount(), has_other ? 2u : 1u);
    EXPECT_EQ(directory.Find("00000001") != nullptr, has_other);
  }
}

// Thousands of banks from the smallest code to the largest, their records running over
// the blocks the file is read in, in the Bundesbank's order and backwards (its branches
// then before it), with either line end.
TEST_F(BankFileTest, FindsEveryCodeOfALargeFileInAnyOrder) {
  constexpr int kBanks = 3000;
  const auto code = [](int i) {  // 00000000 to 99999999
    const std::string digits = std::to_string(static_cast<long long>(i) * 99999999 / (kBanks - 1));
    return std::string(8 - digits.size(), '0') + digits;
  };
  std::vector<std::string> records;
  for (int i = 0; i < kBanks; ++i) {
    records.push_back(Record(code(i), '1', "Bank " + std::to_string(i), "Bonn", "", "00"));
    records.push_back(Record(code(i), '2', "Filiale", "Essen", "", "00"));
  }
  for (const bool backwards : {false, true}) {
    SCOPED_TRACE(backwards ? "backwards" : "in order");
    std::string bytes;
    for (std::size_t i = 0; i < records.size(); ++i) {
      bytes += records[backwards ? records.size() - 1 - i : i] + (backwards ? "\r\n" : "\n");
    }
    const BankDirectory directory = BankDirectory::FromFile(Write("blz.txt", bytes));
    ASSERT_EQ(directory.Error(), "");
    EXPECT_EQ(directory.BankCount(), static_cast<std::size_t>(kBanks));
    for (int i = 0; i < kBanks; ++i) {
      const Bank* bank = directory.Find(code(i));
      ASSERT_NE(bank, nullptr) << code(i);
      EXPECT_EQ(bank->name, "Bank " + std::to_string(i));
    }
    for (const char* missing :
         {"00000001", "99999998", "50000000", "9999999", "999999999", "0000000x", ""}) {
      EXPECT_EQ(directory.Find(missing), nullptr) << missing;
      EXPECT_EQ(directory.Check(missing, "1501824"), AccountCheck::kBankUnknown) << missing;
    }
    EXPECT_EQ(directory.Check("99999999", "1501824"), AccountCheck::kValid);
    EXPECT_EQ(directory.Check("00000000", "1501833"), AccountCheck::kInvalid);
  }
}

TEST_F(BankFileTest, MissingOrMalformedFilesAreClearErrors) {
  const std::string good = Record("12345678", '1', "Beispielbank", "Bonn", "", "00") + "\r\n";
  const std::string empty = ": holds no bank (an empty file is no bank-code file)";
  const std::string length =
      ": line 2: a record of the Bundesbank's bank-code file has 168 characters, this line has ";
  const std::string start = ": does not begin with an 8-digit bank code and the mark 1 or 2";
  // The bytes, the error after the path.
  const std::pair<std::string, std::string> cases[] = {
      {"", empty},
      {"\r\n", empty},
      {good + "\r\n" + good, length + "0"},
      {good + "10000000\tBundesbank\tBerlin\r\n", length + "26"},
      {good + good + Record("1234567X", '1', "B", "K", "", "00") + "\r\n", ": line 3" + start},
      {Record("12345678", '3', "B", "K", "", "00"), ": line 1" + start},
      {Record("12345678", '1', "B", "K", "", " 0"),
       ": line 1: the check-digit method (characters 151-152) is not a method id"},
      // Longer than the blocks the file is read in.
      {good + std::string(200000, 'x') + "\r\n" + good, length + "200000"},
  };
  for (const auto& [bytes, error] : cases) {
    SCOPED_TRACE(error);
    const std::string path = Write("blz.txt", bytes);
    const BankDirectory directory = BankDirectory::FromFile(path);
    EXPECT_EQ(directory.Error(), path + error);
    EXPECT_EQ(directory.BankCount(), 0u);
  }
  const std::string missing = (dir_ / "nowhere.txt").string();
  EXPECT_EQ(BankDirectory::FromFile(missing).Error(), missing + ": cannot be opened");
  EXPECT_EQ(BankDirectory::FromFile(dir_.string()).Error(), dir_.string() + ": cannot be read");
}

}  // namespace
}  // namespace dtaus
