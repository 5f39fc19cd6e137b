#include "dtaus/sepa.h"

#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/xmlschemas.h>

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dtaus/dtaus.h"
#include "file/scratch_dir_test.h"
#include "reader/dtaus_file_builder.h"
#include "records/test_support.h"

namespace dtaus {
namespace {

using detail::DtausFileBuilder;
using detail::PaymentInput;

// Published IBAN examples: the account, bank code and IBAN of each.
constexpr const char* kOwnBlz = "37040044";
constexpr const char* kOwnKonto = "532013000";
constexpr const char* kOwnIban = "DE89370400440532013000";
constexpr const char* kPayeeBlz = "12030000";
constexpr const char* kPayeeKonto = "202051";
constexpr const char* kPayeeIban = "DE02120300000000202051";
constexpr const char* kOtherBlz = "50010517";
constexpr const char* kOtherKonto = "137075030";
constexpr const char* kOtherIban = "DE02500105170137075030";
// The Bundesbank's test creditor identifier.
constexpr const char* kCreditorId = "DE98ZZZ09999999999";
// The library's today while the test files are written, and the conversion's moment.
constexpr const char* kNow = "2026-06-15T09:30:00";

struct Payment {
  std::string blz = kPayeeBlz;
  std::string konto = kPayeeKonto;
  std::string name = "ERIKA MUSTERMANN";
  std::string brutto = "119.00";
  std::vector<std::string> purposes = {"RECHNUNG 4711"};
  std::string name2 = {};      // extension 01, when not empty
  std::string ordering2 = {};  // extension 03, when not empty
  std::string reference = {};  // C6
};

// Too long for SEPA in its purpose (377 characters) and in its name (109).
Payment TooLong() {
  Payment p;
  p.purposes.assign(14, "ABCDEFGHIJ ABCDEFGHIJ ABCD");
  p.name = "ÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄ";
  p.name2 = "ÖÖÖÖÖÖÖÖÖÖÖÖÖÖÖÖÖÖÖÖÖÖÖÖÖÖÖ";
  return p;
}

// Validates against the official schema; "" when valid, the first error otherwise.
template <typename T, void (*Free)(T*)>
using Owned = std::unique_ptr<T, decltype([](T* p) { Free(p); })>;
std::string SchemaErrors(const std::string& xml, const std::string& type) {
  const std::string path = std::string(DTAUS_ISO20022_DIR) + "/" + type + ".xsd";
  const Owned<xmlSchemaParserCtxt, xmlSchemaFreeParserCtxt> parser(
      xmlSchemaNewParserCtxt(path.c_str()));
  const Owned<xmlSchema, xmlSchemaFree> schema(xmlSchemaParse(parser.get()));
  if (!schema) return "cannot read " + path;
  const Owned<xmlDoc, xmlFreeDoc> doc(
      xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "message.xml", nullptr, 0));
  if (!doc) return "not well-formed XML";
  const Owned<xmlSchemaValidCtxt, xmlSchemaFreeValidCtxt> valid(
      xmlSchemaNewValidCtxt(schema.get()));
  std::string errors;
  xmlSchemaSetValidStructuredErrors(
      valid.get(),
      [](void* context, xmlErrorPtr error) {
        static_cast<std::string*>(context)->append(error->message ? error->message : "?");
      },
      &errors);
  if (xmlSchemaValidateDoc(valid.get(), doc.get()) != 0 && errors.empty()) errors = "invalid";
  return errors;
}

// The expected message written compactly: `Tag{text}` is one line, `Tag{Child{..}..}` an
// element around its children, each level indented by two spaces as the writer does; blanks
// between elements are ignored. The whole message is still compared byte for byte.
std::string Xml(std::string_view compact, int depth = 0) {
  std::string out;
  for (std::size_t i = 0; i < compact.size();) {
    if (compact[i] == ' ') {
      ++i;
      continue;
    }
    const std::size_t open = compact.find('{', i);
    std::size_t close = open + 1;
    for (int level = 1; level > 0; ++close) {
      level += compact[close] == '{' ? 1 : compact[close] == '}' ? -1 : 0;
    }
    const std::string tag(compact.substr(i, open - i));
    const std::string_view body = compact.substr(open + 1, close - open - 2);
    const std::string indent(2 * depth, ' ');
    const std::string end = "</" + tag.substr(0, tag.find(' ')) + ">\n";
    if (body.find('{') == std::string_view::npos) {
      out += indent + "<" + tag + ">" + std::string(body) + end;
    } else {
      out += indent + "<" + tag + ">\n" + Xml(body, depth + 1) + indent + end;
    }
    i = close;
  }
  return out;
}

std::string Document(const std::string& type, const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" +
         Xml("Document xmlns=\"urn:iso:std:iso:20022:tech:xsd:" + type + "\"{" + body + "}");
}
std::string GroupHeader(const std::string& id, const std::string& count, const std::string& sum) {
  return "GrpHdr{MsgId{" + id + "}CreDtTm{2026-06-15T09:30:00}NbOfTxs{" + count + "}CtrlSum{" +
         sum + "}InitgPty{Nm{MUSTERMANN GMBH}}}";
}
std::string Account(const std::string& iban) { return "{Id{IBAN{" + iban + "}}}"; }
// An agent without BIC.
constexpr const char* kNoAgent = "{FinInstnId{Othr{Id{NOTPROVIDED}}}}";

class SepaTest : public detail::ScratchDirTest {
 protected:
  // A file the library writes: `typ` from 37040044 / 532013000, MUSTERMANN GMBH.
  std::string Write(TransferTyp typ, const std::vector<Payment>& payments,
                    const std::string& execution_date = "") {
    DtausDatei datei;
    datei.Pfad(path_);
    auto header = datei.GetMeineInfo();
    header->DateiMedia(MediaTyp::Diskette);
    header->GeldTransferTyp(typ);
    header->BLZ(kOwnBlz);
    header->Name("MUSTERMANN GMBH");
    header->Konto(kOwnKonto);
    header->AusfuehrungsDatum(execution_date);
    for (const Payment& p : payments) {
      auto g = std::make_shared<GeldTransfer>();
      g->BLZ(p.blz);
      g->Konto(p.konto);
      g->Name(p.name);
      g->BetragEuroBrutto(p.brutto);
      if (!p.reference.empty()) g->FreieReferenz(p.reference);
      detail::Setter purpose = &GeldTransfer::VerwendungsZweck;
      for (std::size_t i = 0; i < p.purposes.size(); ++i) {
        (g.get()->*purpose)(p.purposes[i]);
        purpose = detail::kContinuations[i + 1];
      }
      if (!p.name2.empty()) g->Name2(p.name2);
      if (!p.ordering2.empty()) g->MeineInfoName2(p.ordering2);
      EXPECT_TRUE(g->InputFieldsValid()) << g->InputFieldsErrors();
      datei.AddGeldTransfer(g);
    }
    EXPECT_EQ(datei.Generate(), "");
    return ReadFile(path_);
  }

