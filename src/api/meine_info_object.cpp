#include "meine_info_object.h"

#include <cstdint>
#include <utility>

#include "com_boundary.h"

namespace dtaus::com {

MeineInfoObject::MeineInfoObject() : core_(std::make_shared<dtaus::MeineInfo>()) {}

MeineInfoObject::MeineInfoObject(std::shared_ptr<dtaus::MeineInfo> core) noexcept
    : core_(std::move(core)) {}

HRESULT MeineInfoObject::put_DateiMedia(::MediaTyp value) {
  return guarded_call(
      [&] { core_->DateiMedia(static_cast<dtaus::MediaTyp>(static_cast<std::int32_t>(value))); });
}

HRESULT MeineInfoObject::put_GeldTransferTyp(::TransferTyp value) {
  return guarded_call([&] {
    core_->GeldTransferTyp(static_cast<dtaus::TransferTyp>(static_cast<std::int32_t>(value)));
  });
}

HRESULT MeineInfoObject::put_BLZ(BSTR value) {
  return guarded_call([&] { core_->BLZ(to_utf8(value)); });
}

HRESULT MeineInfoObject::put_Name(BSTR value) {
  return guarded_call([&] { core_->Name(to_utf8(value)); });
}

HRESULT MeineInfoObject::put_AktuellesDatum(BSTR value) {
  return guarded_call([&] { core_->AktuellesDatum(to_utf8(value)); });
}

HRESULT MeineInfoObject::get_AktuellesDatum(BSTR* result) {
  return return_text(result, [&] { return core_->AktuellesDatum(); });
}

HRESULT MeineInfoObject::put_Konto(BSTR value) {
  return guarded_call([&] { core_->Konto(to_utf8(value)); });
}

HRESULT MeineInfoObject::put_FreieReferenz(BSTR value) {
  return guarded_call([&] { core_->FreieReferenz(to_utf8(value)); });
}

HRESULT MeineInfoObject::put_AusfuehrungsDatum(BSTR value) {
  return guarded_call([&] { core_->AusfuehrungsDatum(to_utf8(value)); });
}

HRESULT MeineInfoObject::MeineInfoIsValid(VARIANT_BOOL* result) {
  return return_boolean(result, [&] { return core_->MeineInfoIsValid(); });
}

HRESULT MeineInfoObject::MeineInfoErrors(BSTR* result) {
  return return_text(result, [&] { return core_->MeineInfoErrors(); });
}

}  // namespace dtaus::com
