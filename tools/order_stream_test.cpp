#include "tools/order_stream.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/input_test_support.h"
#include "tools/json_orders.h"

namespace dtaus::tool {
namespace {

constexpr char kHeader[] =
    R"("MeineInfo": {"DateiMedia": "Diskette", "GeldTransferTyp": "Gutschrift",
                      "BLZ": "37040044", "Name": "MUSTERMANN GMBH", "Konto": "532013000"})";

struct Streamed {
  bool read = false;
  bool complete = false;
  std::size_t payments = 0;
  std::size_t wrapped = 0;
  std::size_t net = 0;
};

// Streams `json` through a stream that checks accounts against Debian's directory.
Streamed Stream(const std::string& json, bool dtaus_alphabet = false) {
  const BankDirectory directory = BankDirectory::Bundled();
  OrderStream stream(dtaus_alphabet, false, &directory);
  std::string text = json;
  Streamed result;
  const auto payment = stream.PaymentSink();
  result.read = StreamJsonOrders(text, stream.HeaderSink(), [&](InputObject& object) {
    const bool taken = payment(object);
    result.payments += taken ? 1 : 0;
    return taken;
  });
  result.complete = stream.Complete() && stream.File() != nullptr;
  result.wrapped = stream.Wrapped();
  result.net = stream.Net().payments;
  return result;
}

std::string Orders(const std::string& payments) {
  return "{" + std::string(kHeader) + R"(, "GeldTransfer": [)" + payments + "]}";
}

// Plain orders go through in one pass; anything the thorough way has words for stops
// the stream at once, so that nothing half-checked is ever written.
TEST(OrderStreamTest, TakesPlainOrdersAndStopsAtTheFirstProblem) {
  if (!BankDirectory::Bundled().Error().empty()) {
    GTEST_SKIP() << "no bank directory: " << BankDirectory::Bundled().Error();
  }
  constexpr char kPlain[] =
      R"({"BLZ": "50010517", "Konto": "5431423", "Name": "JÖRG", "BetragEuro": "100"})";
  const Streamed plain = Stream(Orders(std::string(kPlain) + "," + kPlain));
  EXPECT_TRUE(plain.read && plain.complete);
  EXPECT_EQ(plain.payments, 2u);
  EXPECT_EQ(plain.net, 2u);

  const Streamed wrapped = Stream(Orders(
      R"({"IBAN": "DE86500105170005431423", "Name": "B", "BetragEuroBrutto": "1,50",
          "VerwendungsZweck": "EINE SEHR LANGE RECHNUNGSNUMMER 4711 VOM MAI"})"));
  EXPECT_TRUE(wrapped.read && wrapped.complete);
  EXPECT_EQ(wrapped.wrapped, 1u);
  EXPECT_EQ(wrapped.net, 0u);

  // A value with escapes is unescaped on the way; a property name with one is rare enough
  // to leave to the thorough way.
  const Streamed escaped = Stream(Orders(
      R"({"BLZ": "50010517", "Konto": "5431423", "Name": "J\u00d6RG \/ S\u00d6HNE",
          "BetragEuro": "100"})"));
  EXPECT_TRUE(escaped.read && escaped.complete);

  const std::pair<const char*, std::string> stops[] = {
      {"account fails its method",
       Orders(R"({"BLZ": "50010517", "Konto": "5431224", "Name": "C", "BetragEuro": "1"})")},
      {"unknown bank code",
       Orders(R"({"BLZ": "10020030", "Konto": "1900", "Name": "A", "BetragEuro": "1"})")},
      {"IBAN against BLZ",
       Orders(R"({"IBAN": "DE86500105170005431423", "BLZ": "50010518", "Name": "B",
                  "BetragEuro": "1"})")},
      {"library rejects", Orders(R"({"BLZ": "50010517", "Konto": "5431423", "Name": "A"})")},
      {"unknown property", Orders(R"({"Nme": "A"})")},
      {"repeated key", Orders(R"({"Name": "A", "Name": "B"})")},
      {"number", Orders(R"({"BetragEuro": 1})")},
      {"control character", Orders(R"({"Name": "A\tB"})")},
      {"escaped property name", Orders(R"({"N\u0061me": "A"})")},
      {"payments first", R"({"GeldTransfer": [], )" + std::string(kHeader) + "}"},
      {"after the document", Orders(kPlain) + " x"},
      {"malformed", Orders(kPlain).substr(1)},
  };
  for (const auto& [what, json] : stops) {
    SCOPED_TRACE(what);
    const Streamed streamed = Stream(json);
    EXPECT_FALSE(streamed.read && streamed.complete);
  }
  // A value the builder cannot hand over is its ToolError, for the caller to fall back on.
  EXPECT_EQ(Refusal([] { Stream(Orders(R"({"BetragEuro": "1.234"})")); }).substr(0, 7), "exit 2:");
  // Without payments the stream is not complete: the thorough way decides.
  EXPECT_FALSE(Stream(Orders("")).complete);
  // Characters outside the DTAUS alphabet stop it where the alphabet is asked for.
  const Streamed converted = Stream(Orders(kPlain), true);
  EXPECT_TRUE(converted.read && converted.complete);
  const Streamed euro = Stream(
      Orders(R"({"BLZ": "50010517", "Konto": "5431423", "Name": "A€", "BetragEuro": "1"})"), true);
  EXPECT_FALSE(euro.read);
}

}  // namespace
}  // namespace dtaus::tool
