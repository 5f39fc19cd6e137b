#include "dtaus/sepa.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <map>
#include <optional>
#include <utility>

#include "dtaus/iban.h"
#include "fields/clock.h"
#include "fields/text_codec.h"
#include "sepa/sepa_text.h"
#include "sepa/xml_writer.h"

namespace dtaus {
namespace {

using detail::IsSepaIdentifier;
using detail::ToSepaText;

constexpr std::size_t kMaxName = 70;
constexpr std::size_t kMaxPurpose = 140;
// The sequence types of a direct debit, in the order their batches are written.
constexpr std::array<std::string_view, 4> kSequences = {"FRST", "RCUR", "OOFF", "FNAL"};

struct Account {
  std::string iban;
  std::string bic;  // empty: unknown
};

// One record C on its way into the message.
struct Transaction {
  std::string end_to_end_id;
  std::int64_t cents = 0;
  std::string name;  // the payee (credit transfer) or the payer (direct debit)
  Account account;
  std::string ultimate;  // the ordering party where it differs from the header's name
  std::string purpose;
  std::string category;  // category purpose of the batch: "SALA" for salaries
  std::string mandate_id;
  std::string signed_on;
  std::string sequence;
};

std::string Digits(std::int64_t value, int width) {
  std::string text = std::to_string(value);
  return std::string(text.size() < static_cast<std::size_t>(width) ? width - text.size() : 0, '0') +
         text;
}

// Cents as SEPA writes amounts: "1234.50".
std::string Amount(std::int64_t cents) {
  return std::to_string(cents / 100) + "." + Digits(cents % 100, 2);
}

std::string WithoutLeadingZeros(std::string_view digits) {
  const std::size_t first = digits.find_first_not_of('0');
  return first == std::string_view::npos ? "" : std::string(digits.substr(first));
}

// An ISO date (yyyy-mm-dd), when `text` is one.
std::optional<std::chrono::year_month_day> ParseIsoDate(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  int parts[3] = {0, 0, 0};
  const std::size_t starts[3] = {0, 5, 8};
  const std::size_t lengths[3] = {4, 2, 2};
  for (int p = 0; p < 3; ++p) {
    for (std::size_t i = 0; i < lengths[p]; ++i) {
      const char c = text[starts[p] + i];
      if (c < '0' || c > '9') return std::nullopt;
      parts[p] = parts[p] * 10 + (c - '0');
    }
  }
  const std::chrono::year_month_day date{std::chrono::year{parts[0]},
                                         std::chrono::month{static_cast<unsigned>(parts[1])},
                                         std::chrono::day{static_cast<unsigned>(parts[2])}};
  if (!date.ok()) return std::nullopt;
  return date;
}

std::string IsoDate(std::chrono::year_month_day date) {
  return Digits(static_cast<int>(date.year()), 4) + "-" +
         Digits(static_cast<unsigned>(date.month()), 2) + "-" +
         Digits(static_cast<unsigned>(date.day()), 2);
}

// The local time now, as yyyy-mm-ddThh:mm:ss.
std::string LocalNow() {
  const detail::LocalDateTime now = detail::Now();
  return Digits(now.date.year, 4) + "-" + Digits(now.date.month, 2) + "-" +
         Digits(now.date.day, 2) + "T" + Digits(now.hour, 2) + ":" + Digits(now.minute, 2) + ":" +
         Digits(now.second, 2);
}

// FNV-1a: a digest of the payments that makes two conversions in the same second differ
// when their files do. Not a security measure, only a tie-breaker for the message id.
class Digest {
 public:
  void Add(std::string_view text) {
    for (unsigned char c : text) value_ = (value_ ^ c) * 1099511628211ULL;
    value_ = (value_ ^ 0xFF) * 1099511628211ULL;  // a separator, so "ab","c" != "a","bc"
  }
  std::string Hex(std::size_t digits) const {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    for (std::size_t i = 0; i < digits; ++i) text += kHex[(value_ >> (4 * i)) & 0xF];
    return text;
  }

