// File: dtaus/dtaus_datei.h
//
// DtausDatei is one DTAUS file to be written: its header (GetMeineInfo), the payments
// added to it, and the output path. Generate checks everything once more and writes
// record A, one record C per payment and the trailer record E with the number of
// payments and the control sums over account numbers, bank codes and amounts.
//
//   auto datei = std::make_shared<dtaus::DtausDatei>();
//   datei->Pfad("/tmp/DTAUS0.TXT");
//   ... fill datei->GetMeineInfo() and add payments ...
//   std::string fehler = datei->Generate();
//   if (!fehler.empty()) std::cerr << fehler << '\n';
//
// Generate returns the empty text on success and a German message otherwise; it never
// throws. The file is written in Windows-1252, one byte per character, and appears
// complete or not at all: after a failure the file at the path is empty (or was never
// created, when the path is missing or cannot be opened). A success is on stable storage
// when it is reported, so it survives a power cut. Only a file is written: a directory,
// device, FIFO or socket at the path is refused untouched; a symbolic link is followed,
// and the file it names is replaced while the link stays.
#ifndef DTAUS_DTAUS_DATEI_H_
#define DTAUS_DTAUS_DATEI_H_

#include <memory>
#include <string>
#include <string_view>

#include "dtaus/geld_transfer.h"
#include "dtaus/meine_info.h"

namespace dtaus {

class DtausDatei {
 public:
  DtausDatei();
  ~DtausDatei();
  DtausDatei(const DtausDatei&) = delete;
  DtausDatei& operator=(const DtausDatei&) = delete;

  // The output path (UTF-8). Not checked until Generate.
  void Pfad(std::string_view path);
  // The header of this file: the same object on every call.
  std::shared_ptr<MeineInfo> GetMeineInfo() const;
  // Appends a shared reference to the payment; the same payment may be added twice
  // and is then written twice. A null pointer makes Generate fail.
  void AddGeldTransfer(std::shared_ptr<GeldTransfer> gt);
  // Writes the file. "" on success, otherwise the German message.
  [[nodiscard]] std::string Generate();

 private:
  struct State;
  std::unique_ptr<State> s_;
};

}  // namespace dtaus

#endif  // DTAUS_DTAUS_DATEI_H_
