#include "dtaus_datei_object.h"

#include "com_boundary.h"
#include "geld_transfer_object.h"

namespace dtaus::com {

DtausDateiObject::DtausDateiObject()
    : core_(std::make_shared<dtaus::DtausDatei>()),
      header_(new MeineInfoObject(core_->GetMeineInfo())) {}

DtausDateiObject::~DtausDateiObject() { header_->Release(); }

HRESULT DtausDateiObject::put_Pfad(BSTR value) {
  return GuardedCall([&] { core_->Pfad(ToUtf8(value)); });
}

HRESULT DtausDateiObject::get_GetMeineInfo(_MeineInfo** result) {
  if (result == nullptr) return E_POINTER;
  *result = nullptr;
  return GuardedCall([&] {
    header_->AddRef();
    *result = header_;
  });
}

HRESULT DtausDateiObject::AddGeldTransfer(_GeldTransfer* gt) {
  return GuardedCall([&] { core_->AddGeldTransfer(GeldTransferObject::CoreOf(gt)); });
}

HRESULT DtausDateiObject::Generate(BSTR* result) {
  return ReturnText(result, [&] { return core_->Generate(); });
}

}  // namespace dtaus::com
