#include "tools/sepa_tables.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/input_test_support.h"

namespace dtaus::tool {
namespace {

std::string Describe(const SepaMandate& m) {
  return m.origin + ": " + m.blz + "|" + m.konto + "|" + m.iban + "|" + m.reference + "|" +
         m.signed_on + "|" + m.sequence;
}

TEST(SepaTablesTest, ReadsMandatesAndIbanMap) {
  struct Case {
    const char* text;
    std::vector<std::string> mandates;
  };
  const Case cases[] = {
      // Both date forms; Sequenz optional per row; a row of separators at the end.
      {"\xEF\xBB\xBF"
       "BLZ;Konto;Mandatsreferenz;Datum;Sequenz\r\n"
       "50010517;137075030;M-0815;01.03.2024;FRST\r\n"
       "12030000; 202051 ;M-4711;2024-12-31;\r\n"
       ";;;;\r\n",
       {"m.csv: row 2: 50010517|137075030||M-0815|2024-03-01|FRST",
        "m.csv: row 3: 12030000|202051||M-4711|2024-12-31|"}},
      // The IBAN instead of bank code and account, in any column order, with commas.
      {"Datum,IBAN,Mandatsreferenz\n2024-01-02,DE02 1203 0000 0000 2020 51,A\n",
       {"m.csv: row 2: ||DE02 1203 0000 0000 2020 51|A|2024-01-02|"}},
      // Where both are given the IBAN names the account.
      {"BLZ;Konto;IBAN;Mandatsreferenz;Datum\n1;2;DE02120300000000202051;A;2024-01-02\n",
       {"m.csv: row 2: ||DE02120300000000202051|A|2024-01-02|"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::vector<std::string> mandates;
    for (const SepaMandate& m : ReadMandates(c.text, "m.csv")) mandates.push_back(Describe(m));
    EXPECT_EQ(mandates, c.mandates);
  }
  const std::vector<SepaAccount> map = ReadIbanMap(
      "BLZ,Konto,IBAN,BIC\n12030000,202051,DE02120300000000202051,BYLADEM1001\n"
      "12030000,202052,DE75120300000000202052,\n",
      "i.csv");
  ASSERT_EQ(map.size(), 2u);
  EXPECT_EQ(
      map[0].origin + " " + map[0].blz + " " + map[0].konto + " " + map[0].iban + " " + map[0].bic,
      "i.csv: row 2 12030000 202051 DE02120300000000202051 BYLADEM1001");
  EXPECT_EQ(map[1].bic, "");
}

TEST(SepaTablesTest, RefusesWhatItCannotRead) {
  const char* const kMandates[][2] = {
      {"", "m.csv: no header row with the column names"},
      {"Konto;Referenz\n",
       "m.csv: row 1, column 2: unknown column \"Referenz\" (known: BLZ, Konto, IBAN, "
       "Mandatsreferenz, Datum, Sequenz)"},
      {"IBAN;Datum;IBAN\n", "m.csv: row 1, column 3: column \"IBAN\" appears twice"},
      {"Mandatsreferenz;Datum\n", "m.csv: the header row lacks the column IBAN or Konto"},
      {"IBAN;Datum\n", "m.csv: the header row lacks the column Mandatsreferenz"},
      {"IBAN;Mandatsreferenz\n", "m.csv: the header row lacks the column Datum"},
      {"IBAN;Mandatsreferenz;Datum\nX;M\n", "m.csv: row 2 has 2 cells, the header row has 3"},
      {"IBAN;Mandatsreferenz;Datum\n;M;2024-01-01\n", "m.csv: row 2, column 1 (IBAN): empty"},
      {"BLZ;Konto;Mandatsreferenz;Datum\n1;;M;2024-01-01\n",
       "m.csv: row 2, column 2 (Konto): empty"},
      {"IBAN;Mandatsreferenz;Datum\nX;;2024-01-01\n",
       "m.csv: row 2, column 2 (Mandatsreferenz): empty"},
      {"IBAN;Mandatsreferenz;Datum\nX;M;1.3.2024\n",
       "m.csv: row 2, column 3 (Datum): \"1.3.2024\" is not a date (yyyy-mm-dd or dd.mm.yyyy)"},
      {"IBAN;Mandatsreferenz;Datum\nX;M\xFF;2024-01-01\n",
       "m.csv: row 2, column 2 (Mandatsreferenz): not UTF-8 (a file saved by Excel on Windows "
       "is Windows-1252: give --encoding windows-1252)"},
  };
  for (const auto& c : kMandates) {
    SCOPED_TRACE(c[0]);
    EXPECT_EQ(Refusal([&] { ReadMandates(c[0], "m.csv"); }), std::string("exit 2: ") + c[1]);
  }
  EXPECT_EQ(Refusal([] { ReadIbanMap("BLZ;Konto\n", "i.csv"); }),
            "exit 2: i.csv: the header row lacks the column IBAN");
  EXPECT_EQ(Refusal([] { ReadIbanMap("BLZ;Konto;IBAN\n1;2;\n", "i.csv"); }),
            "exit 2: i.csv: row 2, column 3 (IBAN): empty");
}

}  // namespace
}  // namespace dtaus::tool
