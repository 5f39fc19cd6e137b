#include "meine_info_object.h"

#include <cstdint>
#include <utility>

#include "com_boundary.h"

namespace dtaus::com {

MeineInfoObject::MeineInfoObject() : core_(std::make_shared<dtaus::MeineInfo>()) {}

MeineInfoObject::MeineInfoObject(std::shared_ptr<dtaus::MeineInfo> core) noexcept
    : core_(std::move(core)) {}

HRESULT MeineInfoObject::put_DateiMedia(::MediaTyp value) {
  return GuardedCall(
      [&] { core_->DateiMedia(static_cast<dtaus::MediaTyp>(static_cast<std::int32_t>(value))); });
}

HRESULT MeineInfoObject::put_GeldTransferTyp(::TransferTyp value) {
  return GuardedCall([&] {
    core_->GeldTransferTyp(static_cast<dtaus::TransferTyp>(static_cast<std::int32_t>(value)));
  });
}

HRESULT MeineInfoObject::put_BLZ(BSTR value) {
  return GuardedCall([&] { core_->BLZ(ToUtf8(value)); });
}

HRESULT MeineInfoObject::put_Name(BSTR value) {
  return GuardedCall([&] { core_->Name(ToUtf8(value)); });
}

HRESULT MeineInfoObject::put_AktuellesDatum(BSTR value) {
  return GuardedCall([&] { core_->AktuellesDatum(ToUtf8(value)); });
}

HRESULT MeineInfoObject::get_AktuellesDatum(BSTR* result) {
  return ReturnText(result, [&] { return core_->AktuellesDatum(); });
}

HRESULT MeineInfoObject::put_Konto(BSTR value) {
  return GuardedCall([&] { core_->Konto(ToUtf8(value)); });
}

HRESULT MeineInfoObject::put_FreieReferenz(BSTR value) {
  return GuardedCall([&] { core_->FreieReferenz(ToUtf8(value)); });
}

HRESULT MeineInfoObject::put_AusfuehrungsDatum(BSTR value) {
  return GuardedCall([&] { core_->AusfuehrungsDatum(ToUtf8(value)); });
}

HRESULT MeineInfoObject::MeineInfoIsValid(VARIANT_BOOL* result) {
  return ReturnBoolean(result, [&] { return core_->MeineInfoIsValid(); });
}

HRESULT MeineInfoObject::MeineInfoErrors(BSTR* result) {
  return ReturnText(result, [&] { return core_->MeineInfoErrors(); });
}

}  // namespace dtaus::com
