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

TEST(Footer, RendersRecordE) {
  const std::string expected = "0128E" + Blanks(5) + "0000003" + Zeros(13) +
                               "00000001234567890" + "00000000012345678" + "0000000012345" +
                               Blanks(51);
  Footer f = Filled("0128", 3, 1234567890, 12345678, 12345);
  ASSERT_TRUE(f.FooterIsValid());
  EXPECT_EQ(f.getFooterAsStream(), expected);

  Footer tape = Filled("0256", 3, 1234567890, 12345678, 12345);
  EXPECT_EQ(tape.getFooterAsStream(), "0256" + expected.substr(4) + Blanks(128));

  Footer empty = Filled("0128", 0, 0, 0, 0);
  EXPECT_TRUE(empty.FooterIsValid());
  EXPECT_EQ(empty.getFooterAsStream().substr(10, 67), Zeros(67));

  Footer odd = Filled("256", 0, 0, 0, 0);  // any record length is taken; only "0256" pads
  EXPECT_EQ(odd.getFooterAsStream().substr(0, 5), " 256E");
  EXPECT_EQ(odd.getFooterAsStream().size(), 128u);
}

TEST(Footer, LimitsOfTheSums) {
  Footer f = Filled("0128", 1, 1, 1, 9999999999999.0);
  EXPECT_TRUE(f.FooterIsValid());
  f.setTotalEuro(10000000000000.0);
  EXPECT_FALSE(f.FooterIsValid());
  EXPECT_EQ(f.FooterErrors(),
            "Footer errors:\r\r<TotalEuro> Field's Length exceeds the limit(13 chars).\r");
  EXPECT_EQ(f.getFooterAsStream(), "ERROR: Footer contains invalis fields");
  f.setTotalEuro(42);
  ASSERT_TRUE(f.FooterIsValid());
  EXPECT_EQ(f.getFooterAsStream().substr(64, 13), "0000000000042");

  // 17-digit sums: the largest fits, 1e17 does not and is measured in plain notation.
  f.setTotalPasivKonto(99999999999999984.0);
  EXPECT_TRUE(f.FooterIsValid());
  f.setTotalPasivBLZ(1e17);
  EXPECT_EQ(f.FooterErrors(),
            "Footer errors:\r\r<TotalPasivBLZ> Field's Length exceeds the limit(17 chars).\r");
}

TEST(Footer, CountAndNonNumbers) {
  Footer f = Filled("0128", 9999999, 0, 0, 0);
  EXPECT_TRUE(f.FooterIsValid());
  f.setTotalDatensatzItems(10000000);
  EXPECT_EQ(f.FooterErrors(), "Footer errors:\r\r<Total Datensatz Items> Field's Length exceeds "
                              "the limit(7 chars).\r");
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
  f.setTotalEuro(5);
  f.setTotalPasivKonto(5);
  EXPECT_TRUE(f.FooterIsValid());
  EXPECT_EQ(f.getFooterAsStream().substr(10, 7), "0000005");
}

}  // namespace
}  // namespace dtaus::detail
