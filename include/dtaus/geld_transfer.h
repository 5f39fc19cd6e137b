// File: dtaus/geld_transfer.h
//
// GeldTransfer is one payment order: one record C of a DTAUS file. For a credit
// transfer (Gutschrift) the other party is the payee, for a direct debit
// (Lastschrift) the payer; the ordering party's data comes from the file's header
// when the file is generated.
//
// Assign the properties in any order and as often as you like, then hand the object
// to DtausDatei::AddGeldTransfer. The file keeps a shared reference, not a copy, so
// changes made after adding it are what Generate writes.
//
//   auto zahlung = std::make_shared<dtaus::GeldTransfer>();
//   zahlung->BLZ("87654321");
//   zahlung->Konto("1234567");
//   zahlung->Name("ERIKA MUSTERMANN");
//   zahlung->BetragEuro("100");            // net euro; the record carries 119.00
//   zahlung->VerwendungsZweck("RECHNUNG 4711");
//   datei->AddGeldTransfer(zahlung);
//
// Amounts: BetragEuro and BetragEuroNetto take a net amount in euro, which is turned
// into the gross amount (net times 1.19) in cents; BetragEuroBrutto takes the gross
// amount in euro. Amounts are written with the separators of the global C++ locale at
// the time of the call ("12.34" or "1,234.56" in the classic locale); a grouping
// separator counts only where the locale's grouping puts it, so "12,34" there is an
// invalid value, not 1234 euro. BetragEuroBrutto() reads the stored gross amount back
// in cents ("11900"), not in euro.
//
// Continuation properties (VerwendungsZweck2 to VerwendungsZweck14, Name2,
// MeineInfoName2) become extension parts of the record once they have accepted a text,
// the empty text included, and cannot be withdrawn.
//
// Assignments never fail towards the caller; ask InputFieldsValid() and
// InputFieldsErrors(). All text is UTF-8; lengths count characters (code points).
#ifndef DTAUS_GELD_TRANSFER_H_
#define DTAUS_GELD_TRANSFER_H_

#include <memory>
#include <string>
#include <string_view>

namespace dtaus {

namespace detail {
struct GeldTransferAccess;
}

class GeldTransfer {
 public:
  // A new payment is invalid until BLZ, Name, Konto and an amount have been assigned.
  GeldTransfer();
  ~GeldTransfer();
  GeldTransfer(const GeldTransfer&) = delete;
  GeldTransfer& operator=(const GeldTransfer&) = delete;

  // The other party's bank code: exactly 8 digits.
  void BLZ(std::string_view value);
  std::string BLZ() const;
  // The other party's name: at most 27 characters.
  void Name(std::string_view value);
  // The other party's account number: at most 10 digits.
  void Konto(std::string_view value);
  std::string Konto() const;
  // An optional internal customer number: at most 13 digits.
  void FreieReferenz(std::string_view value);
  // The net amount in euro.
  void BetragEuro(std::string_view value);
  // The purpose text and its continuation lines, each at most 27 characters.
  void VerwendungsZweck(std::string_view value);
  void VerwendungsZweck2(std::string_view value);
  void VerwendungsZweck3(std::string_view value);
  void VerwendungsZweck4(std::string_view value);
  // Continuation of the other party's name (extension part 01).
  void Name2(std::string_view value);
  // Continuation of the ordering party's name (extension part 03).
  void MeineInfoName2(std::string_view value);

  [[nodiscard]] bool InputFieldsValid() const;
  [[nodiscard]] std::string InputFieldsErrors() const;

  // The gross amount in euro.
  void BetragEuroBrutto(std::string_view value);
  // The stored gross amount in cents, e.g. "11900"; empty before the first amount.
  std::string BetragEuroBrutto() const;
  // The net amount in euro: the same as BetragEuro.
  void BetragEuroNetto(std::string_view value);

  void VerwendungsZweck5(std::string_view value);
  void VerwendungsZweck6(std::string_view value);
  void VerwendungsZweck7(std::string_view value);
  void VerwendungsZweck8(std::string_view value);
  void VerwendungsZweck9(std::string_view value);
  void VerwendungsZweck10(std::string_view value);
  void VerwendungsZweck11(std::string_view value);
  void VerwendungsZweck12(std::string_view value);
  void VerwendungsZweck13(std::string_view value);
  void VerwendungsZweck14(std::string_view value);

 private:
  // What the file object calls while generating: record C and the control sums.
  friend struct detail::GeldTransferAccess;

  struct State;
  std::unique_ptr<State> s_;
};

}  // namespace dtaus

#endif  // DTAUS_GELD_TRANSFER_H_
