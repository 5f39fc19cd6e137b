// MeineInfoAccess: the header's internal members, for the file object and the payments.
//
// A host sees only what it may call (dtaus/meine_info.h). While a file is generated,
// the file object takes record A and the medium from the header, and every payment
// takes the transfer type and the ordering party's data; they read them through here.
//
//   const ShortText& blz = MeineInfoAccess::getBLZ(header);
#ifndef DTAUS_RECORDS_MEINE_INFO_ACCESS_H_
#define DTAUS_RECORDS_MEINE_INFO_ACCESS_H_

#include <string>

#include "dtaus/meine_info.h"
#include "dtaus/types.h"
#include "fields/short_text.h"

namespace dtaus::detail {

struct MeineInfoAccess {
  // Diskette when A1 holds "0128", otherwise Kassette: the trailer's record length.
  static MediaTyp getDateiMedia(const MeineInfo& m);
  // Gutschrift when A3 holds "GK", otherwise Lastschrift: the payments' transaction key.
  static TransferTyp getGeldTransferTyp(const MeineInfo& m);
  // The stored, unpadded values of A4, A6 and A9, which every record C repeats.
  static const ShortText& getBLZ(const MeineInfo& m);
  static const ShortText& getName(const MeineInfo& m);
  static const ShortText& getKonto(const MeineInfo& m);
  // Record A (128 or 256 characters), or an error text when the header is invalid.
  static std::string getHeaderAsStream(const MeineInfo& m);
};

}  // namespace dtaus::detail

#endif  // DTAUS_RECORDS_MEINE_INFO_ACCESS_H_
