// The prediction and the check of the property-sequence harness: the objects under test
// beside their models, and what every call on them must answer.
//
// After every assignment the object's validity, its number of broken rules and its
// getters must be the model's. Generate must return exactly the text the model predicts
// and leave the file in the state that text promises: on success a file that the reader
// takes without a single error and whose every field, count and control sum equals the
// objects' values; on any other result a file that is empty or was never touched; never a
// temporary file left behind; never an exception towards the host.
//
//   File file;
//   std::vector<Payment> payments = {{std::make_shared<GeldTransfer>(), {}}};
//   GenerateAndCheck(file, payments, {});  // "Bitte vorher den Pfad festlegen."
#ifndef DTAUS_FUZZ_SEQUENCE_CHECK_H_
#define DTAUS_FUZZ_SEQUENCE_CHECK_H_

#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "dtaus/dtaus.h"
#include "harness.h"
#include "sequence_files.h"
#include "sequence_model.h"

namespace dtaus::fuzz::sequence {

// ---- The objects under test, each with its model ----

struct Payment {
  std::shared_ptr<GeldTransfer> object;
  PaymentModel model;
};

struct File {
  std::unique_ptr<DtausDatei> object = std::make_unique<DtausDatei>();
  std::shared_ptr<MeineInfo> header = object->GetMeineInfo();
  HeaderModel model;
  std::vector<int> payments;  // indices into the payment objects; -1 for a null payment
  PathMode path = PathMode::kNone;
};

// Every call into the library goes through here: nothing may throw towards the host.
template <typename F>
auto Host(const char* what, F&& f) {
  try {
    return f();
  } catch (const std::exception& e) {
    Fail(__FILE__, __LINE__, what, std::string("exception reached the host: ") + e.what());
  } catch (...) {
    Fail(__FILE__, __LINE__, what, "a non-standard exception reached the host");
  }
}

// The object's validity, broken rules and getters against its model.
void CheckHeader(const File& f);
void CheckPayment(const Payment& p);

// Generate on `f`, with `fault` injected into the file system, held against the prediction;
// `all` are the payment objects that `f.payments` index.
void GenerateAndCheck(File& f, const std::vector<Payment>& all, Fault fault);

}  // namespace dtaus::fuzz::sequence

#endif  // DTAUS_FUZZ_SEQUENCE_CHECK_H_
