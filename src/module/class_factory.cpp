#include "module/class_factory.h"

#include <memory>

#include "module/control_object.h"
#include "module/module_state.h"

namespace velsor::module {

IClassFactory* ControlClassFactory::Create() {
  return std::unique_ptr<ControlClassFactory>(new ControlClassFactory).release();
}

HRESULT ControlClassFactory::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (riid != IID_IUnknown && riid != IID_IClassFactory) {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  *object = static_cast<IClassFactory*>(this);
  AddRef();
  return S_OK;
}

ULONG ControlClassFactory::AddRef() { return ++references_; }

ULONG ControlClassFactory::Release() {
  const ULONG remaining = --references_;
  if (remaining == 0) std::unique_ptr<ControlClassFactory> last{this};
  return remaining;
}

HRESULT ControlClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  // An outer object may only hold the new object's own IUnknown.
  if (outer != nullptr && riid != IID_IUnknown) return CLASS_E_NOAGGREGATION;
  IUnknown* created = nullptr;
  try {
    created = ControlObject::Create(outer);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  const HRESULT hr = created->QueryInterface(riid, object);
  created->Release();
  return hr;
}

HRESULT ControlClassFactory::LockServer(BOOL lock) {
  if (lock) {
    LockModule();
  } else {
    UnlockModule();
  }
  return S_OK;
}

}  // namespace velsor::module
