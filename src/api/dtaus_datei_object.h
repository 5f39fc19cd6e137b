// DtausDatei as an automation object: one DTAUS file to be generated.
//
// Wraps a core dtaus::DtausDatei. Its header is wrapped exactly once, when the file
// object is created, and GetMeineInfo hands out that one wrapper: a host that asks
// twice gets the same object (VBScript's "Is" and .NET's reference equality hold).
#ifndef DTAUS_API_DTAUS_DATEI_OBJECT_H_
#define DTAUS_API_DTAUS_DATEI_OBJECT_H_

#include <memory>

#include "com_object.h"
#include "dtaus/dtaus_datei.h"
#include "meine_info_object.h"
#include "orvel_dtaus.h"

namespace dtaus::com {

class DtausDateiObject final : public ComObject<DtausDateiObject, _DtausDatei> {
 public:
  // Throws std::bad_alloc.
  DtausDateiObject();

  HRESULT STDMETHODCALLTYPE put_Pfad(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_GetMeineInfo(_MeineInfo** result) override;
  // Any object is accepted: one that is not a payment of this library (or Nothing) is
  // added as an unusable entry, and Generate then answers "Sonstiger Fehler:" like
  // for any other failure while writing, instead of the call failing here.
  HRESULT STDMETHODCALLTYPE AddGeldTransfer(_GeldTransfer* gt) override;
  HRESULT STDMETHODCALLTYPE Generate(BSTR* result) override;

 private:
  friend class ComObject<DtausDateiObject, _DtausDatei>;
  ~DtausDateiObject();

  const std::shared_ptr<dtaus::DtausDatei> core_;
  // One reference, held for the file object's life.
  MeineInfoObject* header_;
};

}  // namespace dtaus::com

#endif  // DTAUS_API_DTAUS_DATEI_OBJECT_H_
