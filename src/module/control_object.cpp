#include "module/control_object.h"

#include "module/module_state.h"

namespace velsor::module {
IUnknown* ControlObject::Create(IUnknown* outer) {
  return std::unique_ptr<ControlObject>(new ControlObject(outer)).release();
}

ControlObject::ControlObject(IUnknown* outer)
    : outer_(outer), control_(CTolvaneVelsor::CreatePart(Controlling())) {
  LockModule();
}

ControlObject::~ControlObject() { UnlockModule(); }

HRESULT ControlObject::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (riid == IID_IUnknown) {
    *object = static_cast<IUnknown*>(this);
  } else if (riid == IID_IDispatch || riid == IID_IOmbrelTolvaneVelsor20_64) {
    *object = static_cast<IOmbrelTolvaneVelsor20_64*>(control_.get());
  } else if (riid == IID_IObjectSafety) {
    *object = static_cast<IObjectSafety*>(&safety_);
  } else if (riid == IID_IPersist || riid == IID_IPersistStreamInit) {
    *object = static_cast<IPersistStreamInit*>(&streamPersistence_);
  } else if (riid == IID_IPersistStorage) {
    *object = static_cast<IPersistStorage*>(&storagePersistence_);
  } else if (riid == IID_IProvideClassInfo || riid == IID_IProvideClassInfo2) {
    *object = static_cast<IProvideClassInfo2*>(&classInfo_);
  } else if (riid == IID_IConnectionPointContainer) {
    *object = static_cast<IConnectionPointContainer*>(&connectionPoints_);
  } else if (riid == IID_IVelsorView) {
    *object = static_cast<IVelsorView*>(&view_);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  static_cast<IUnknown*>(*object)->AddRef();
  return S_OK;
}

ULONG ControlObject::AddRef() { return ++references_; }

ULONG ControlObject::Release() {
  const ULONG remaining = --references_;
  if (remaining == 0) std::unique_ptr<ControlObject> last{this};
  return remaining;
}

}  // namespace velsor::module