  SepaMessage Convert(const std::string& bytes) const {
    const DtausReader reader(bytes);
    return ConvertToSepa(reader, options_);
  }

  // Checks the message against its schema; a visible skip where the schemas are missing.
  void ExpectSchemaValid(const SepaMessage& message) {
    ASSERT_TRUE(message.problems.empty()) << message.problems.front();
    if (!std::filesystem::is_directory(DTAUS_ISO20022_DIR)) {
      GTEST_SKIP() << "the ISO 20022 schemas are not at " << DTAUS_ISO20022_DIR
                   << "; the messages were not validated";
    }
    EXPECT_EQ(SchemaErrors(message.xml, message.message_type), "") << message.xml;
  }

  // Converts `bytes`, expects the message to hold each of `texts` and to name `cut` as cut,
  // and validates it; the options go back to the defaults for the next case.
  void ExpectHolds(const std::string& bytes, const std::vector<std::string>& texts,
                   const std::vector<std::string>& cut = {}) {
    const SepaMessage message = Convert(bytes);
    options_ = DefaultOptions();
    EXPECT_EQ(message.cut, cut);
    for (const std::string& text : texts) {
      EXPECT_NE(message.xml.find(text), std::string::npos) << text << "\n" << message.xml;
    }
    // A refused message fails here with its first problem.
    ExpectSchemaValid(message);
  }

