// What the tool does to the orders between reading and the library, so that input as
// people have it becomes input the library takes:
//
//   - with --dtaus-alphabet, every text is converted to the DTAUS character set, and
//     every character that has no place in it is reported at once;
//   - a German IBAN is taken apart into the bank code and the account it holds;
//   - a purpose or a name longer than a DTAUS field is wrapped at word boundaries into
//     its continuation lines.
//
//   ObjectProblems problems(orders);
//   ResolveIbans(orders, problems);
//   const std::size_t wrapped = WrapLongTexts(orders, problems);
//   if (problems.Count() > 0) problems.Print(std::cerr);
//
// Problems are kept per object, so that the user sees each payment once with everything
// that is wrong with it, in input order.
#ifndef DTAUS_TOOLS_ORDER_PREPARATION_H_
#define DTAUS_TOOLS_ORDER_PREPARATION_H_

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "tools/order_builder.h"
#include "tools/order_document.h"

namespace dtaus::tool {

// The messages about the objects of one OrderDocument. Object 0 is the header, object
// i + 1 the payment orders.payments[i].
class ObjectProblems {
 public:
  explicit ObjectProblems(const OrderDocument& orders);

  void Add(std::size_t object, std::string message);
  // A problem with the object's IBAN: the bank code and account it should have given are
  // then missing, and the library's messages saying so are left out as repetitions.
  void AddIbanProblem(std::size_t object, std::string message);
  // The library's rejections, matched to their objects by origin.
  void Add(const std::vector<InvalidObject>& invalid);

  // The number of objects with at least one message.
  std::size_t Count() const;
  // "origin:" and then " - message" per message, object by object.
  void Print(std::ostream& out) const;

 private:
  std::vector<std::string> origins_;
  std::vector<std::vector<std::string>> messages_;
  std::vector<bool> iban_failed_;
};

// Calls `visit(object_number, object)` for the header (0) and every payment (1...).
template <typename Orders, typename Visit>
void ForEachObject(Orders& orders, Visit visit) {
  visit(std::size_t{0}, orders.header);
  for (std::size_t i = 0; i < orders.payments.size(); ++i) visit(i + 1, orders.payments[i]);
}

// The value the library ends up with for `property`: the last one assigned; nullptr
// when there is none.
const InputValue* FinalValue(const InputObject& object, std::string_view property);

// Converts every text value to the DTAUS character set (dtaus_alphabet.h). Returns one
// line per character that stays outside it: "<location>, character 12: '€' (U+20AC)".
std::vector<std::string> ConvertOrdersToDtausAlphabet(OrderDocument& orders);
// The same for one object (0 the header), adding its lines to `rejected`.
void ConvertObjectToDtausAlphabet(std::size_t object, InputObject& input,
                                  std::vector<std::string>& rejected);

// Replaces each IBAN value by the BLZ and Konto it holds. A foreign or damaged IBAN, and
// an IBAN that disagrees with a BLZ or Konto given beside it, is a problem of its object.
// An empty IBAN counts as not given.
void ResolveIbans(OrderDocument& orders, ObjectProblems& problems);
// The same for one object (0 the header).
void ResolveIban(std::size_t object, InputObject& input, ObjectProblems& problems);

// Wraps the purpose of every payment (VerwendungsZweck and VerwendungsZweck2 to 14) and
// the name (Name and Name2) at word boundaries into lines of 27 characters; a word
// longer than a line is cut. The lines keep their order: a continuation line given in
// the input moves down behind the wrapped text. Text that does not fit into the lines
// there are is left out and is a problem that says how many characters are left over.
// Returns the number of payments with wrapped text.
std::size_t WrapLongTexts(OrderDocument& orders, ObjectProblems& problems);
// The same for one payment, object number `object`; true when it has wrapped text.
bool WrapPayment(std::size_t object, InputObject& payment, ObjectProblems& problems);

// The lines of `text` wrapped at blanks to at most `width` characters each.
std::vector<std::string> WrapWords(std::string_view text, std::size_t width);

}  // namespace dtaus::tool

#endif  // DTAUS_TOOLS_ORDER_PREPARATION_H_
