// File: dtaus/meine_info.h
//
// MeineInfo is the header of a DTAUS file (record A): who submits the file, at which
// bank, for which kind of transfer and on which carrier. Every DtausDatei owns one and
// hands it out through GetMeineInfo(); a MeineInfo created on its own is useful for
// validating input but belongs to no file.
//
// Assignments never fail towards the caller. A value that breaks a rule is recorded
// with a German message; ask MeineInfoIsValid() and MeineInfoErrors() at any time.
// All text is UTF-8, and lengths are counted in characters (code points).
//
//   auto datei = std::make_shared<dtaus::DtausDatei>();
//   auto kopf = datei->GetMeineInfo();
//   kopf->DateiMedia(dtaus::MediaTyp::Diskette);
//   kopf->GeldTransferTyp(dtaus::TransferTyp::Gutschrift);
//   kopf->BLZ("12345678");
//   kopf->Name("MUSTERMANN GMBH");
//   kopf->Konto("1234567890");
//   if (!kopf->MeineInfoIsValid()) std::cerr << kopf->MeineInfoErrors();
//
// Error reports start with "Fehler in MeineInfo:" and two carriage returns, followed
// by one " - <message>" line per broken rule, each ended by a carriage return (no line
// feeds), in the order in which the rules were broken.
#ifndef DTAUS_MEINE_INFO_H_
#define DTAUS_MEINE_INFO_H_

#include <memory>
#include <string>
#include <string_view>

#include "dtaus/types.h"

namespace dtaus {

namespace detail {
struct MeineInfoAccess;
}

class MeineInfo {
 public:
  // A new header holds today's date as creation and execution date and is invalid
  // until DateiMedia, GeldTransferTyp, BLZ, Name and Konto have been assigned.
  MeineInfo();
  ~MeineInfo();
  MeineInfo(const MeineInfo&) = delete;
  MeineInfo& operator=(const MeineInfo&) = delete;

  void DateiMedia(MediaTyp media);
  void GeldTransferTyp(TransferTyp typ);
  // The ordering party's bank code: exactly 8 digits.
  void BLZ(std::string_view value);
  // The ordering party's name, at most 27 characters.
  void Name(std::string_view value);
  // The creation date: ddmmyy or dd.mm.yy (any separator).
  void AktuellesDatum(std::string_view value);
  // The stored creation date as ddmmyy; empty after a rejected assignment.
  std::string AktuellesDatum() const;
  // The ordering party's account number: at most 10 digits.
  void Konto(std::string_view value);
  // An optional reference number: at most 10 digits.
  void FreieReferenz(std::string_view value);
  // The execution date: ddmmyyyy or dd.mm.yyyy, 0 to 15 days after the creation
  // date. The empty text removes it (the record then carries blanks).
  void AusfuehrungsDatum(std::string_view value);

  [[nodiscard]] bool MeineInfoIsValid() const;
  [[nodiscard]] std::string MeineInfoErrors() const;

 private:
  // What the file object and the payments read while generating.
  friend struct detail::MeineInfoAccess;

  struct State;
  std::unique_ptr<State> s_;
};

}  // namespace dtaus

#endif  // DTAUS_MEINE_INFO_H_
