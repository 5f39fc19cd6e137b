#include "tools/order_stream.h"

#include <string>
#include <vector>

#include "tools/bank_check.h"

namespace dtaus::tool {
namespace {

// A DTAUS file counts its payments in 16 bits.
constexpr std::size_t kMaxPayments = 32767;

OrderDocument HeaderAndOnePayment() {
  OrderDocument orders;
  orders.payments.emplace_back();
  return orders;
}

}  // namespace

OrderStream::OrderStream(bool dtaus_alphabet, bool no_wrap, const BankDirectory* directory)
    : dtaus_alphabet_(dtaus_alphabet),
      no_wrap_(no_wrap),
      directory_(directory),
      // The texts are in the DTAUS alphabet already where asked for.
      builder_(false),
      problems_(HeaderAndOnePayment()) {
  if (directory_ == nullptr) return;
  // The payments' accounts are checked on a pipe's thread of their own, beside the
  // building; the directory is that thread's alone from the first payment on.
  checks_.emplace([this](InputObject& payment) {
    try {
      return AccountPasses(payment);
    } catch (...) {
      return false;  // a check that cannot even run: the thorough way checks again
    }
  });
}

bool OrderStream::Prepare(std::size_t object, InputObject& input) {
  if (dtaus_alphabet_) {
    std::vector<std::string> rejected;
    ConvertObjectToDtausAlphabet(object, input, rejected);
    if (!rejected.empty()) return false;
  }
  ResolveIban(object, input, problems_);
  if (object > 0 && !no_wrap_ && WrapPayment(object, input, problems_)) ++wrapped_;
  return problems_.Count() == 0;
}

bool OrderStream::AccountPasses(const InputObject& input) const {
  if (directory_ == nullptr) return true;
  const InputValue* blz = FinalValue(input, "BLZ");
  if (blz == nullptr) return true;
  const InputValue* konto = FinalValue(input, "Konto");
  static const std::string kNoAccount;
  return AccountProblem(*directory_, blz->value, konto ? konto->value : kNoAccount).empty();
}

bool OrderStream::Header(InputObject& header) {
  if (datei_ != nullptr || !Prepare(0, header)) return false;
  datei_ = builder_.Begin(header);
  return builder_.Invalid().empty() && AccountPasses(header);
}

bool OrderStream::PreparePayment(InputObject& payment) {
  return datei_ != nullptr && ++payments_ <= kMaxPayments && Prepare(1, payment);
}

bool OrderStream::BuildPayment(InputObject& payment) {
  if (!builder_.Add(*datei_, payment)) return false;
  return !checks_ || checks_->Put(payment);  // hands the payment on
}

bool OrderStream::Complete() {
  if (datei_ == nullptr || payments_ == 0 || payments_ > kMaxPayments) return false;
  return !checks_ || checks_->Finish();
}

}  // namespace dtaus::tool
