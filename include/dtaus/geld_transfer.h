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

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace dtaus {

class DtausDatei;
class MeineInfo;
namespace detail {
class CompiledLayout;
struct GeldTransferPeer;
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

  bool InputFieldsValid() const;
  std::string InputFieldsErrors() const;

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
  friend class DtausDatei;
  friend struct detail::GeldTransferPeer;

  // Internal members, called by the file object while it generates the file.
  // Takes over the transaction key and the ordering party's data from the header.
  void setMeineInfoFields(const MeineInfo& header);
  // Collects the valid extension parts and sets record length and part count.
  bool prepareStream();
  // Record C (256 to 768 characters), or "Fehler bei Generierung von GeldTransfer.".
  std::string getRecordAsStream();
  // The stored gross amount in cents, for the trailer's euro sum.
  std::string_view getBetragEuro() const;
  // The rest of block 2 (extension parts 1 and 2 and the reserve, 69 characters).
  std::string getOptFieldsFirstBlock();
  // One continuation block of 128 characters with the parts at positions from..to.
  std::string getOptFieldsBlock(std::int16_t from, std::int16_t to) const;
  void MeineInfoBLZ(std::string_view value);
  void MeineInfoKonto(std::string_view value);
  void MeineInfoName(std::string_view value);
  void TextSchluessel(std::string_view value);
  void TextSchluesselErgaenzung(std::string_view value);
  // getRecordAsStream appended to `out` without a temporary.
  void appendRecordAsStream(std::string& out);

  // Generate's way to record C: straight into the file bytes, in Windows-1252. The
  // fields every record of the file shares are compiled once, after setMeineInfoFields
  // (compileFileRecord); each record then writes only its own (writeFileRecord, after
  // prepareStream, at `out` with room for 768 bytes and detail::kWordSlack). The same
  // bytes as getRecordAsStream encoded; false or nullptr after storing a character
  // that Windows-1252 lacks in `*unmappable`.
  bool compileFileRecord(detail::CompiledLayout& layout, char32_t* unmappable) const;
  char* writeFileRecord(char* out, const detail::CompiledLayout& layout,
                        char32_t* unmappable) const;
  // Starts loading the payment's state into the processor's cache.
  void prefetchState() const;
  // The stored bank code and account, for the trailer's control sums.
  std::string_view getBLZ() const;
  std::string_view getKonto() const;

  struct State;
  std::unique_ptr<State> s_;
};

}  // namespace dtaus

#endif  // DTAUS_GELD_TRANSFER_H_
