// The functions COM and registration tools look up in the module by name. With
// mem_compress and mem_uncompress they are all it exports.

#include "control/ombrel_tolvane_velsor.h"
#include "module/class_factory.h"
#include "module/module_state.h"
#include "module/registration.h"

// The work is done inside the namespace, where the names below mean ours on POSIX and the
// system's macros of the same meaning on Windows.
namespace velsor::module {
namespace {

HRESULT CanUnloadNow() { return ModuleLockCount() == 0 ? S_OK : S_FALSE; }

HRESULT GetClassObject(const CLSID& clsid, const IID& riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (clsid != CLSID_OmbrelTolvaneVelsor20_64) return CLASS_E_CLASSNOTAVAILABLE;
  IClassFactory* factory = nullptr;
  try {
    factory = ControlClassFactory::Create();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  const HRESULT hr = factory->QueryInterface(riid, object);
  factory->Release();
  return hr;
}

}  // namespace
}  // namespace velsor::module

#define VELSOR_MODULE_EXPORT extern "C" __attribute__((visibility("default")))

VELSOR_MODULE_EXPORT velsor::HRESULT DllCanUnloadNow() {
  return velsor::module::CanUnloadNow();
}

VELSOR_MODULE_EXPORT velsor::HRESULT DllGetClassObject(const velsor::CLSID& clsid,
                                                       const velsor::IID& riid, void** object) {
  return velsor::module::GetClassObject(clsid, riid, object);
}

VELSOR_MODULE_EXPORT velsor::HRESULT DllRegisterServer() {
  return velsor::module::RegisterModule(velsor::module::ModulePath());
}

VELSOR_MODULE_EXPORT velsor::HRESULT DllUnregisterServer() {
  return velsor::module::UnregisterModule(velsor::module::ModulePath());
}
