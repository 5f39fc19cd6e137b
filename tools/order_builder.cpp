#include "tools/order_builder.h"

#include <charconv>

#include "fields/text_codec.h"
#include "tools/amount.h"
#include "tools/dtaus_alphabet.h"
#include "tools/property_table.h"
#include "tools/tool_error.h"

namespace dtaus::tool {
namespace {

std::string Amount(const InputValue& value) {
  std::optional<std::string> converted = ToLibraryAmount(value.value, LibraryDecimalPoint());
  if (!converted) {
    Fail(value.location + ": \"" + value.value +
         "\" is not an amount: write digits with . or , before the cents, no sign, no "
         "thousands separators");
  }
  if (DecimalPlaces(value.value) > 2) {
    Fail(value.location + ": \"" + value.value +
         "\" has more than two decimals; a DTAUS file pays whole cents");
  }
  return *converted;
}

// The amount a payment was last given, if that was a net one (BetragEuro or
// BetragEuroNetto): the last assignment is the one the library keeps.
const InputValue* NetAmount(const InputObject& payment) {
  const InputValue* last = nullptr;
  for (const InputValue& value : payment.values) {
    const PaymentProperty* property = FindPaymentProperty(value.property);
    if (property != nullptr && property->kind == ValueKind::kAmount) last = &value;
  }
  return last != nullptr && last->property != "BetragEuroBrutto" ? last : nullptr;
}

}  // namespace

std::vector<std::string> SplitErrorReport(std::string_view report) {
  std::vector<std::string> messages;
  bool heading = true;
  std::size_t pos = 0;
  while (pos <= report.size()) {
    const std::size_t end = std::min(report.find('\r', pos), report.size());
    std::string_view line = report.substr(pos, end - pos);
    pos = end + 1;
    if (heading) {
      heading = false;
      continue;
    }
    if (line.substr(0, 3) == " - ") line.remove_prefix(3);
    if (!line.empty()) messages.emplace_back(line);
  }
  return messages;
}

std::string_view OrderBuilder::Text(const InputValue& value, std::string& converted) const {
  if (!dtaus_alphabet_) {
    // The library would only find out while writing, and could not say where. ASCII, most
    // of any text, is Windows-1252 as it stands.
    if (detail::IsAscii(value.value)) return value.value;
    std::size_t pos = 0;
    char32_t c;
    while (pos < value.value.size()) {
      if (static_cast<unsigned char>(value.value[pos]) < 0x80) {
        ++pos;
      } else if (!detail::ReadCodePoint(value.value, pos, c)) {
        break;
      } else if (detail::CodePointToWindows1252(c) < 0) {
        Fail(value.location + ": " + detail::DescribeCharacter(c) +
             " cannot be written in a DTAUS file (Windows-1252)");
      }
    }
    return value.value;
  }
  std::string rejected;
  std::optional<std::string> in_alphabet = ToDtausAlphabet(value.value, &rejected);
  if (!in_alphabet) {
    Fail(value.location + ": " + rejected +
         " is outside the DTAUS character set (capitals, digits, blank, . , & - / + * $ % "
         "and Ä Ö Ü ß)");
  }
  converted = std::move(*in_alphabet);
  return converted;
}

void OrderBuilder::AssignHeader(MeineInfo& header, const InputValue& value) const {
  const HeaderProperty* property = FindHeaderProperty(value.property);
  if (property == nullptr) Fail(value.location + ": unknown property of MeineInfo");
  switch (property->kind) {
    case ValueKind::kMedia:
      if (value.value == "Diskette") {
        header.DateiMedia(MediaTyp::Diskette);
      } else if (value.value == "Kassette") {
        header.DateiMedia(MediaTyp::Kassette);
      } else {
        Fail(value.location + ": \"" + value.value + "\" is neither Diskette nor Kassette");
      }
      break;
    case ValueKind::kTransfer:
      if (value.value == "Gutschrift") {
        header.GeldTransferTyp(TransferTyp::Gutschrift);
      } else if (value.value == "Lastschrift") {
        header.GeldTransferTyp(TransferTyp::Lastschrift);
      } else {
        Fail(value.location + ": \"" + value.value + "\" is neither Gutschrift nor Lastschrift");
      }
      break;
    case ValueKind::kIban:  // taken apart into BLZ and Konto before
      Fail(value.location + ": an IBAN is handed over as BLZ and Konto");
    case ValueKind::kAmount:  // the header has no amounts
    case ValueKind::kText: {
      std::string converted;
      (header.*(property->set))(Text(value, converted));
      break;
    }
  }
}

void OrderBuilder::AssignPayment(GeldTransfer& payment, const InputValue& value) const {
  const PaymentProperty* property = FindPaymentProperty(value.property);
  if (property == nullptr || property->set == nullptr) {
    Fail(value.location + ": unknown property of GeldTransfer");
  }
  if (property->kind == ValueKind::kAmount) {
    (payment.*(property->set))(Amount(value));
  } else {
    std::string converted;
    (payment.*(property->set))(Text(value, converted));
  }
}

std::shared_ptr<DtausDatei> OrderBuilder::Build(const OrderDocument& orders) {
  std::shared_ptr<DtausDatei> datei = Begin(orders.header);
  for (const InputObject& object : orders.payments) Add(*datei, object);
  return datei;
}

std::shared_ptr<DtausDatei> OrderBuilder::Begin(const InputObject& header_object) {
  invalid_.clear();
  net_ = NetTotals{};
  auto datei = std::make_shared<DtausDatei>();
  std::shared_ptr<MeineInfo> header = datei->GetMeineInfo();
  // The library measures the execution date's 15-day window against the creation date it
  // holds when the execution date is assigned, and does not look again when the creation
  // date changes. Whatever order the input names them in, the execution date goes last,
  // so the window is measured against the creation date the file will carry.
  for (const InputValue& value : header_object.values) {
    if (value.property != "AusfuehrungsDatum") AssignHeader(*header, value);
  }
  for (const InputValue& value : header_object.values) {
    if (value.property == "AusfuehrungsDatum") AssignHeader(*header, value);
  }
  if (!header->MeineInfoIsValid()) {
    invalid_.push_back({header_object.origin, SplitErrorReport(header->MeineInfoErrors())});
  }
  return datei;
}

bool OrderBuilder::Add(DtausDatei& datei, const InputObject& object) {
  auto payment = std::make_shared<GeldTransfer>();
  for (const InputValue& value : object.values) AssignPayment(*payment, value);
  const bool valid = payment->InputFieldsValid();
  if (!valid) {
    invalid_.push_back({object.origin, SplitErrorReport(payment->InputFieldsErrors())});
  } else if (const InputValue* net = NetAmount(object); net != nullptr) {
    const std::string gross = payment->BetragEuroBrutto();
    std::uint64_t gross_cents = 0;
    std::from_chars(gross.data(), gross.data() + gross.size(), gross_cents);
    ++net_.payments;
    net_.net_cents += ParseCents(net->value).value_or(0);
    net_.gross_cents += gross_cents;
  }
  datei.AddGeldTransfer(std::move(payment));
  return valid;
}

}  // namespace dtaus::tool
