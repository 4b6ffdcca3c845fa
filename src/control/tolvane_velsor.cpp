#include "control/tolvane_velsor.h"

#include <memory>

#include "control/dispatcher.h"
#include "control/ombrel_tolvane_velsor.h"
#include "platform/base/hresult.h"
#include "control/type_description.h"

namespace velsor {

ComPtr<CTolvaneVelsor> CTolvaneVelsor::Create() {
  // The object owns itself from here on: its last Release destroys it.
  return ComPtr<CTolvaneVelsor>::Adopt(
      std::unique_ptr<CTolvaneVelsor>(new CTolvaneVelsor).release());
}

std::unique_ptr<CTolvaneVelsor> CTolvaneVelsor::CreatePart(IUnknown& controlling) {
  std::unique_ptr<CTolvaneVelsor> part(new CTolvaneVelsor);
  part->controlling_ = &controlling;
  return part;
}

HRESULT CTolvaneVelsor::QueryInterface(REFIID riid, void** object) {
  if (controlling_ != nullptr) return controlling_->QueryInterface(riid, object);
  if (object == nullptr) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IOmbrelTolvaneVelsor20_64) {
    *object = static_cast<IOmbrelTolvaneVelsor20_64*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG CTolvaneVelsor::AddRef() {
  if (controlling_ != nullptr) return controlling_->AddRef();
  return ++references_;
}

ULONG CTolvaneVelsor::Release() {
  if (controlling_ != nullptr) return controlling_->Release();
  const ULONG remaining = --references_;
  if (remaining == 0) std::unique_ptr<CTolvaneVelsor> last{this};
  return remaining;
}

HRESULT CTolvaneVelsor::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 1;
  return S_OK;
}

// The dual interface's description in the registered type library, whatever the locale.
HRESULT CTolvaneVelsor::GetTypeInfo(UINT index, LCID, ITypeInfo** typeInfo) {
  if (typeInfo == nullptr) return E_POINTER;
  *typeInfo = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  return HandOutTypeInfo(
      RegisteredTypeInfo(LIBID_OmbrelVELSORLib20_64, 1, 0, IID_IOmbrelTolvaneVelsor20_64,
                         &control::ScriptingInterfaceDescription),
      typeInfo);
}

HRESULT CTolvaneVelsor::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT nameCount, LCID,
                                      DISPID* dispids) {
  if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  return control::GetIdsOfNames(names, nameCount, dispids);
}

HRESULT CTolvaneVelsor::Invoke(DISPID dispid, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                               VARIANT* result, EXCEPINFO* exception, UINT* argError) {
  if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  return control::InvokeMember(*this, dispid, flags, params, result, exception, argError);
}

}  // namespace velsor
