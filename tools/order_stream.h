// OrderStream is generate's quick way: it takes the orders one object at a time as the
// JSON or CSV reader hands them over, prepares each as the thorough way does (the DTAUS
// alphabet, IBANs, wrapping), assigns it to the library and checks its account, and
// keeps nothing of it but the library's payment.
//
// It is for orders without a single problem, which is nearly all of them: the first
// problem of any kind makes it stop, and the orders are read again the thorough way,
// which holds the whole document and words every problem with its place. So nothing it
// skips (origins, locations, the messages themselves) is ever missed.
//
//   OrderStream stream(options, &directory);
//   if (StreamJsonOrders(text, stream.HeaderSink(), stream.PaymentSink()) &&
//       stream.Complete())
//     write(stream.File(), stream.Wrapped(), stream.Net());
#ifndef DTAUS_TOOLS_ORDER_STREAM_H_
#define DTAUS_TOOLS_ORDER_STREAM_H_

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>

#include "dtaus/bank_directory.h"
#include "dtaus/dtaus_datei.h"
#include "tools/object_pipe.h"
#include "tools/order_builder.h"
#include "tools/order_document.h"
#include "tools/order_preparation.h"

namespace dtaus::tool {

class OrderStream {
 public:
  // `directory` nullptr: accounts are not checked.
  OrderStream(bool dtaus_alphabet, bool no_wrap, const BankDirectory* directory);

  // Each returns false at the first problem; the builder's ToolError passes through.
  bool Header(InputObject& header);
  bool Payment(InputObject& payment) { return PreparePayment(payment) && BuildPayment(payment); }
  // Payment in two steps, for two threads: the preparation (the DTAUS alphabet, IBANs,
  // wrapping) touches nothing the building (the library, the account check) does.
  bool PreparePayment(InputObject& payment);
  bool BuildPayment(InputObject& payment);
  std::function<bool(InputObject&)> HeaderSink() {
    return [this](InputObject& object) { return Header(object); };
  }
  std::function<bool(InputObject&)> PaymentSink() {
    return [this](InputObject& object) { return Payment(object); };
  }
  std::function<bool(InputObject&)> BuildSink() {
    return [this](InputObject& object) { return BuildPayment(object); };
  }

  // True when a header and 1 to 32,767 payments went through and every account passed
  // (waits for the last accounts to be checked).
  bool Complete();
  const std::shared_ptr<DtausDatei>& File() const { return datei_; }
  std::size_t Wrapped() const { return wrapped_; }
  const NetTotals& Net() const { return builder_.Net(); }

 private:
  bool Prepare(std::size_t object, InputObject& input);
  // Whether the object's bank code and account pass the bank directory's check.
  bool AccountPasses(const InputObject& input) const;

  bool dtaus_alphabet_;
  bool no_wrap_;
  const BankDirectory* directory_;
  OrderBuilder builder_;
  // Object 0 the header, object 1 whichever payment is being prepared.
  ObjectProblems problems_;
  std::shared_ptr<DtausDatei> datei_;
  std::size_t payments_ = 0;  // prepared
  std::size_t wrapped_ = 0;
  // The payments' accounts, checked beside the building; last, so that it stops first.
  std::optional<ObjectPipe> checks_;
};

}  // namespace dtaus::tool

#endif  // DTAUS_TOOLS_ORDER_STREAM_H_