  // Converts `bytes`, expects exactly `problems` in their order and no message; the options
  // go back to the defaults for the next case.
  void ExpectRefused(const std::string& bytes, const std::vector<std::string>& problems) {
    const SepaMessage message = Convert(bytes);
    options_ = DefaultOptions();
    EXPECT_EQ(message.problems, problems);
    EXPECT_EQ(message.xml, "");
  }

  // The conversion's moment and the test creditor: what every case starts from.
  static SepaOptions DefaultOptions() {
    SepaOptions o;
    o.now = kNow;
    o.creditor_id = kCreditorId;
    return o;
  }

  detail::ScopedToday today_{2026, 6, 15};
  SepaOptions options_ = DefaultOptions();
};

// The helpers above, with the line of the case named when one fails.
#define EXPECT_HOLDS(...)      \
  do {                         \
    SCOPED_TRACE("this case"); \
    ExpectHolds(__VA_ARGS__);  \
  } while (0)
#define EXPECT_REFUSED(...)     \
  do {                          \
    SCOPED_TRACE("this case");  \
    ExpectRefused(__VA_ARGS__); \
  } while (0)

TEST_F(SepaTest, CreditTransfersBecomePain001) {
  const Payment long_one{.blz = kOtherBlz,
                         .konto = kOtherKonto,
                         .name = "M]LLER & S\\HNE",
                         .brutto = "1234.56",
                         .purposes = {"RECHNUNG 4712", "KUNDE 17", "", "STRA~E 5"},
                         .name2 = "GMBH + CO. KG",
                         .ordering2 = "FILIALE NORD",
                         .reference = "0000004711"};
  const SepaMessage message = Convert(Write(TransferTyp::Gutschrift, {Payment{}, long_one}));

  EXPECT_EQ(message.message_type, "pain.001.001.09");
  EXPECT_EQ(message.payments, 2u);
  EXPECT_EQ(message.cents, 11900u + 123456u);
  EXPECT_EQ(message.standard_rule_ibans, 3u);
  EXPECT_TRUE(message.cut.empty());
  const std::string id = message.message_id;
  EXPECT_EQ(id.substr(0, 20), "DTAUS20260615093000-");
  EXPECT_EQ(id.size(), 32u);
  const std::string payments =
      "PmtInf{PmtInfId{" + id +
      "-1}PmtMtd{TRF}NbOfTxs{2}CtrlSum{1353.56}PmtTpInf{SvcLvl{Cd{SEPA}}}"
      "ReqdExctnDt{Dt{2026-06-15}}Dbtr{Nm{MUSTERMANN GMBH}}DbtrAcct" +
      Account(kOwnIban) + "DbtrAgt" + kNoAgent +
      "ChrgBr{SLEV}CdtTrfTxInf{PmtId{EndToEndId{NOTPROVIDED}}"
      "Amt{InstdAmt Ccy=\"EUR\"{119.00}}Cdtr{Nm{ERIKA MUSTERMANN}}CdtrAcct" +
      Account(kPayeeIban) +
      "RmtInf{Ustrd{RECHNUNG 4711}}}CdtTrfTxInf{PmtId{EndToEndId{4711}}"
      "Amt{InstdAmt Ccy=\"EUR\"{1234.56}}UltmtDbtr{Nm{MUSTERMANN GMBH FILIALE NORD}}"
      "Cdtr{Nm{MUELLER + SOEHNE GMBH + CO. KG}}CdtrAcct" +
      Account(kOtherIban) + "RmtInf{Ustrd{RECHNUNG 4712 KUNDE 17 STRASSE 5}}}}";
  EXPECT_EQ(message.xml,
            Document("pain.001.001.09",
                     "CstmrCdtTrfInitn{" + GroupHeader(id, "2", "1353.56") + payments + "}"));
  ExpectSchemaValid(message);
}

TEST_F(SepaTest, DirectDebitsBecomePain008OneBatchPerSequence) {
  const Payment first;  // mandate named by IBAN, first debit
  const Payment second{.blz = kOtherBlz,
                       .konto = kOtherKonto,
                       .name = "MAX MUSTERMANN",
                       .brutto = "25.50",
                       .purposes = {"BEITRAG JUNI"},
                       .reference = "17"};
  options_.mandates = {
      {kOtherBlz, "0137075030", "", "M-0815", "2024-03-01", "", "mandates.csv: row 2"},
      {"", "", "DE02 1203 0000 0000 2020 51", "M-4711/A", "2026-06-15", "FRST", "row 3"},
  };
  const SepaMessage message = Convert(Write(TransferTyp::Lastschrift, {second, first}));

  EXPECT_EQ(message.message_type, "pain.008.001.08");
  EXPECT_EQ(message.cents, 2550u + 11900u);
  const std::string id = message.message_id;
  auto batch = [&](int index, const std::string& sequence, const std::string& sum) {
    return "PmtInf{PmtInfId{" + id + "-" + std::to_string(index) + "}PmtMtd{DD}NbOfTxs{1}CtrlSum{" +
           sum + "}  PmtTpInf{SvcLvl{Cd{SEPA}}LclInstrm{Cd{CORE}}SeqTp{" + sequence +
           "}}ReqdColltnDt{2026-06-15}Cdtr{Nm{MUSTERMANN GMBH}}CdtrAcct" + Account(kOwnIban) +
           "  CdtrAgt" + kNoAgent +
           "ChrgBr{SLEV}"
           "  CdtrSchmeId{Id{PrvtId{Othr{Id{DE98ZZZ09999999999}SchmeNm{Prtry{SEPA}}}}}}";
  };
  auto debit = [](const std::string& end_to_end, const std::string& amount,
                  const std::string& mandate, const std::string& signed_on, const std::string& name,
                  const std::string& iban, const std::string& purpose) {
    return "DrctDbtTxInf{PmtId{EndToEndId{" + end_to_end + "}}InstdAmt Ccy=\"EUR\"{" + amount +
           "}  DrctDbtTx{MndtRltdInf{MndtId{" + mandate + "}DtOfSgntr{" + signed_on + "}}}DbtrAgt" +
           kNoAgent + "Dbtr{Nm{" + name + "}}DbtrAcct" + Account(iban) + "  RmtInf{Ustrd{" +
           purpose + "}}}";
  };
  EXPECT_EQ(message.xml,
            Document("pain.008.001.08", "CstmrDrctDbtInitn{" + GroupHeader(id, "2", "144.50") +
                                            batch(1, "FRST", "119.00") +
                                            debit("NOTPROVIDED", "119.00", "M-4711/A", "2026-06-15",
                                                  "ERIKA MUSTERMANN", kPayeeIban, "RECHNUNG 4711") +
                                            "}" + batch(2, "RCUR", "25.50") +
                                            debit("17", "25.50", "M-0815", "2024-03-01",
                                                  "MAX MUSTERMANN", kOtherIban, "BEITRAG JUNI") +
                                            "}}"));
  ExpectSchemaValid(message);
}

// Options and file contents that change parts of a valid message: each case lists texts
// the message must hold, and every message is schema-valid.
TEST_F(SepaTest, OptionsShapeTheMessage) {
  // The German character set keeps umlauts, & * $ %.
  const Payment umlauts{.name = "JÖRG MÜLLER-SCHÄFER",
                        .purposes = {"MIETE FÜR JULI", "50% VON 2*X$"}};
  options_.german_charset = true;
  EXPECT_HOLDS(Write(TransferTyp::Gutschrift, {umlauts}),
               {"<Nm>JÖRG MÜLLER-SCHÄFER</Nm>", "<Ustrd>MIETE FÜR JULI 50% VON 2*X$</Ustrd>"});
  // Purpose and name cut, and the payment named as cut.
  const Payment long_one = TooLong();
  options_.cut_purpose = true;
  EXPECT_HOLDS(Write(TransferTyp::Gutschrift, {long_one}),
               {"<Ustrd>" + detail::Repeat("ABCDEFGHIJ ABCDEFGHIJ ABCD ", 5) + "ABCDE</Ustrd>",
                "<Nm>" + detail::Repeat("AE", 27) + " OEOEOEOEOEOEOEO</Nm>"},
               {"payment 1 (" + long_one.name + " " + long_one.name2 + ")"});
  // The execution date: the file's own first, then the option's.
  options_.date = "2026-07-01";
  EXPECT_HOLDS(Write(TransferTyp::Gutschrift, {Payment{}}, "20062026"), {"<Dt>2026-06-20</Dt>"});
  options_.date = "2026-07-01";
  EXPECT_HOLDS(Write(TransferTyp::Gutschrift, {Payment{}}), {"<Dt>2026-07-01</Dt>"});
  // The BIC from the directory; the payee's bank has none there.
  options_.banks.bic = [](std::string_view blz) {
    return std::string(blz == kOwnBlz ? "COBADEFFXXX" : "");
  };
  EXPECT_HOLDS(Write(TransferTyp::Gutschrift, {Payment{}}),
               {"<DbtrAgt>\n        <FinInstnId>\n          <BICFI>COBADEFFXXX</BICFI>",
                "</Amt>\n        <Cdtr>"});
  // The IBAN from the map, and the BIC for the bank code within that IBAN.
  options_.iban_map = {{kPayeeBlz, "0000202051", "DE12500105170648489890", "", ""}};
  options_.banks.bic = [](std::string_view blz) {
    return std::string(blz == "50010517" ? "INGDDEFFXXX" : "");
  };
  EXPECT_HOLDS(Write(TransferTyp::Gutschrift, {Payment{}}),
               {"<CdtrAgt>\n          <FinInstnId>\n            <BICFI>INGDDEFFXXX</BICFI>",
                "<IBAN>DE12500105170648489890</IBAN>"});
  // B2B, the sequence type and the collection date.
  options_.b2b = true;
  options_.sequence = "OOFF";
  options_.date = "2026-06-17";
  options_.mandates = {{kPayeeBlz, kPayeeKonto, "", "B2B-1", "2026-01-02", "", ""}};
  EXPECT_HOLDS(Write(TransferTyp::Lastschrift, {Payment{}}),
               {"<Cd>B2B</Cd>", "<SeqTp>OOFF</SeqTp>", "<ReqdColltnDt>2026-06-17</ReqdColltnDt>",
                "<MndtId>B2B-1</MndtId>"});
}

// Salaries (key 53) go into a batch of their own that carries their category; files with
// such keys come from other programs, so this one is built byte by byte.
TEST_F(SepaTest, SalariesGetTheirOwnBatch) {
  DtausFileBuilder file;
  file.creation_date = "150626";
  file.Add(PaymentInput{});
  PaymentInput salary;
  salary.key = "53";
  salary.cents = "250000";
  salary.name = "MAX MUSTERMANN";
  salary.purpose = "LOHN JUNI";
  file.Add(salary);
  const SepaMessage message = Convert(file.Bytes());
  ASSERT_TRUE(message.problems.empty()) << message.problems.front();
  const std::size_t second = message.xml.find("<PmtInf>", message.xml.find("<PmtInf>") + 1);
  ASSERT_NE(second, std::string::npos);
  EXPECT_EQ(message.xml.find("LOHN JUNI"), message.xml.find("LOHN JUNI", second));
  EXPECT_NE(message.xml.find("<CtgyPurp>\n          <Cd>SALA</Cd>", second), std::string::npos);
  EXPECT_EQ(message.xml.find("SALA"), message.xml.find("SALA", second));
  ExpectSchemaValid(message);
}

// Every refusal, with its message, in the order the converter finds them.
TEST_F(SepaTest, ProblemsAreNamedAndNothingIsWritten) {
  const std::string gk = Write(TransferTyp::Gutschrift, {Payment{}});
  const std::string lk = Write(TransferTyp::Lastschrift, {Payment{}});
  const std::string erika = "payment 1 (ERIKA MUSTERMANN): ";
  // The file's execution date in the past; the date option in the past, or not a date; the
  // moment of the conversion not a time.
  options_.now = "2026-06-17T08:00:00";
  EXPECT_REFUSED(Write(TransferTyp::Gutschrift, {Payment{}}, "16.06.2026"),
                 {"the execution date 2026-06-16 lies in the past"});
  options_.date = "2026-06-14";
  EXPECT_REFUSED(gk, {"the execution date 2026-06-14 lies in the past"});
  options_.date = "2026-02-30";
  EXPECT_REFUSED(gk, {"the execution date 2026-02-30 is not a date (yyyy-mm-dd)"});
  options_.now = "heute";
  EXPECT_REFUSED(gk, {"the time of the conversion \"heute\" is not yyyy-mm-ddThh:mm:ss"});
  // A character outside the set; name and purpose too long.
  EXPECT_REFUSED(Write(TransferTyp::Gutschrift, {Payment{.purposes = {"5% SKONTO"}}}),
                 {erika + "the purpose holds '%' (U+0025), which the SEPA character set lacks "
                          "(--german-charset keeps it)"});
  const Payment too_long = TooLong();
  const std::string long_one = "payment 1 (" + too_long.name + " " + too_long.name2 + "): ";
  EXPECT_REFUSED(
      Write(TransferTyp::Gutschrift, {too_long}),
      {long_one + "the name has 109 characters, SEPA allows 70 (--cut-purpose cuts it)",
       long_one + "the purpose has 377 characters, SEPA allows 140 (--cut-purpose cuts it)"});
  // No payments; an amount of zero.
  EXPECT_REFUSED(DtausFileBuilder{}.Bytes(), {"the DTAUS file holds no payments"});
  DtausFileBuilder zero;
  zero.Add(PaymentInput{});
  zero.payments[0].cents = "0";
  EXPECT_REFUSED(zero.Bytes(), {erika + "the amount is 0.00 EUR; SEPA payments start at 0.01 EUR"});
  // An account failing its bank's check.
  options_.banks.account_problem = [](std::string_view blz, std::string_view konto) {
    return blz == kPayeeBlz ? "account " + std::string(konto) + " fails" : "";
  };
  EXPECT_REFUSED(gk, {erika + "account 0000202051 fails"});
  // An IBAN map with a wrong IBAN, a wrong BIC and an account twice.
  options_.iban_map = {{kPayeeBlz, kPayeeKonto, "DE03120300000000202051", "", "map.csv: row 2"},
                       {kPayeeBlz, kPayeeKonto, kPayeeIban, "COBADEFF", "map.csv: row 3"},
                       {kPayeeBlz, kPayeeKonto, kPayeeIban, "INGD-DEFF", "map.csv: row 4"},
                       {kPayeeBlz, "0000202051", kPayeeIban, "", "map.csv: row 5"}};
  EXPECT_REFUSED(gk, {"map.csv: row 2: the IBAN DE03120300000000202051 is not sound: the check "
                      "digits 03 do not match (expected 02); a digit is wrong or two are swapped",
                      "map.csv: row 4: the BIC INGD-DEFF is not 8 or 11 capital letters and digits",
                      "map.csv: row 5: bank code 12030000 and account 0000202051 appear a second "
                      "time"});
  // Direct debits without creditor identifier and mandate.
  options_.creditor_id.clear();
  EXPECT_REFUSED(
      lk, {"a direct-debit file needs the creditor identifier (--creditor-id)",
           erika + "no mandate for bank code 12030000, account 202051 (" + kPayeeIban + ")"});
  // The creditor identifier of the wrong shape, or with wrong check digits.
  const SepaMandate mandate = {kPayeeBlz, kPayeeKonto, "", "M-1", "2026-01-01", "", "m.csv: row 2"};
  options_.creditor_id = "DE98ZZZ0999999999";
  options_.mandates = {mandate};
  EXPECT_REFUSED(lk, {"the creditor identifier DE98ZZZ0999999999 is not DE, 2 check digits, a "
                      "3-character business code and 11 digits"});
  options_.creditor_id = "DE97ABC09999999999";
  options_.mandates = {mandate};
  EXPECT_REFUSED(
      lk, {"the creditor identifier DE97ABC09999999999 has wrong check digits (expected 98)"});
  // Unsound mandates and sequence type.
  options_.sequence = "NEXT";
  options_.mandates = {mandate, mandate, mandate, mandate, mandate, mandate};
  options_.mandates[1].reference = "M 1";
  options_.mandates[2].signed_on = "2026-02-30";
  options_.mandates[3].signed_on = "2026-06-16";
  options_.mandates[4].sequence = "LAST";
  options_.mandates[5].iban = "DE02120300000000202050";
  for (std::size_t i = 1; i < options_.mandates.size(); ++i) {
    options_.mandates[i].origin = "m.csv: row " + std::to_string(i + 2);
  }
  EXPECT_REFUSED(
      lk, {"the sequence type \"NEXT\" is not FRST, RCUR, OOFF or FNAL",
           "m.csv: row 3: the mandate reference \"M 1\" is not 1 to 35 letters, digits and "
           "/ - ? : ( ) . , ' +",
           "m.csv: row 4: the date of signature \"2026-02-30\" is not a date",
           "m.csv: row 5: the date of signature 2026-06-16 lies in the future",
           "m.csv: row 6: the sequence type \"LAST\" is not FRST, RCUR, OOFF or FNAL",
           "m.csv: row 7: the IBAN DE02120300000000202050 is not sound: the check digits 02 do "
           "not match (expected 29); a digit is wrong or two are swapped"});
  // A second mandate for one account.
  options_.mandates = {mandate, mandate};
  options_.mandates[1].iban = kPayeeIban;
  options_.mandates[1].origin = "m.csv: row 3";
  EXPECT_REFUSED(lk, {"m.csv: row 3: a second mandate for " + std::string(kPayeeIban) +
                      " (the first: m.csv: row 2)"});
  // A debit order between businesses without B2B.
  DtausFileBuilder b2b;
  b2b.kind = "LK";
  b2b.Add(PaymentInput{});
  b2b.payments[0].key = "04";
  options_.mandates = {{"87654321", "1234567", "", "M-2", "2026-01-01", "", ""}};
  EXPECT_REFUSED(b2b.Bytes(),
                 {erika + "transaction key 04 is a debit between businesses; convert with --b2b"});
}

// A file the reader finds errors in is refused with those errors.
TEST_F(SepaTest, FilesWithErrorsAreRefused) {
  DtausFileBuilder file;
  file.Add(PaymentInput{});
  std::string bytes = file.Bytes();
  bytes[bytes.size() - 128 + 16] = '5';  // the trailer's count, E4, now says 5 payments
  const DtausReader reader(bytes);
  std::vector<std::string> expected;
  for (const Finding& f : reader.Findings()) {
    if (f.severity != Severity::kError) continue;
    expected.push_back("the DTAUS file has an error at byte " + std::to_string(f.offset) +
                       " (record " + f.record + ", " + f.field + "): " + f.message);
  }
  ASSERT_FALSE(expected.empty());
  const SepaMessage message = ConvertToSepa(reader, options_);
  EXPECT_EQ(message.problems, expected);
  EXPECT_EQ(message.xml, "");
}

// The validation itself must catch a message out of the schema's order.
TEST_F(SepaTest, SchemaCheckCatchesAMisplacedElement) {
  if (!std::filesystem::is_directory(DTAUS_ISO20022_DIR)) {
    GTEST_SKIP() << "the ISO 20022 schemas are not at " << DTAUS_ISO20022_DIR;
  }
  SepaMessage message = Convert(Write(TransferTyp::Gutschrift, {Payment{}}));
  ASSERT_EQ(SchemaErrors(message.xml, message.message_type), "");
  const std::string charges = "      <ChrgBr>SLEV</ChrgBr>\n";
  const std::size_t at = message.xml.find(charges);
  ASSERT_NE(at, std::string::npos);
  message.xml.erase(at, charges.size());
  message.xml.insert(message.xml.find("      <Dbtr>"), charges);
  EXPECT_NE(SchemaErrors(message.xml, message.message_type), "");
}

}  // namespace
}  // namespace dtaus
