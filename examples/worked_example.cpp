// The worked example: a credit transfer of 100 euro net (119.00 gross) to one payee.
//
//   worked_example [PATH]    writes the DTAUS file (default DTAUS0.TXT) and prints it,
//                            one 128-character block per line.
#include <dtaus/dtaus.h>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <string>

// The error reports end every line with a carriage return (character 13), as Windows
// hosts expect; a terminal wants line feeds.
std::string Lines(std::string report) {
  std::replace(report.begin(), report.end(), '\r', '\n');
  return report;
}

int main(int argc, char** argv) {
  const std::string path = argc > 1 ? argv[1] : "DTAUS0.TXT";

  auto datei = std::make_shared<dtaus::DtausDatei>();
  datei->Pfad(path);

  std::shared_ptr<dtaus::MeineInfo> kopf = datei->GetMeineInfo();
  kopf->DateiMedia(dtaus::MediaTyp::Diskette);
  kopf->GeldTransferTyp(dtaus::TransferTyp::Gutschrift);
  kopf->BLZ("37040044");
  kopf->Name("MUSTERMANN GMBH");
  kopf->Konto("532013000");

  auto zahlung = std::make_shared<dtaus::GeldTransfer>();
  zahlung->BLZ("12030000");
  zahlung->Konto("202051");
  zahlung->Name("ERIKA MUSTERMANN");
  zahlung->VerwendungsZweck("RECHNUNG 4711");
  zahlung->BetragEuro("100");
  datei->AddGeldTransfer(zahlung);

  if (!kopf->MeineInfoIsValid()) std::cerr << Lines(kopf->MeineInfoErrors());
  if (!zahlung->InputFieldsValid()) std::cerr << Lines(zahlung->InputFieldsErrors());

  const std::string fehler = datei->Generate();
  if (!fehler.empty()) {
    std::cerr << fehler << '\n';
    return 1;
  }
  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::cout << path << ": " << bytes.size() << " bytes\n";
  for (std::size_t at = 0; at < bytes.size(); at += 128) {
    std::cout << '|' << bytes.substr(at, 128) << "|\n";
  }
  return 0;
}
