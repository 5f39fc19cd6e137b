// GeldTransferAccess: a payment's internal members, for the file object.
//
// A host sees only what it may call (dtaus/geld_transfer.h). While a file is generated,
// the file object hands each payment the header (setMeineInfoFields), has it collect its
// extension parts (prepareStream) and takes record C and the values of the control sums
// from it; it does so through here.
//
//   GeldTransferAccess::setMeineInfoFields(zahlung, kopf);
//   if (!GeldTransferAccess::prepareStream(zahlung)) ...
//   std::string record = GeldTransferAccess::getRecordAsStream(zahlung);
#ifndef DTAUS_RECORDS_GELD_TRANSFER_ACCESS_H_
#define DTAUS_RECORDS_GELD_TRANSFER_ACCESS_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "dtaus/geld_transfer.h"
#include "dtaus/meine_info.h"

namespace dtaus::detail {

class CompiledLayout;

struct GeldTransferAccess {
  // Takes over the transaction key and the ordering party's data from the header.
  static void setMeineInfoFields(GeldTransfer& g, const MeineInfo& header);
  // Collects the valid extension parts and sets record length and part count.
  static bool prepareStream(GeldTransfer& g);
  // Record C (256 to 768 characters), or "Fehler bei Generierung von GeldTransfer.".
  static std::string getRecordAsStream(GeldTransfer& g);
  // The stored gross amount in cents, for the trailer's euro sum.
  static std::string_view getBetragEuro(const GeldTransfer& g);
  // The rest of block 2 (extension parts 1 and 2 and the reserve, 69 characters).
  static std::string getOptFieldsFirstBlock(GeldTransfer& g);
  // One continuation block of 128 characters with the parts at positions from..to.
  static std::string getOptFieldsBlock(const GeldTransfer& g, std::int16_t from, std::int16_t to);
  // Store without a check: the values were checked where the host entered them (the
  // header) or are constants.
  static void MeineInfoBLZ(GeldTransfer& g, std::string_view value);
  static void MeineInfoKonto(GeldTransfer& g, std::string_view value);
  static void MeineInfoName(GeldTransfer& g, std::string_view value);
  static void TextSchluessel(GeldTransfer& g, std::string_view value);
  static void TextSchluesselErgaenzung(GeldTransfer& g, std::string_view value);

  // Generate's way to record C: straight into the file bytes, in Windows-1252. The
  // fields every record of the file shares are compiled once, after setMeineInfoFields
  // (compileFileRecord); each record then writes only its own (writeFileRecord, after
  // prepareStream, at `out` with room for kMaxPaymentRecordSize bytes and kWordSlack
  // behind them). The same bytes as getRecordAsStream encoded; false or nullptr after
  // storing a character that Windows-1252 lacks in `*unmappable`.
  static bool compileFileRecord(const GeldTransfer& g, CompiledLayout& layout,
                                char32_t* unmappable);
  static char* writeFileRecord(const GeldTransfer& g, char* out, const CompiledLayout& layout,
                               char32_t* unmappable);
  // Starts loading the payment's state into the processor's cache.
  static void prefetchState(const GeldTransfer& g);
  // Gives the memory that released payments leave for the next ones back to the system
  // at once, for a process that writes one file and has no next payments: otherwise the
  // kernel takes it back only when it runs short, and until then it counts as in use.
  static void ReleaseSpareMemory() noexcept;
  // The stored bank code and account, for the trailer's control sums.
  static std::string_view getBLZ(const GeldTransfer& g);
  static std::string_view getKonto(const GeldTransfer& g);
};

}  // namespace dtaus::detail

#endif  // DTAUS_RECORDS_GELD_TRANSFER_ACCESS_H_
