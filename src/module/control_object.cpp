#include "module/control_object.h"

#include "module/module_state.h"

namespace velsor::module {
namespace {

constexpr DWORD kSafeOptions =
    INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;

}  // namespace

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

HRESULT ControlObject::Safety::QueryInterface(REFIID riid, void** object) {
  return owner_.Controlling().QueryInterface(riid, object);
}
ULONG ControlObject::Safety::AddRef() { return owner_.Controlling().AddRef(); }
ULONG ControlObject::Safety::Release() { return owner_.Controlling().Release(); }

HRESULT ControlObject::Safety::GetInterfaceSafetyOptions(REFIID riid, DWORD* supported,
                                                         DWORD* enabled) {
  if (supported == nullptr || enabled == nullptr) return E_POINTER;
  *supported = 0;
  *enabled = 0;
  void* probe = nullptr;
  if (const HRESULT hr = owner_.Controlling().QueryInterface(riid, &probe); hr != S_OK) return hr;
  static_cast<IUnknown*>(probe)->Release();
  *supported = kSafeOptions;
  *enabled = enabled_;
  return S_OK;
}

HRESULT ControlObject::Safety::SetInterfaceSafetyOptions(REFIID riid, DWORD mask, DWORD enabled) {
  if ((mask & ~kSafeOptions) != 0) return E_FAIL;
  void* probe = nullptr;
  if (owner_.Controlling().QueryInterface(riid, &probe) != S_OK) return E_NOINTERFACE;
  static_cast<IUnknown*>(probe)->Release();
  enabled_ = (enabled_ & ~mask) | (enabled & mask);
  return S_OK;
}

}  // namespace velsor::module
