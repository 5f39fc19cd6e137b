// GeldTransfer as an automation object: one payment order, record C of a DTAUS file.
//
// A thin wrapper around a shared dtaus::GeldTransfer. The core payment is shared, not
// copied, when the host adds the object to a file: changes the host makes afterwards
// are what Generate writes.
#ifndef DTAUS_API_GELD_TRANSFER_OBJECT_H_
#define DTAUS_API_GELD_TRANSFER_OBJECT_H_

#include <memory>
#include <string_view>

#include "com_object.h"
#include "dtaus/geld_transfer.h"
#include "orvel_dtaus.h"

namespace dtaus::com {

class GeldTransferObject final : public ComObject<GeldTransferObject, _GeldTransfer> {
 public:
  // Throws std::bad_alloc.
  GeldTransferObject();

  // The core payment behind `gt` when `gt` is a payment object of this library, else
  // null: for Nothing, for a host's own implementation of _GeldTransfer, for any other
  // object a late-bound host passed in its place, and for a payment living in another
  // apartment (its proxy does not know the private identity below). The file object
  // adds null for those, and Generate then reports "Sonstiger Fehler:".
  static std::shared_ptr<dtaus::GeldTransfer> CoreOf(_GeldTransfer* gt) noexcept;

  // Besides its public interface the object answers to one private identity, known
  // only inside this DLL and absent from the type library. A successful
  // QueryInterface for it proves that the pointer is a GeldTransferObject, which makes
  // the downcast in CoreOf safe; no other check can tell our objects from imitations.
  bool AnswersTo(REFIID iid) const noexcept;

  HRESULT STDMETHODCALLTYPE put_BLZ(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_BLZ(BSTR* result) override;
  HRESULT STDMETHODCALLTYPE put_Name(BSTR value) override;
  HRESULT STDMETHODCALLTYPE put_Konto(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_Konto(BSTR* result) override;
  HRESULT STDMETHODCALLTYPE put_FreieReferenz(BSTR value) override;
  HRESULT STDMETHODCALLTYPE put_BetragEuro(BSTR value) override;
  HRESULT STDMETHODCALLTYPE put_VerwendungsZweck(BSTR value) override;
  HRESULT STDMETHODCALLTYPE put_VerwendungsZweck2(BSTR value) override;
  HRESULT STDMETHODCALLTYPE put_VerwendungsZweck3(BSTR value) override;
  HRESULT STDMETHODCALLTYPE put_VerwendungsZweck4(BSTR value) override;
  HRESULT STDMETHODCALLTYPE put_Name2(BSTR value) override;
  HRESULT STDMETHODCALLTYPE put_MeineInfoName2(BSTR value) override;
  HRESULT STDMETHODCALLTYPE InputFieldsValid(VARIANT_BOOL* result) override;
  HRESULT STDMETHODCALLTYPE InputFieldsErrors(BSTR* result) override;
  HRESULT STDMETHODCALLTYPE put_BetragEuroBrutto(BSTR value) override;
  HRESULT STDMETHODCALLTYPE put_BetragEuroNetto(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_BetragEuroBrutto(BSTR* result) override;
  HRESULT STDMETHODCALLTYPE put_VerwendungsZweck5(BSTR value) override;
  HRESULT STDMETHODCALLTYPE put_VerwendungsZweck6(BSTR value) override;
  HRESULT STDMETHODCALLTYPE put_VerwendungsZweck7(BSTR value) override;
  HRESULT STDMETHODCALLTYPE put_VerwendungsZweck8(BSTR value) override;
  HRESULT STDMETHODCALLTYPE put_VerwendungsZweck9(BSTR value) override;
  HRESULT STDMETHODCALLTYPE put_VerwendungsZweck10(BSTR value) override;
  HRESULT STDMETHODCALLTYPE put_VerwendungsZweck11(BSTR value) override;
  HRESULT STDMETHODCALLTYPE put_VerwendungsZweck12(BSTR value) override;
  HRESULT STDMETHODCALLTYPE put_VerwendungsZweck13(BSTR value) override;
  HRESULT STDMETHODCALLTYPE put_VerwendungsZweck14(BSTR value) override;

 private:
  friend class ComObject<GeldTransferObject, _GeldTransfer>;
  ~GeldTransferObject() = default;

  // Every text property has the same shape: convert, call the core setter.
  HRESULT PutText(BSTR value, void (dtaus::GeldTransfer::*setter)(std::string_view));

  const std::shared_ptr<dtaus::GeldTransfer> core_;
};

}  // namespace dtaus::com

#endif  // DTAUS_API_GELD_TRANSFER_OBJECT_H_
