// MeineInfo as an automation object: the header record A of a DTAUS file.
//
// A thin wrapper: each member converts its arguments, calls the core dtaus::MeineInfo
// and converts the result. The header of a DtausDatei is wrapped once by that file
// object, around the core file's own header, so that GetMeineInfo always returns the
// same object; a MeineInfo created by a host on its own wraps a fresh core header that
// belongs to no file.
#ifndef DTAUS_API_MEINE_INFO_OBJECT_H_
#define DTAUS_API_MEINE_INFO_OBJECT_H_

#include <memory>

#include "com_object.h"
#include "dtaus/meine_info.h"
#include "orvel_dtaus.h"

namespace dtaus::com {

class MeineInfoObject final : public ComObject<MeineInfoObject, _MeineInfo> {
 public:
  // A header of its own (the creatable class MeineInfo). Throws std::bad_alloc.
  MeineInfoObject();
  // The header of a file object.
  explicit MeineInfoObject(std::shared_ptr<dtaus::MeineInfo> core) noexcept;

  // The enumerations of the type library (::MediaTyp, ::TransferTyp) arrive as plain
  // 32-bit integers and are passed on unchecked: the core's own rules must see
  // out-of-range values to report them.
  HRESULT STDMETHODCALLTYPE put_DateiMedia(::MediaTyp value) override;
  HRESULT STDMETHODCALLTYPE put_GeldTransferTyp(::TransferTyp value) override;
  HRESULT STDMETHODCALLTYPE put_BLZ(BSTR value) override;
  HRESULT STDMETHODCALLTYPE put_Name(BSTR value) override;
  HRESULT STDMETHODCALLTYPE put_AktuellesDatum(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_AktuellesDatum(BSTR* result) override;
  HRESULT STDMETHODCALLTYPE put_Konto(BSTR value) override;
  HRESULT STDMETHODCALLTYPE put_FreieReferenz(BSTR value) override;
  HRESULT STDMETHODCALLTYPE put_AusfuehrungsDatum(BSTR value) override;
  HRESULT STDMETHODCALLTYPE MeineInfoIsValid(VARIANT_BOOL* result) override;
  HRESULT STDMETHODCALLTYPE MeineInfoErrors(BSTR* result) override;

 private:
  friend class ComObject<MeineInfoObject, _MeineInfo>;
  ~MeineInfoObject() = default;

  const std::shared_ptr<dtaus::MeineInfo> core_;
};

}  // namespace dtaus::com

#endif  // DTAUS_API_MEINE_INFO_OBJECT_H_