 private:
  std::uint64_t value_ = 14695981039346656037ULL;
};

std::string JoinTexts(std::string_view first, const PaymentRecord& c, std::string_view type) {
  std::string text(first);
  for (const ExtensionPart& part : c.parts) {
    if (part.type != type || part.text.empty()) continue;
    if (!text.empty()) text += ' ';
    text += part.text;
  }
  return text;
}

class Converter {
 public:
  Converter(const DtausReader& reader, const SepaOptions& options, SepaMessage& out)
      : reader_(reader), options_(options), out_(out) {}

  void Run();

 private:
  void Problem(std::string text) { out_.problems.push_back(std::move(text)); }
  bool CheckHeaderAndTrailer();
  void CheckMoment();
  void ReadIbanMap();
  void ReadMandates();
  const SepaAccount* Mapped(std::string_view blz, std::string_view konto) const;
  std::optional<Account> AccountOf(const std::string& who, std::string_view blz,
                                   std::string_view konto);
  std::string Text(const std::string& who, const char* what, std::string_view text,
                   std::size_t limit);
  void ChooseDate();
  void CheckCreditorId();
  void AddPayment(std::size_t number, const PaymentRecord& c);
  void FindMandate(const std::string& who, const PaymentRecord& c, Transaction& t);
  std::string MessageId() const;
  void WriteCreditTransfers(detail::XmlWriter& xml) const;
  void WriteDirectDebits(detail::XmlWriter& xml) const;
  void WriteGroupHeader(detail::XmlWriter& xml) const;
  void WriteBatchHead(detail::XmlWriter& xml, std::size_t index,
                      const std::vector<const Transaction*>& batch) const;
  // The transactions whose `field` is `value`, in file order: one PmtInf.
  std::vector<const Transaction*> Batch(std::string Transaction::*field,
                                        std::string_view value) const;
  static void WriteIdAndAmount(detail::XmlWriter& xml, const Transaction& t,
                               const char* amount_element);
  static void WritePurpose(detail::XmlWriter& xml, const Transaction& t);
  static void WriteAgent(detail::XmlWriter& xml, const char* element, const std::string& bic);
  static void WriteAccount(detail::XmlWriter& xml, const char* element, const std::string& iban);
  static void WriteName(detail::XmlWriter& xml, const char* element, const std::string& name);

  const DtausReader& reader_;
  const SepaOptions& options_;
  SepaMessage& out_;

