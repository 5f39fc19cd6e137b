#include "records/footer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "records/test_support.h"

namespace dtaus::detail {
namespace {

Footer Filled(const char* length, double count, double konto, double blz, double euro) {
  Footer f;
  f.setSatzlaenge(length);
  f.setTotalDatensatzItems(count);
  f.setTotalPasivKonto(konto);
  f.setTotalPasivBLZ(blz);
  f.setTotalEuro(euro);
  return f;
}

TEST(Footer, NewTrailerIsInvalid) {
  Footer f;
  EXPECT_FALSE(f.FooterIsValid());
  EXPECT_EQ(f.getFooterAsStream(), "ERROR: Footer contains invalis fields");
  EXPECT_EQ(f.FooterErrors(),
            "Footer errors:\r\r<Satzlaenge> not set\r<Total Datensatz Items> not set\r"
            "<TotalPasivKonto> not set\r<TotalPasivBLZ> not set\r<TotalEuro> not set\r");
}

// On tape record E fills 256 characters; any other record length is taken as it is.
// (The trailer of a file without payments: DtausDateiTest.WorkedExampleAndEmptyFiles...)
TEST(Footer, RendersRecordE) {
  const std::string expected = "0128E" + Blanks(5) + "0000003" + Zeros(13) +
                               "00000001234567890" + "00000000012345678" + "0000000012345" +
                               Blanks(51);
  Footer f = Filled("0128", 3, 1234567890, 12345678, 12345);
  ASSERT_TRUE(f.FooterIsValid());
  EXPECT_EQ(f.getFooterAsStream(), expected);
  f.setSatzlaenge("0256");
  EXPECT_EQ(f.getFooterAsStream(), "0256" + expected.substr(4) + Blanks(128));
  f.setSatzlaenge("256");
  EXPECT_EQ(f.getFooterAsStream(), " 256" + expected.substr(4));
}

// The count must fit 7 digits, the sums of accounts and bank codes 17, the cents 13.
// What is no number at all breaks a rule of its own.
TEST(Footer, LimitsOfTheCountAndSums) {
  Footer f = Filled("0128", 9999999, 99999999999999984.0, 1, 9999999999999.0);
  EXPECT_TRUE(f.FooterIsValid()) << f.FooterErrors();
  f.setTotalEuro(10000000000000.0);
  f.setTotalPasivBLZ(1e17);  // measured in plain notation
  f.setTotalDatensatzItems(10000000);
  EXPECT_EQ(f.FooterErrors(),
            "Footer errors:\r\r<TotalEuro> Field's Length exceeds the limit(13 chars).\r"
            "<TotalPasivBLZ> Field's Length exceeds the limit(17 chars).\r"
            "<Total Datensatz Items> Field's Length exceeds the limit(7 chars).\r");
  f.setTotalEuro(5);
  f.setTotalPasivBLZ(1);
  f.setTotalDatensatzItems(3e9);  // beyond 32 bits: the conversion itself fails
  EXPECT_EQ(f.FooterErrors(),
            "Footer errors:\r\r<Total Datensatz Items> Field's Length exceeds the limit(7 "
            "chars).\rUnexpected Error, setting <Total Datensatz Items>\r");
  f.setTotalDatensatzItems(std::nan(""));
  f.setTotalEuro(std::numeric_limits<double>::infinity());
  f.setTotalPasivKonto(std::nan(""));
  EXPECT_EQ(f.FooterErrors(),
            "Footer errors:\r\r<Total Datensatz Items> Field's Length exceeds the limit(7 "
            "chars).\rInvalid Value for <Total Datensatz Items>\rUnexpected Error, setting "
            "<TotalEuro>\rInvalid Value for <TotalPasivKonto>\r");
  f.setTotalDatensatzItems(5);  // an accepted value clears all of its rules
  f.setTotalEuro(42);
  f.setTotalPasivKonto(7);
  EXPECT_EQ(f.getFooterAsStream(), "0128E" + Blanks(5) + "0000005" + Zeros(13) +
                                       "00000000000000007" + "00000000000000001" +
                                       "0000000000042" + Blanks(51));
}

}  // namespace
}  // namespace dtaus::detail
