#include "tools/order_preparation.h"

#include <algorithm>
#include <array>
#include <unordered_map>

#include "dtaus/iban.h"
#include "fields/text_codec.h"
#include "tools/dtaus_alphabet.h"
#include "tools/property_table.h"
#include "tools/safe_echo.h"
#include "tools/show_report.h"

namespace dtaus::tool {
namespace {

// Every DTAUS text field (name, purpose, their continuation parts) is 27 characters.
constexpr std::size_t kLineWidth = 27;

// A text spread over a field and its continuation lines, in reading order.
struct LineGroup {
  std::string_view description;  // for the message when it does not fit
  std::vector<std::string_view> properties;
};

const std::array<LineGroup, 2>& LineGroups() {
  static const std::array<LineGroup, 2> groups = {{
      {"VerwendungsZweck to VerwendungsZweck14",
       {"VerwendungsZweck", "VerwendungsZweck2", "VerwendungsZweck3", "VerwendungsZweck4",
        "VerwendungsZweck5", "VerwendungsZweck6", "VerwendungsZweck7", "VerwendungsZweck8",
        "VerwendungsZweck9", "VerwendungsZweck10", "VerwendungsZweck11", "VerwendungsZweck12",
        "VerwendungsZweck13", "VerwendungsZweck14"}},
      {"Name and Name2", {"Name", "Name2"}},
  }};
  return groups;
}

bool IsText(std::size_t object, std::string_view property) {
  if (object == 0) {
    const HeaderProperty* p = FindHeaderProperty(property);
    return p != nullptr && p->kind == ValueKind::kText;
  }
  const PaymentProperty* p = FindPaymentProperty(property);
  return p != nullptr && p->kind == ValueKind::kText;
}

// Wraps one group of a payment; true when a line was wrapped.
bool WrapGroup(InputObject& payment, std::size_t object, const LineGroup& group,
               ObjectProblems& problems) {
  auto in_group = [&group](const InputValue& v) {
    return std::find(group.properties.begin(), group.properties.end(), v.property) !=
           group.properties.end();
  };
  bool too_long = false;
  for (std::string_view property : group.properties) {
    const InputValue* value = FinalValue(payment, property);
    too_long = too_long || (value != nullptr && detail::CountCodePoints(value->value) > kLineWidth);
  }
  if (!too_long) return false;

  // The lines in reading order, each remembering the cell it came from.
  std::vector<InputValue> lines;
  for (std::string_view property : group.properties) {
    const InputValue* value = FinalValue(payment, property);
    if (value == nullptr || value->value.empty()) continue;
    for (std::string& line : WrapWords(value->value, kLineWidth)) {
      lines.push_back({std::string(property), std::move(line), value->location});
    }
  }
  std::string left_over;
  for (std::size_t i = group.properties.size(); i < lines.size(); ++i) {
    if (!left_over.empty()) left_over += ' ';
    left_over += lines[i].value;
  }
  if (lines.size() > group.properties.size()) lines.resize(group.properties.size());
  for (std::size_t i = 0; i < lines.size(); ++i) lines[i].property = group.properties[i];

  auto first = std::find_if(payment.values.begin(), payment.values.end(), in_group);
  const auto at = first - payment.values.begin();
  payment.values.erase(std::remove_if(payment.values.begin(), payment.values.end(), in_group),
                       payment.values.end());
  payment.values.insert(payment.values.begin() + at, lines.begin(), lines.end());
  if (!left_over.empty()) {
    problems.Add(object, std::string(group.properties.front()) +
                             " does not fit even wrapped into " + std::string(group.description) +
                             ": " + std::to_string(detail::CountCodePoints(left_over)) +
                             " characters left over (\"" + left_over + "\")");
  }
  return true;
}

}  // namespace

ObjectProblems::ObjectProblems(const OrderDocument& orders)
    : messages_(orders.payments.size() + 1), iban_failed_(orders.payments.size() + 1) {
  origins_.push_back(orders.header.origin);
  for (const InputObject& payment : orders.payments) origins_.push_back(payment.origin);
}

void ObjectProblems::Add(std::size_t object, std::string message) {
  messages_.at(object).push_back(std::move(message));
}

void ObjectProblems::AddIbanProblem(std::size_t object, std::string message) {
  Add(object, std::move(message));
  iban_failed_.at(object) = true;
}

void ObjectProblems::Add(const std::vector<InvalidObject>& invalid) {
  // The library's messages for a missing bank code or account (MeineInfo and
  // GeldTransfer word them alike).
  constexpr std::string_view kBlzMissing = "Wert <BLZ> fehlt.";
  constexpr std::string_view kKontoMissing = "Wert <Konto> fehlt.";
  std::unordered_map<std::string_view, std::size_t> objects;
  for (std::size_t i = 0; i < origins_.size(); ++i) objects.emplace(origins_[i], i);
  for (const InvalidObject& object : invalid) {
    const auto found = objects.find(object.origin);
    if (found == objects.end()) continue;  // every object the builder names is ours
    for (const std::string& message : object.messages) {
      if (iban_failed_[found->second] && (message == kBlzMissing || message == kKontoMissing)) {
        continue;
      }
      Add(found->second, message);
    }
  }
}

std::size_t ObjectProblems::Count() const {
  return static_cast<std::size_t>(
      std::count_if(messages_.begin(), messages_.end(), [](const auto& m) { return !m.empty(); }));
}

void ObjectProblems::Print(std::ostream& out) const {
  for (std::size_t i = 0; i < messages_.size(); ++i) {
    if (messages_[i].empty()) continue;
    out << SafeEcho(origins_[i]) << ":\n";
    for (const std::string& message : messages_[i]) out << " - " << SafeEcho(message) << "\n";
  }
}

const InputValue* FinalValue(const InputObject& object, std::string_view property) {
  for (auto it = object.values.rbegin(); it != object.values.rend(); ++it) {
    if (it->property == property) return &*it;
  }
  return nullptr;
}

std::vector<std::string> ConvertOrdersToDtausAlphabet(OrderDocument& orders) {
  std::vector<std::string> rejected;
  ForEachObject(orders, [&rejected](std::size_t object, InputObject& input) {
    ConvertObjectToDtausAlphabet(object, input, rejected);
  });
  return rejected;
}

void ConvertObjectToDtausAlphabet(std::size_t object, InputObject& input,
                                  std::vector<std::string>& rejected) {
  for (InputValue& value : input.values) {
    if (!IsText(object, value.property)) continue;
    std::vector<RejectedCharacter> characters;
    value.value = ConvertToDtausAlphabet(value.value, &characters);
    for (const RejectedCharacter& c : characters) {
      rejected.push_back(value.location + ", character " + std::to_string(c.position) + ": " +
                         c.description);
    }
  }
}

void ResolveIbans(OrderDocument& orders, ObjectProblems& problems) {
  ForEachObject(orders, [&problems](std::size_t object, InputObject& input) {
    ResolveIban(object, input, problems);
  });
}

void ResolveIban(std::size_t object, InputObject& input, ObjectProblems& problems) {
  const InputValue* given = FinalValue(input, "IBAN");
  if (given == nullptr) return;
  const InputValue iban = *given;
  std::erase_if(input.values, [](const InputValue& v) { return v.property == "IBAN"; });
  if (iban.value.empty()) return;
  const GermanIbanParts parts = ParseGermanIban(iban.value);
  if (!parts.error.empty()) {
    problems.AddIbanProblem(object, "IBAN " + iban.value + ": " + parts.error);
    return;
  }
  const std::string account = StripZeros(parts.account);
  const InputValue* blz = FinalValue(input, "BLZ");
  const InputValue* konto = FinalValue(input, "Konto");
  bool agrees = true;
  if (blz != nullptr && blz->value != parts.blz) {
    problems.AddIbanProblem(object, "IBAN " + iban.value + " holds bank code " + parts.blz +
                                        ", but BLZ is " + blz->value);
    agrees = false;
  }
  if (konto != nullptr && StripZeros(konto->value) != account) {
    problems.AddIbanProblem(object, "IBAN " + iban.value + " holds account " + account +
                                        ", but Konto is " + konto->value);
    agrees = false;
  }
  if (!agrees) return;
  if (blz == nullptr) input.values.push_back({"BLZ", parts.blz, iban.location});
  if (konto == nullptr) input.values.push_back({"Konto", account, iban.location});
}

std::size_t WrapLongTexts(OrderDocument& orders, ObjectProblems& problems) {
  std::size_t wrapped = 0;
  for (std::size_t i = 0; i < orders.payments.size(); ++i) {
    wrapped += WrapPayment(i + 1, orders.payments[i], problems) ? 1 : 0;
  }
  return wrapped;
}

bool WrapPayment(std::size_t object, InputObject& payment, ObjectProblems& problems) {
  // A text no longer than a line in bytes is no longer in characters either: most
  // payments need no closer look.
  if (std::none_of(payment.values.begin(), payment.values.end(),
                   [](const InputValue& v) { return v.value.size() > kLineWidth; })) {
    return false;
  }
  bool any = false;
  for (const LineGroup& group : LineGroups()) {
    any = WrapGroup(payment, object, group, problems) || any;
  }
  return any;
}

std::vector<std::string> WrapWords(std::string_view text, std::size_t width) {
  std::vector<std::string> lines;
  std::string line;
  std::size_t line_length = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    if (text[pos] == ' ') {
      ++pos;
      continue;
    }
    const std::size_t end = std::min(text.find(' ', pos), text.size());
    std::string_view word = text.substr(pos, end - pos);
    pos = end;
    std::size_t word_length = detail::CountCodePoints(word);
    if (line_length > 0 && line_length + 1 + word_length <= width) {
      line += ' ';
      line += word;
      line_length += 1 + word_length;
      continue;
    }
    if (line_length > 0) lines.push_back(std::move(line));
    line.clear();
    // A word longer than a line is cut into lines of its own.
    while (word_length > width) {
      const std::string_view piece = detail::SliceCodePoints(word, 0, width);
      lines.emplace_back(piece);
      word.remove_prefix(piece.size());
      word_length -= width;
    }
    line = std::string(word);
    line_length = word_length;
  }
  if (line_length > 0) lines.push_back(std::move(line));
  return lines;
}

}  // namespace dtaus::tool