  bool debits_ = false;
  std::string now_;
  std::chrono::year_month_day today_{};
  std::string date_;  // execution or collection date, yyyy-mm-dd
  std::string name_;  // the header's name in the SEPA character set
  Account own_;       // the header's account
  std::vector<Transaction> transactions_;
  // The IBAN map, its IBANs in their compact form.
  std::vector<SepaAccount> map_;
  // Mandates by the debtor's IBAN.
  std::map<std::string, const SepaMandate*> mandates_;
};

bool Converter::CheckHeaderAndTrailer() {
  for (const Finding& f : reader_.Findings()) {
    if (f.severity != Severity::kError) continue;
    std::string text = "the DTAUS file has an error at byte " + std::to_string(f.offset);
    if (!f.record.empty())
      text += " (record " + f.record + (f.field.empty() ? "" : ", " + f.field) + ")";
    Problem(text + ": " + f.message);
  }
  if (!out_.problems.empty()) return false;
  if (!reader_.Header() || !reader_.Trailer()) {
    Problem("the DTAUS file lacks its header or trailer record");
    return false;
  }
  // The reader has compared count and sums already; the message repeats them in its
  // group header, so they are compared once more where they are taken over.
  const TrailerRecord& e = *reader_.Trailer();
  const std::string count = std::to_string(reader_.Payments().size());
  std::uint64_t cents = 0;
  for (const PaymentRecord& c : reader_.Payments()) cents += static_cast<std::uint64_t>(c.cents);
  if (WithoutLeadingZeros(e.TotalDatensatzItems) != WithoutLeadingZeros(count) ||
      WithoutLeadingZeros(e.TotalEuro) != WithoutLeadingZeros(std::to_string(cents))) {
    Problem("the trailer record E does not match the payments (" + count + " payments, " +
            Amount(static_cast<std::int64_t>(cents)) + " EUR)");
    return false;
  }
  if (reader_.Payments().empty()) {
    Problem("the DTAUS file holds no payments");
    return false;
  }
  out_.payments = reader_.Payments().size();
  out_.cents = cents;
  debits_ = reader_.Header()->GeldTransferTyp == TransferTyp::Lastschrift;
  out_.message_type = debits_ ? "pain.008.001.08" : "pain.001.001.09";
  return true;
}

void Converter::CheckMoment() {
  now_ = options_.now.empty() ? LocalNow() : options_.now;
  const std::optional<std::chrono::year_month_day> today = ParseIsoDate(now_.substr(0, 10));
  if (!today || now_.size() != 19 || now_[10] != 'T') {
    Problem("the time of the conversion \"" + now_ + "\" is not yyyy-mm-ddThh:mm:ss");
    today_ = std::chrono::year_month_day{};
    return;
  }
  today_ = *today;
}

void Converter::ChooseDate() {
  const char* what = debits_ ? "collection date" : "execution date";
  const std::string& a11b = reader_.Header()->AusfuehrungsDatum;
  std::optional<std::chrono::year_month_day> date;
  if (!a11b.empty()) {
    // A11b is ddmmyyyy.
    if (a11b.size() == 8) {
      date = ParseIsoDate(a11b.substr(4, 4) + "-" + a11b.substr(2, 2) + "-" + a11b.substr(0, 2));
    }
    if (!date) Problem("the file's " + std::string(what) + " " + a11b + " is not a date");
  } else if (!options_.date.empty()) {
    date = ParseIsoDate(options_.date);
    if (!date)
      Problem("the " + std::string(what) + " " + options_.date + " is not a date (yyyy-mm-dd)");
  } else if (today_.ok()) {
    date = today_;
  }
  if (!date) return;
  date_ = IsoDate(*date);
  out_.date = date_;
  out_.date_from_file = !a11b.empty();
  if (today_.ok() && std::chrono::sys_days{*date} < std::chrono::sys_days{today_}) {
    Problem("the " + std::string(what) + " " + date_ + " lies in the past");
  }
}

void Converter::ReadIbanMap() {
  for (const SepaAccount& entry : options_.iban_map) {
    const std::string who = entry.origin.empty() ? "IBAN map " + entry.iban : entry.origin;
    const GermanIbanParts parts = ParseGermanIban(entry.iban);
    bool bic_sound = entry.bic.empty() || entry.bic.size() == 8 || entry.bic.size() == 11;
    for (char c : entry.bic) {
      bic_sound = bic_sound && ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'));
    }
    if (!parts.error.empty()) {
      Problem(who + ": the IBAN " + entry.iban + " is not sound: " + parts.error);
    } else if (!bic_sound) {
      Problem(who + ": the BIC " + entry.bic + " is not 8 or 11 capital letters and digits");
    } else if (Mapped(entry.blz, entry.konto) != nullptr) {
      Problem(who + ": bank code " + entry.blz + " and account " + entry.konto +
              " appear a second time");
    } else {
      // Without a BIC of its own the IBAN's bank code (which may differ from the DTAUS
      // one, after a merger) asks the directory.
      std::string bic = entry.bic;
      if (bic.empty() && options_.banks.bic) bic = options_.banks.bic(parts.blz);
      map_.push_back({entry.blz, entry.konto, GermanIban(parts.blz, parts.account), bic, who});
    }
  }
}

const SepaAccount* Converter::Mapped(std::string_view blz, std::string_view konto) const {
  const std::string number = WithoutLeadingZeros(konto);
  for (const SepaAccount& mapped : map_) {
    if (mapped.blz == blz && WithoutLeadingZeros(mapped.konto) == number) return &mapped;
  }
  return nullptr;
}

std::optional<Account> Converter::AccountOf(const std::string& who, std::string_view blz,
                                            std::string_view konto) {
  if (const SepaAccount* mapped = Mapped(blz, konto)) return Account{mapped->iban, mapped->bic};
  if (options_.banks.account_problem) {
    if (std::string problem = options_.banks.account_problem(blz, konto); !problem.empty()) {
      Problem(who + ": " + problem);
      return std::nullopt;
    }
  }
  Account account{GermanIban(blz, konto), ""};
  if (account.iban.empty()) {
    Problem(who + ": bank code " + std::string(blz) + " and account " + std::string(konto) +
            " give no IBAN");
    return std::nullopt;
  }
  if (options_.banks.bic) account.bic = options_.banks.bic(blz);
  ++out_.standard_rule_ibans;
  return account;
}

std::string Converter::Text(const std::string& who, const char* what, std::string_view text,
                            std::size_t limit) {
  detail::SepaText sepa = ToSepaText(text, options_.german_charset);
  if (sepa.refused != 0) {
    std::string problem = who + ": the " + what + " holds " +
                          detail::DescribeCharacter(sepa.refused) +
                          ", which the SEPA character set lacks";
    if (!options_.german_charset &&
        std::u32string_view(U"*$%").find(sepa.refused) != std::u32string_view::npos) {
      problem += " (--german-charset keeps it)";
    }
    Problem(problem);
  }
  const std::size_t length = detail::CountCodePoints(sepa.text);
  if (length > limit) {
    if (!options_.cut_purpose) {
      Problem(who + ": the " + what + " has " + std::to_string(length) +
              " characters, SEPA allows " + std::to_string(limit) + " (--cut-purpose cuts it)");
    } else {
      sepa.text = std::string(detail::SliceCodePoints(sepa.text, 0, limit));
      sepa.text.erase(sepa.text.find_last_not_of(' ') + 1);
      if (out_.cut.empty() || out_.cut.back() != who) out_.cut.push_back(who);
    }
  }
  return sepa.text;
}

void Converter::CheckCreditorId() {
  const std::string& id = options_.creditor_id;
  if (id.empty()) {
    Problem("a direct-debit file needs the creditor identifier (--creditor-id)");
    return;
  }
  // DE, two check digits, a business code of three letters or digits that the check
  // leaves out, and the 11-digit national identifier.
  bool shape = id.size() == 18 && id.compare(0, 2, "DE") == 0;
  for (std::size_t i = 2; shape && i < id.size(); ++i) {
    const char c = id[i];
    const bool digit = c >= '0' && c <= '9';
    shape = (i >= 4 && i < 7) ? (digit || (c >= 'A' && c <= 'Z')) : digit;
  }
  if (!shape) {
    Problem("the creditor identifier " + id +
            " is not DE, 2 check digits, a 3-character business code and 11 digits");
  } else if (Mod97CheckDigits(id.substr(7), "DE") != id.substr(2, 2)) {
    Problem("the creditor identifier " + id + " has wrong check digits (expected " +
            Mod97CheckDigits(id.substr(7), "DE") + ")");
  }
}

void Converter::ReadMandates() {
  for (const SepaMandate& m : options_.mandates) {
    const std::string who = m.origin.empty() ? "mandate " + m.reference : m.origin;
    bool sound = true;
    if (!IsSepaIdentifier(m.reference)) {
      Problem(who + ": the mandate reference \"" + m.reference +
              "\" is not 1 to 35 letters, digits and / - ? : ( ) . , ' +");
      sound = false;
    }
    const std::optional<std::chrono::year_month_day> signed_on = ParseIsoDate(m.signed_on);
    if (!signed_on) {
      Problem(who + ": the date of signature \"" + m.signed_on + "\" is not a date");
      sound = false;
    } else if (today_.ok() && std::chrono::sys_days{*signed_on} > std::chrono::sys_days{today_}) {
      Problem(who + ": the date of signature " + m.signed_on + " lies in the future");
      sound = false;
    }
    if (!m.sequence.empty() &&
        std::find(kSequences.begin(), kSequences.end(), m.sequence) == kSequences.end()) {
      Problem(who + ": the sequence type \"" + m.sequence + "\" is not FRST, RCUR, OOFF or FNAL");
      sound = false;
    }
    std::string iban = m.iban;
    if (!iban.empty()) {
      GermanIbanParts parts = ParseGermanIban(iban);
      if (!parts.error.empty()) {
        Problem(who + ": the IBAN " + iban + " is not sound: " + parts.error);
        continue;
      }
      iban = GermanIban(parts.blz, parts.account);
    } else {
      // The debtor's account as the DTAUS file names it; mapped like the payments.
      const SepaAccount* mapped = Mapped(m.blz, m.konto);
      iban = mapped != nullptr ? mapped->iban : GermanIban(m.blz, m.konto);
      if (iban.empty()) {
        Problem(who + ": bank code \"" + m.blz + "\" and account \"" + m.konto +
                "\" name no account");
        continue;
      }
    }
    if (!sound) continue;
    const auto [it, inserted] = mandates_.emplace(iban, &m);
    if (!inserted) {
      Problem(who + ": a second mandate for " + iban + " (the first: " +
              (it->second->origin.empty() ? it->second->reference : it->second->origin) + ")");
    }
  }
}

void Converter::FindMandate(const std::string& who, const PaymentRecord& c, Transaction& t) {
  const auto it = mandates_.find(t.account.iban);
  if (it == mandates_.end()) {
    Problem(who + ": no mandate for bank code " + c.BLZ + ", account " +
            WithoutLeadingZeros(c.Konto) + " (" + t.account.iban + ")");
    return;
  }
  t.mandate_id = it->second->reference;
  t.signed_on = it->second->signed_on;
  t.sequence = it->second->sequence.empty() ? options_.sequence : it->second->sequence;
}

void Converter::AddPayment(std::size_t number, const PaymentRecord& c) {
  Transaction t;
  std::string who = "payment " + std::to_string(number);
  const std::string raw_name = JoinTexts(c.Name, c, "01");
  if (!raw_name.empty()) who += " (" + raw_name + ")";
  t.name = Text(who, "name", raw_name, kMaxName);
  if (t.name.empty()) Problem(who + ": the name is empty");
  t.purpose = Text(who, "purpose", JoinTexts(c.VerwendungsZweck, c, "02"), kMaxPurpose);
  const std::string ordering =
      Text(who, "ordering party's name", JoinTexts(c.MeineInfoName, c, "03"), kMaxName);
  if (!ordering.empty() && ordering != name_) t.ultimate = ordering;

  const std::string reference = WithoutLeadingZeros(c.FreieReferenz);
  t.end_to_end_id = reference.empty() ? "NOTPROVIDED" : reference;
  t.cents = c.cents;
  if (t.cents <= 0) Problem(who + ": the amount is 0.00 EUR; SEPA payments start at 0.01 EUR");

  const std::string& key = c.TextSchluessel;
  if (!debits_) {
    // Credit transfers of every DTAUS kind become SEPA credit transfers; salaries (53)
    // carry their category so that the payee's bank books them as such.
    if (key == "53") {
      t.category = "SALA";
    } else if (key != "51" && key != "54" && key != "56") {
      Problem(who + ": transaction key " + key + " is not a credit transfer");
    }
  } else if (key == "04" && !options_.b2b) {
    Problem(who + ": transaction key 04 is a debit between businesses; convert with --b2b");
  } else if (key != "04" && key != "05") {
    Problem(who + ": transaction key " + key + " is not a direct debit");
  }

  if (std::optional<Account> account = AccountOf(who, c.BLZ, c.Konto)) {
    t.account = std::move(*account);
    if (debits_) FindMandate(who, c, t);
  }
  transactions_.push_back(std::move(t));
}

std::string Converter::MessageId() const {
  Digest digest;
  const HeaderRecord& a = *reader_.Header();
  for (const std::string* field : {&a.kind, &a.BLZ, &a.Konto, &a.Name, &a.AktuellesDatum}) {
    digest.Add(*field);
  }
  for (const Transaction& t : transactions_) {
    for (const std::string* field : {&t.account.iban, &t.name, &t.purpose, &t.end_to_end_id}) {
      digest.Add(*field);
    }
    digest.Add(std::to_string(t.cents));
  }
  std::string stamp;
  for (char c : now_) {
    if (c >= '0' && c <= '9') stamp += c;
  }
  // "DTAUS" + yyyymmddhhmmss + "-" + 12 hex digits: 32 characters, room for "-n" per batch.
  return "DTAUS" + stamp + "-" + digest.Hex(12);
}

std::vector<const Transaction*> Converter::Batch(std::string Transaction::*field,
                                                 std::string_view value) const {
  std::vector<const Transaction*> batch;
  for (const Transaction& t : transactions_) {
    if (t.*field == value) batch.push_back(&t);
  }
  return batch;
}

// PmtId/EndToEndId and the amount in euro, inside `amount_element` where the message
// wraps it (Amt in a credit transfer).
void Converter::WriteIdAndAmount(detail::XmlWriter& xml, const Transaction& t,
                                 const char* amount_element) {
  xml.Start("PmtId");
  xml.Element("EndToEndId", t.end_to_end_id);
  xml.End();
  if (amount_element != nullptr) xml.Start(amount_element);
  xml.Start("InstdAmt");
  xml.Attribute("Ccy", "EUR");
  xml.Text(Amount(t.cents));
  xml.End();
  if (amount_element != nullptr) xml.End();
}

// The purpose as the one unstructured remittance text SEPA allows.
void Converter::WritePurpose(detail::XmlWriter& xml, const Transaction& t) {
  if (t.purpose.empty()) return;
  xml.Start("RmtInf");
  xml.Element("Ustrd", t.purpose);
  xml.End();
}

void Converter::WriteName(detail::XmlWriter& xml, const char* element, const std::string& name) {
  xml.Start(element);
  xml.Element("Nm", name);
  xml.End();
}

void Converter::WriteAccount(detail::XmlWriter& xml, const char* element, const std::string& iban) {
  xml.Start(element);
  xml.Start("Id");
  xml.Element("IBAN", iban);
  xml.End();
  xml.End();
}

// The bank: its BIC where known, otherwise NOTPROVIDED, as SEPA asks where the schema
// needs an agent and the IBAN alone identifies the bank.
void Converter::WriteAgent(detail::XmlWriter& xml, const char* element, const std::string& bic) {
  xml.Start(element);
  xml.Start("FinInstnId");
  if (!bic.empty()) {
    xml.Element("BICFI", bic);
  } else {
    xml.Start("Othr");
    xml.Element("Id", "NOTPROVIDED");
    xml.End();
  }
  xml.End();
  xml.End();
}

void Converter::WriteGroupHeader(detail::XmlWriter& xml) const {
  xml.Start("GrpHdr");
  xml.Element("MsgId", out_.message_id);
  xml.Element("CreDtTm", now_);
  xml.Element("NbOfTxs", std::to_string(out_.payments));
  xml.Element("CtrlSum", Amount(static_cast<std::int64_t>(out_.cents)));
  WriteName(xml, "InitgPty", name_);
  xml.End();
}

void Converter::WriteBatchHead(detail::XmlWriter& xml, std::size_t index,
                               const std::vector<const Transaction*>& batch) const {
  std::int64_t cents = 0;
  for (const Transaction* t : batch) cents += t->cents;
  xml.Element("PmtInfId", out_.message_id + "-" + std::to_string(index));
  xml.Element("PmtMtd", debits_ ? "DD" : "TRF");
  xml.Element("NbOfTxs", std::to_string(batch.size()));
  xml.Element("CtrlSum", Amount(cents));
  xml.Start("PmtTpInf");
  xml.Start("SvcLvl");
  xml.Element("Cd", "SEPA");
  xml.End();
  if (debits_) {
    xml.Start("LclInstrm");
    xml.Element("Cd", options_.b2b ? "B2B" : "CORE");
    xml.End();
    xml.Element("SeqTp", batch.front()->sequence);
  } else if (!batch.front()->category.empty()) {
    xml.Start("CtgyPurp");
    xml.Element("Cd", batch.front()->category);
    xml.End();
  }
  xml.End();
}

void Converter::WriteCreditTransfers(detail::XmlWriter& xml) const {
  xml.Start("CstmrCdtTrfInitn");
  WriteGroupHeader(xml);
  std::size_t index = 0;
  for (std::string_view category : {"", "SALA"}) {
    const std::vector<const Transaction*> batch = Batch(&Transaction::category, category);
    if (batch.empty()) continue;
    xml.Start("PmtInf");
    WriteBatchHead(xml, ++index, batch);
    xml.Start("ReqdExctnDt");
    xml.Element("Dt", date_);
    xml.End();
    WriteName(xml, "Dbtr", name_);
    WriteAccount(xml, "DbtrAcct", own_.iban);
    WriteAgent(xml, "DbtrAgt", own_.bic);
    xml.Element("ChrgBr", "SLEV");
    for (const Transaction* t : batch) {
      xml.Start("CdtTrfTxInf");
      WriteIdAndAmount(xml, *t, "Amt");
      if (!t->ultimate.empty()) WriteName(xml, "UltmtDbtr", t->ultimate);
      if (!t->account.bic.empty()) WriteAgent(xml, "CdtrAgt", t->account.bic);
      WriteName(xml, "Cdtr", t->name);
      WriteAccount(xml, "CdtrAcct", t->account.iban);
      WritePurpose(xml, *t);
      xml.End();
    }
    xml.End();
  }
  xml.End();
}

void Converter::WriteDirectDebits(detail::XmlWriter& xml) const {
  xml.Start("CstmrDrctDbtInitn");
  WriteGroupHeader(xml);
  std::size_t index = 0;
  for (std::string_view sequence : kSequences) {
    const std::vector<const Transaction*> batch = Batch(&Transaction::sequence, sequence);
    if (batch.empty()) continue;
    xml.Start("PmtInf");
    WriteBatchHead(xml, ++index, batch);
    xml.Element("ReqdColltnDt", date_);
    WriteName(xml, "Cdtr", name_);
    WriteAccount(xml, "CdtrAcct", own_.iban);
    WriteAgent(xml, "CdtrAgt", own_.bic);
    xml.Element("ChrgBr", "SLEV");
    xml.Start("CdtrSchmeId");
    xml.Start("Id");
    xml.Start("PrvtId");
    xml.Start("Othr");
    xml.Element("Id", options_.creditor_id);
    xml.Start("SchmeNm");
    xml.Element("Prtry", "SEPA");
    xml.End();
    xml.End();
    xml.End();
    xml.End();
    xml.End();
    for (const Transaction* t : batch) {
      xml.Start("DrctDbtTxInf");
      WriteIdAndAmount(xml, *t, nullptr);
      xml.Start("DrctDbtTx");
      xml.Start("MndtRltdInf");
      xml.Element("MndtId", t->mandate_id);
      xml.Element("DtOfSgntr", t->signed_on);
      xml.End();
      xml.End();
      if (!t->ultimate.empty()) WriteName(xml, "UltmtCdtr", t->ultimate);
      WriteAgent(xml, "DbtrAgt", t->account.bic);
      WriteName(xml, "Dbtr", t->name);
      WriteAccount(xml, "DbtrAcct", t->account.iban);
      WritePurpose(xml, *t);
      xml.End();
    }
    xml.End();
  }
  xml.End();
}

void Converter::Run() {
  if (!CheckHeaderAndTrailer()) return;
  const HeaderRecord& a = *reader_.Header();
  CheckMoment();
  ChooseDate();
  ReadIbanMap();
  name_ = Text("the header", "name", a.Name, kMaxName);
  if (name_.empty()) Problem("the header: the name is empty");
  if (std::optional<Account> own = AccountOf("the header's account", a.BLZ, a.Konto)) {
    own_ = std::move(*own);
  }
  if (debits_) {
    CheckCreditorId();
    if (std::find(kSequences.begin(), kSequences.end(), options_.sequence) == kSequences.end()) {
      Problem("the sequence type \"" + options_.sequence + "\" is not FRST, RCUR, OOFF or FNAL");
    }
    ReadMandates();
  }
  std::size_t number = 0;
  for (const PaymentRecord& c : reader_.Payments()) AddPayment(++number, c);
  if (!out_.problems.empty()) return;

  out_.message_id = MessageId();
  detail::XmlWriter xml;
  xml.Start("Document");
  xml.Attribute("xmlns", "urn:iso:std:iso:20022:tech:xsd:" + out_.message_type);
  if (debits_) {
    WriteDirectDebits(xml);
  } else {
    WriteCreditTransfers(xml);
  }
  xml.End();
  std::optional<std::string> text = xml.Finish();
  if (!text) {
    Problem("the XML writer failed (out of memory)");
    return;
  }
  out_.xml = std::move(*text);
}

}  // namespace

SepaMessage ConvertToSepa(const DtausReader& reader, const SepaOptions& options) noexcept {
  SepaMessage message;
  try {
    Converter(reader, options, message).Run();
  } catch (...) {
    // Only memory can run out on the way; what was collected is of no use then.
    message = SepaMessage{};
    try {
      message.problems.push_back("out of memory");
    } catch (...) {
      message.message_type.clear();  // no room even for the message: no XML all the same
    }
  }
  if (!message.problems.empty()) message.xml.clear();
  return message;
}

}  // namespace dtaus
