#include "geld_transfer_object.h"

#include <string_view>

#include "com_boundary.h"

namespace dtaus::com {
namespace {

// {A7468EB9-B685-47D6-81C0-A49467CAD9AA}: "this is a GeldTransferObject of this DLL".
// Private on purpose: not in the IDL, never registered, never marshalled.
constexpr GUID kGeldTransferObjectIdentity = {
    0xa7468eb9, 0xb685, 0x47d6, {0x81, 0xc0, 0xa4, 0x94, 0x67, 0xca, 0xd9, 0xaa}};

// The setter of an overloaded property (BLZ, Konto and BetragEuroBrutto can also be
// read), picked out for PutText.
using Setter = void (dtaus::GeldTransfer::*)(std::string_view);

}  // namespace

GeldTransferObject::GeldTransferObject() : core_(std::make_shared<dtaus::GeldTransfer>()) {}

bool GeldTransferObject::AnswersTo(REFIID iid) const noexcept {
  return iid == kGeldTransferObjectIdentity;
}

std::shared_ptr<dtaus::GeldTransfer> GeldTransferObject::CoreOf(_GeldTransfer* gt) noexcept {
  if (gt == nullptr) return nullptr;
  void* ours = nullptr;
  // Called through the host's pointer: a foreign object answers E_NOINTERFACE (or
  // anything else); only our own QueryInterface knows the identity.
  if (FAILED(gt->QueryInterface(kGeldTransferObjectIdentity, &ours)) || ours == nullptr) {
    return nullptr;
  }
  auto* object = static_cast<GeldTransferObject*>(static_cast<_GeldTransfer*>(ours));
  std::shared_ptr<dtaus::GeldTransfer> core = object->core_;
  object->Release();
  return core;
}

HRESULT GeldTransferObject::PutText(BSTR value, Setter setter) {
  return GuardedCall([&] { ((*core_).*setter)(ToUtf8(value)); });
}

HRESULT GeldTransferObject::put_BLZ(BSTR value) {
  return PutText(value, static_cast<Setter>(&dtaus::GeldTransfer::BLZ));
}

HRESULT GeldTransferObject::get_BLZ(BSTR* result) {
  return ReturnText(result, [&] { return core_->BLZ(); });
}

HRESULT GeldTransferObject::put_Name(BSTR value) {
  return PutText(value, &dtaus::GeldTransfer::Name);
}

HRESULT GeldTransferObject::put_Konto(BSTR value) {
  return PutText(value, static_cast<Setter>(&dtaus::GeldTransfer::Konto));
}

HRESULT GeldTransferObject::get_Konto(BSTR* result) {
  return ReturnText(result, [&] { return core_->Konto(); });
}

HRESULT GeldTransferObject::put_FreieReferenz(BSTR value) {
  return PutText(value, &dtaus::GeldTransfer::FreieReferenz);
}

HRESULT GeldTransferObject::put_BetragEuro(BSTR value) {
  return PutText(value, &dtaus::GeldTransfer::BetragEuro);
}

HRESULT GeldTransferObject::put_VerwendungsZweck(BSTR value) {
  return PutText(value, &dtaus::GeldTransfer::VerwendungsZweck);
}

HRESULT GeldTransferObject::put_VerwendungsZweck2(BSTR value) {
  return PutText(value, &dtaus::GeldTransfer::VerwendungsZweck2);
}

HRESULT GeldTransferObject::put_VerwendungsZweck3(BSTR value) {
  return PutText(value, &dtaus::GeldTransfer::VerwendungsZweck3);
}

HRESULT GeldTransferObject::put_VerwendungsZweck4(BSTR value) {
  return PutText(value, &dtaus::GeldTransfer::VerwendungsZweck4);
}

HRESULT GeldTransferObject::put_Name2(BSTR value) {
  return PutText(value, &dtaus::GeldTransfer::Name2);
}

HRESULT GeldTransferObject::put_MeineInfoName2(BSTR value) {
  return PutText(value, &dtaus::GeldTransfer::MeineInfoName2);
}

HRESULT GeldTransferObject::InputFieldsValid(VARIANT_BOOL* result) {
  return ReturnBoolean(result, [&] { return core_->InputFieldsValid(); });
}

HRESULT GeldTransferObject::InputFieldsErrors(BSTR* result) {
  return ReturnText(result, [&] { return core_->InputFieldsErrors(); });
}

HRESULT GeldTransferObject::put_BetragEuroBrutto(BSTR value) {
  return PutText(value, static_cast<Setter>(&dtaus::GeldTransfer::BetragEuroBrutto));
}

HRESULT GeldTransferObject::put_BetragEuroNetto(BSTR value) {
  return PutText(value, &dtaus::GeldTransfer::BetragEuroNetto);
}

HRESULT GeldTransferObject::get_BetragEuroBrutto(BSTR* result) {
  return ReturnText(result, [&] { return core_->BetragEuroBrutto(); });
}

HRESULT GeldTransferObject::put_VerwendungsZweck5(BSTR value) {
  return PutText(value, &dtaus::GeldTransfer::VerwendungsZweck5);
}

HRESULT GeldTransferObject::put_VerwendungsZweck6(BSTR value) {
  return PutText(value, &dtaus::GeldTransfer::VerwendungsZweck6);
}

HRESULT GeldTransferObject::put_VerwendungsZweck7(BSTR value) {
  return PutText(value, &dtaus::GeldTransfer::VerwendungsZweck7);
}

HRESULT GeldTransferObject::put_VerwendungsZweck8(BSTR value) {
  return PutText(value, &dtaus::GeldTransfer::VerwendungsZweck8);
}

HRESULT GeldTransferObject::put_VerwendungsZweck9(BSTR value) {
  return PutText(value, &dtaus::GeldTransfer::VerwendungsZweck9);
}

HRESULT GeldTransferObject::put_VerwendungsZweck10(BSTR value) {
  return PutText(value, &dtaus::GeldTransfer::VerwendungsZweck10);
}

HRESULT GeldTransferObject::put_VerwendungsZweck11(BSTR value) {
  return PutText(value, &dtaus::GeldTransfer::VerwendungsZweck11);
}

HRESULT GeldTransferObject::put_VerwendungsZweck12(BSTR value) {
  return PutText(value, &dtaus::GeldTransfer::VerwendungsZweck12);
}

HRESULT GeldTransferObject::put_VerwendungsZweck13(BSTR value) {
  return PutText(value, &dtaus::GeldTransfer::VerwendungsZweck13);
}

HRESULT GeldTransferObject::put_VerwendungsZweck14(BSTR value) {
  return PutText(value, &dtaus::GeldTransfer::VerwendungsZweck14);
}

}  // namespace dtaus::com
